#pragma once

#include "platform/prompt.h"

namespace bw {

// Asks with a modal QMessageBox that has no owner window.
class MessageBoxPrompt : public Prompt {
public:
    Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
};

} // namespace bw
