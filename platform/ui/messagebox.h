#pragma once

#include "platform/prompt.h"

namespace bw {

// Asks with a modal QMessageBox that has no owner window.
class MessageBoxPrompt : public Prompt {
public:
    Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
    // Asks with a modal QInputDialog.
    std::optional<QString> askText(const QString& caption, const QString& label, const QString& initial) override;
};

} // namespace bw
