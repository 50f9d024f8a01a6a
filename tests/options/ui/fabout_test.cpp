#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "options/contacts.h"
#include "options/ui/fabout.h"
#include "options/version.h"
#include "platform/ui/chooser.h"
#include "services/ui/datamodule.h"
#include "tests/support/qtprint.h"
#include "tests/support/screens.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class FAboutTest : public test::TempDirTest {
protected:
    FAboutTest() {
        bw::test::useShippedLanguages(*dm.LangManager);
    }
    void doubleClick(QWidget* w) {
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // Shows a dialog through its function and presses a button once it is up.
    int showAndPress(int (*show)(QWidget*), const char* button) {
        QTimer::singleShot(0, [button] {
            QWidget* w = QApplication::activeModalWidget();
            ASSERT_NE(w, nullptr);
            w->findChild<QPushButton*>(button)->click();
        });
        return show(nullptr);
    }

    TDMDataModule dm;
    ScriptedChooser choose;
    ScopedChooser scoped{choose};
};

TEST_F(FAboutTest, AboutShowsTheVersionAndOpensItsLinks) {
    TFAbout about;
    EXPECT_EQ(about.VerProductLabel->text(), AppVersion);
    doubleClick(about.EPage2);
    doubleClick(about.EMail);
    about.EPage1->setText("/usr/bin/xterm"); // never run
    doubleClick(about.EPage1);
    ASSERT_EQ(choose.opened().size(), 2u);
    EXPECT_EQ(choose.opened()[0], QUrl(bw::contacts::kPage2));
    EXPECT_EQ(choose.opened()[1], QUrl(MailLink(bw::contacts::kSupportMail, AppVersion)));
    // Every address shown lies in the reserved domain.
    for (QLineEdit* e : {about.EMail, about.EPage2})
        EXPECT_TRUE(e->text().contains(".invalid")) << e->objectName().toStdString();

    EXPECT_EQ(showAndPress(&ShowAbout, "BBOk"), QDialog::Accepted);
    EXPECT_EQ(showAndPress(&ShowDonateToAuthor, "BPay"), QDialog::Accepted);
    EXPECT_EQ(showAndPress(&ShowDonateToAuthor, "Button2"), QDialog::Rejected);
}

TEST_F(FAboutTest, Pictures) {
    for (int language : {0, 1}) {
        dm.LangManager->SetCurrentLang(language);
        const char* lang = language ? "ru" : "en";
        TFAbout about;
        TFDonateToAuthor donate;
        EXPECT_FALSE(donate.MDonateNotes->toPlainText().isEmpty());
        about.show();
        donate.show();
        EXPECT_FALSE(test::saveScreen(about, QStringLiteral("about_%1").arg(lang)).isEmpty());
        EXPECT_FALSE(test::saveScreen(donate, QStringLiteral("donate_%1").arg(lang)).isEmpty());
        // Their titles too, although the windows are never registered.
        EXPECT_EQ(about.windowTitle(), language ? "О программе" : "About");
        EXPECT_EQ(donate.windowTitle(), language ? "Поддержать Brindlewick" : "Support Brindlewick");
    }
}

} // namespace
