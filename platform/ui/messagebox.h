#pragma once

#include "platform/prompt.h"

class QMessageBox;

namespace bw {

// Sets up the box of a question: title, text, icon and buttons, and a width
// that leaves the title whole beside the window manager's buttons.
void SetUpMessageBox(QMessageBox& box, const QString& caption, const QString& text, Buttons buttons, Icon icon);
// The width a window needs for its title to show whole in a frame.
int TitleWidth(const QString& caption);

// Asks with a modal QMessageBox that has no owner window.
class MessageBoxPrompt : public Prompt {
public:
    Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
    // Asks with a modal QInputDialog.
    std::optional<QString> askText(const QString& caption, const QString& label, const QString& initial) override;
};

} // namespace bw
