#include "platform/ui/messagebox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>

namespace bw {

namespace {

// Room a frame takes beside its title: the icon, the window buttons and the
// margins, as window managers draw them.
constexpr int kTitleBarRoom = 130;

} // namespace

int TitleWidth(const QString& caption) {
    // Title bars use the window font, often in bold.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(caption) + kTitleBarRoom;
}

void SetUpMessageBox(QMessageBox& box, const QString& caption, const QString& text, Buttons buttons, Icon icon) {
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        break;
    }
    // A message box sizes itself from its layout: a spacer as wide as the
    // title needs keeps it from being narrower.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(TitleWidth(caption), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

Answer MessageBoxPrompt::ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) {
    QMessageBox box;
    SetUpMessageBox(box, caption, text, buttons, icon);
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return ScriptedPrompt::fallback(buttons);
    }
}

std::optional<QString> MessageBoxPrompt::askText(const QString& caption, const QString& label, const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, caption, label, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace bw
