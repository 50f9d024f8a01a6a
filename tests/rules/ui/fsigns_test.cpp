#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "rules/ui/fsigns.h"
#include "services/ui/components.h"
#include "services/ui/formlangmanager.h"
#include "tests/support/languages.h"
#include "tests/support/screens.h"
#include "tests/support/uitest.h"

namespace {

class SignsDialogTest : public ::testing::Test {
protected:
    TFSigns dialog;
};

TEST_F(SignsDialogTest, ControlsBuildTheBlockAsTheyChange) {
    EXPECT_EQ(dialog.windowTitle(), "Additional Signs");
    EXPECT_TRUE(dialog.RBFB->isChecked());
    EXPECT_EQ(dialog.EText->text(), "[FB]");
    EXPECT_TRUE(dialog.EText->isReadOnly());
    EXPECT_EQ(ComponentTag(dialog.EDigits), 1);

    dialog.RBCC->click();
    dialog.SEC->setValue(255);
    EXPECT_EQ(dialog.EText->text(), "[255C1]");
    EXPECT_TRUE(dialog.SEC->isEnabled() && dialog.SECC->isEnabled() && dialog.LCount->isEnabled());
    EXPECT_FALSE(dialog.CBSetNumber->isEnabled()); // after C a number is the count

    dialog.RBML->click();
    EXPECT_FALSE(dialog.SEC->isEnabled());
    EXPECT_TRUE(dialog.SEML->isEnabled());
    dialog.CBSetNumber->click();
    dialog.SEBN->setValue(2);
    EXPECT_EQ(dialog.EText->text(), "[-1*2]");

    // A set the pattern would read as another one: Ok waits, with a hint.
    dialog.RBD->click();
    dialog.EDigits->setText(QStringLiteral("5"));
    EXPECT_EQ(dialog.EText->text(), "[D25]");
    EXPECT_FALSE(dialog.BOk->isEnabled());
    EXPECT_FALSE(dialog.LHint->text().isEmpty());
    EXPECT_EQ(dialog.BOk->toolTip(), dialog.LHint->text());
    dialog.EDigits->setText(QStringLiteral(",."));
    EXPECT_TRUE(dialog.BOk->isEnabled());
    EXPECT_TRUE(dialog.LHint->text().isEmpty());
}

TEST_F(SignsDialogTest, SourceModeKeepsOnlyTheSidesSigns) {
    dialog.RBD->click();
    dialog.CBSetNumber->click();
    dialog.SetSourceMode(false);
    EXPECT_EQ(dialog.EText->text(), "[LEW]");
    EXPECT_FALSE(dialog.CBSetNumber->isEnabled());
    for (QRadioButton* r : {dialog.RBFB, dialog.RBFE, dialog.RBLB, dialog.RBQ, dialog.RBML, dialog.RBMG, dialog.RBD})
        EXPECT_FALSE(r->isEnabled()) << r->objectName().toStdString();
    EXPECT_FALSE(dialog.EDigits->isEnabled());
    EXPECT_TRUE(dialog.RBB->isEnabled() && dialog.RBI->isEnabled() && dialog.LStart->isEnabled());

    dialog.RBI->click();
    dialog.SetSourceMode(true);
    EXPECT_EQ(dialog.EText->text(), "[FB]");
    EXPECT_FALSE(dialog.RBI->isEnabled() || dialog.LStep->isEnabled());
}

TEST(SignsDialogPictures, BothModesInBothLanguages) {
    TFSigns dialog;
    TFormLangManager languages;
    ASSERT_TRUE(bw::test::useShippedLanguages(languages));
    languages.RegisterForm(&dialog, 0);
    dialog.show();
    for (int lang : {0, 1}) {
        languages.SetCurrentLang(lang);
        QApplication::processEvents();
        // Every control of the window has its own access key.
        QStringList captions;
        for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
            captions << (bw::test::accessKey(b->text()).isNull() ? "no key: " : "") + b->text();
        EXPECT_EQ(bw::test::sharedAccessKeys(captions) + captions.filter("no key: "), QStringList());
        const QString suffix = lang == 0 ? QStringLiteral("_en") : QStringLiteral("_ru");
        dialog.SetSourceMode(true);
        dialog.RBCC->click();
        QApplication::processEvents();
        EXPECT_FALSE(bw::test::saveScreen(dialog, "signs_search" + suffix).isEmpty());
        dialog.SetSourceMode(false);
        dialog.RBI->click();
        QApplication::processEvents();
        EXPECT_FALSE(bw::test::saveScreen(dialog, "signs_target" + suffix).isEmpty());
    }
    EXPECT_EQ(dialog.RBB->text(), QString::fromUtf8("&Блок"));
}

} // namespace
