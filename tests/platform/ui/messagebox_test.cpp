#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "platform/ui/messagebox.h"

namespace bw {
namespace {

// A question is never narrower than its title needs, however short its text
// and buttons are; a long text still makes it wider.
TEST(MessageBoxTest, AQuestionIsAsWideAsItsTitleNeeds) {
    const struct {
        const char* caption;
        const char* text;
        Buttons buttons;
    } rows[] = {
        {"Подтверждение", "Прервать операцию?", Buttons::YesNo},
        {"Confirmation", "Stop?", Buttons::YesNo},
        {"A title much longer than the text of the question under it", "Go?", Buttons::Ok},
        {"", "No title at all", Buttons::AbortRetryIgnore},
    };
    for (const auto& row : rows) {
        const QString caption = QString::fromUtf8(row.caption);
        QMessageBox box;
        SetUpMessageBox(box, caption, QString::fromUtf8(row.text), row.buttons, Icon::Question);
        box.adjustSize();
        EXPECT_GE(box.width(), TitleWidth(caption)) << row.caption;
    }
    QMessageBox wide;
    const QString text(200, QLatin1Char('x'));
    SetUpMessageBox(wide, "T", text, Buttons::Ok, Icon::None);
    wide.adjustSize();
    EXPECT_GT(wide.width(), TitleWidth("T"));
}

} // namespace
} // namespace bw
