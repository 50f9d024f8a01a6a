#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>

#include "engine/codepages.h"
#include "platform/cp1251.h"
#include "platform/inifile.h"
#include "platform/ui/chooser.h"
#include "rules/ui/feditsrinfo.h"
#include "rules/ui/foptionframes.h"
#include "rules/ui/fpsrmanager.h"
#include "rules/ui/fptextedit.h"
#include "services/ui/settingsmanager.h"
#include "tests/rules/ui/rulesui.h"
#include "tests/support/screens.h"

namespace {

class FEditSRInfoTest : public bw::test::TempDirTest {
protected:
    // Runs the edit; `act` runs once the dialog is up, then the dialog is
    // cancelled if it is still open.
    bool EditWith(TSRInfo& rule, std::function<void()> act) {
        QTimer::singleShot(0, &dialog, [this, act] {
            QApplication::setActiveWindow(&dialog); // focus works as on a desktop
            act();
            if (dialog.isVisible())
                dialog.reject();
        });
        return dialog.Edit(rule);
    }
    void type(TFPTextEdit* page, const QString& text) {
        page->SEText->setFocus();
        page->SEText->selectAll();
        page->SEText->insertPlainText(text);
    }
    QStringList checkedCodePages() const {
        QStringList out;
        for (int i = 0; i < dialog.FOFind->CLBCP->count(); ++i)
            if (dialog.FOFind->CLBCP->Checked(i))
                out << dialog.FOFind->CLBCP->ItemText(i);
        return out;
    }
    QString lastMessage() const { return prompt.asked().empty() ? QString() : prompt.asked().back().text; }

    bw::ScriptedChooser chooser;
    bw::ScopedChooser scopedChooser{chooser};
    TFEditSRInfo dialog;
};

TEST_F(FEditSRInfoTest, LayoutCodePagesAndSettingsKeys) {
    // The run's table, in its order, each item with its conversion row.
    const auto& pages = SearchCodePages();
    ASSERT_EQ(dialog.FOFind->CLBCP->count(), static_cast<int>(pages.size()));
    for (int i = 0; i < dialog.FOFind->CLBCP->count(); ++i) {
        EXPECT_EQ(dialog.FOFind->CLBCP->ItemText(i), pages[static_cast<std::size_t>(i)].Name);
        EXPECT_EQ(dialog.FOFind->ItemRow(i), pages[static_cast<std::size_t>(i)].Row);
    }

    // The frames' state is kept in the dialog's section, below each page.
    TSettingsManager settings;
    settings.SetFileName(path("s.ini"));
    dialog.FOReplace->EOutFolder->setText("/out/");
    settings.SaveForm(&dialog);
    const bw::IniFile& ini = *settings.OptionsFile();
    EXPECT_TRUE(ini.valueExists("FEditSRInfo", ".SourcePage.FOFind.CLBCP.Checked"));
    EXPECT_EQ(ini.readString("FEditSRInfo", ".TargetPage.FOReplace.EOutFolder.Text"), "/out/");

    // Tab follows reading order: search page and its options, target page and its options, then the buttons.
    QList<QWidget*> chain;
    for (QWidget* w = dialog.SourcePage->SEText; chain.size() < 200; w = w->nextInFocusChain()) {
        chain << w;
        if (w == dialog.BCancel) break;
    }
    const QList<QWidget*> order = {dialog.SourcePage->SEText, dialog.FOFind->CLBCP, dialog.FOFind->CBIgnoreMode,
                                   dialog.TargetPage->SEText, dialog.FOReplace->EOutFolder, dialog.CBAction,
                                   dialog.BOk, dialog.BCancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        EXPECT_LT(chain.indexOf(order[i - 1]), chain.indexOf(order[i])) << i;
    EXPECT_GE(chain.indexOf(dialog.SourcePage->SEText), 0);

    // Every caption of the two frames has its own access key.
    QStringList captions;
    for (QWidget* frame : {static_cast<QWidget*>(dialog.FOFind), static_cast<QWidget*>(dialog.FOReplace)}) {
        for (auto* b : frame->findChildren<QCheckBox*>()) captions << b->text();
        for (auto* l : frame->findChildren<QLabel*>()) captions << l->text();
    }
    EXPECT_TRUE(bw::test::sharedAccessKeys(captions).isEmpty()) << bw::test::sharedAccessKeys(captions).join('|').toStdString();
}

TEST_F(FEditSRInfoTest, ConfirmedEditStoresControlsAndTheLastRuleText) {
    TSRInfo rule; // no code page: opens with Win-1251 checked
    const bool ok = EditWith(rule, [&] {
        EXPECT_EQ(checkedCodePages(), QStringList({"Win-1251"}));
        EXPECT_EQ(QApplication::focusWidget(), dialog.SourcePage->SEText);
        type(dialog.SourcePage, QString::fromUtf8("найти\nэто"));
        dialog.FOFind->CLBCP->SetChecked(7, true); // Automatic
        dialog.FOFind->CBCaseSensitive->click();
        dialog.FOFind->SECharCount->setValue(500);
        dialog.CBAction->setCurrentIndex(ofatReplace);
        EXPECT_TRUE(dialog.PTarget->isVisible());
        type(dialog.TargetPage, "new");
        dialog.FOReplace->CBRepeat->click();
        dialog.FOReplace->EOutFolder->setText("/tmp/out");
        dialog.BOk->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(rule.Source.ssText, QString::fromUtf8("найти\r\nэто"));
    EXPECT_EQ(rule.Source.ssCLBCP, "Win-1251,Automatic");
    EXPECT_TRUE(rule.Source.sbCaseSensitive);
    EXPECT_EQ(rule.Source.siCharCount, 500);
    EXPECT_EQ(rule.SearchActionType, ofatReplace);
    EXPECT_EQ(rule.Target.tsText, "new");
    EXPECT_TRUE(rule.Target.tbRepeat);
    EXPECT_EQ(rule.Target.OutFolder, "/tmp/out/");

    EXPECT_EQ(dialog.LastRuleText.find("ssText"), std::string::npos);

    // Cancel (Escape) touches neither the rule nor the last-rule text.
    const TSRInfo before = rule;
    const std::string last = dialog.LastRuleText;
    EXPECT_FALSE(EditWith(rule, [&] {
        type(dialog.SourcePage, "changed");
        bw::test::pressKey(&dialog, Qt::Key_Escape);
    }));
    EXPECT_EQ(rule, before);
    EXPECT_EQ(dialog.LastRuleText, last);
}

TEST_F(FEditSRInfoTest, OkRefusesUntilTheRuleCanBeStored) {
    TSRInfo rule;
    rule.Source.ssCLBCP = "Win-1251";
    rule.SearchActionType = ofatReplace;
    const QString star = QString::fromUtf8("★");
    const bool ok = EditWith(rule, [&] {
        dialog.FOReplace->EOutFolder->setText("/out");
        dialog.BOk->click();
        EXPECT_EQ(lastMessage(), "There is nothing to search for.");
        EXPECT_EQ(dialog.FOReplace->EOutFolder->text(), "/out"); // no suffix yet

        type(dialog.SourcePage, "a" + star);
        dialog.BOk->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(lastMessage().contains(star)) << lastMessage().toStdString();
        EXPECT_TRUE(lastMessage().contains("U+2605"));
        EXPECT_TRUE(lastMessage().contains("Search"));
        EXPECT_EQ(dialog.FOReplace->EOutFolder->text(), "/out/");

        type(dialog.SourcePage, "a");
        dialog.FOReplace->EInFolder->setText("/in" + star);
        dialog.BOk->click();
        EXPECT_TRUE(lastMessage().contains("Read files from folder")) << lastMessage().toStdString();

        dialog.FOReplace->EInFolder->clear();
        dialog.FOFind->CLBCP->SetChecked(0, false);
        dialog.BOk->click();
        EXPECT_EQ(lastMessage(), "No code page is selected.");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(prompt.asked().size(), 4u);

        dialog.FOFind->CLBCP->SetChecked(1, true);
        dialog.BOk->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(rule.Source.ssText, "a");
    EXPECT_EQ(rule.Source.ssCLBCP, "866");
    EXPECT_EQ(rule.Target.OutFolder, "/out/");
    EXPECT_EQ(rule.Target.InFolder, "");
}

TEST_F(FEditSRInfoTest, UnknownCodePageShowsDuringTheEditOnly) {
    TSRInfo rule;
    rule.Source.ssText = "x";
    rule.Source.ssCLBCP = "Automatic,EBCDIC,Win-1251";
    ASSERT_TRUE(EditWith(rule, [&] {
        EXPECT_EQ(checkedCodePages(), QStringList({"Win-1251", "Automatic", "EBCDIC"}));
        EXPECT_EQ(dialog.FOFind->ItemRow(8), -1); // no conversion row of its own
        dialog.BOk->click();
    }));
    EXPECT_EQ(rule.Source.ssCLBCP, "Win-1251,Automatic,EBCDIC");
    EXPECT_EQ(dialog.FOFind->CLBCP->count(), dialog.FOFind->BaseItemCount());
    // The next edit does not see it.
    TSRInfo other;
    other.Source.ssText = "y";
    other.Source.ssCLBCP = "KOI8-R";
    ASSERT_TRUE(EditWith(other, [&] {
        EXPECT_EQ(checkedCodePages(), QStringList({"KOI8-R"}));
        dialog.BOk->click();
    }));
}

TEST_F(FEditSRInfoTest, HidingTheTargetDropsItsText) {
    TSRInfo rule;
    rule.Source.ssText = "s";
    rule.Target.tsText = "t";
    rule.SearchActionType = ofatReplace;
    ASSERT_TRUE(EditWith(rule, [&] {
        EXPECT_EQ(dialog.TargetPage->SEText->toPlainText(), "t");
        // The pages share the height evenly once both fit.
        dialog.resize(561, 900);
        EXPECT_NEAR(dialog.PTarget->height(), dialog.PST->height() / 2, 1);
        EXPECT_EQ(dialog.PSource->height() + dialog.PTarget->height(), dialog.PST->height());
        dialog.CBAction->setCurrentIndex(ofatDelete);
        EXPECT_FALSE(dialog.PTarget->isVisible());
        EXPECT_EQ(dialog.PSource->height(), dialog.PST->height());
        dialog.CBAction->setCurrentIndex(ofatReplace);
        EXPECT_TRUE(dialog.PTarget->isVisible());
        EXPECT_EQ(dialog.TargetPage->SEText->toPlainText(), "");
        dialog.BOk->click();
    }));
    EXPECT_EQ(rule.Target.tsText, "");
    EXPECT_EQ(rule.SearchActionType, ofatReplace);
}

TEST_F(FEditSRInfoTest, FolderButtonsShortcutsAndFavorites) {
    chooser.pushFolder("/data/out");
    dialog.FOReplace->BSelectOutFolder->click();
    dialog.FOReplace->BSelectSaveInFolder->click(); // cancelled
    EXPECT_EQ(dialog.FOReplace->EOutFolder->text(), "/data/out");
    EXPECT_EQ(dialog.FOReplace->EInFolder->text(), "");
    ASSERT_EQ(chooser.requests().size(), 2u);

    TSRInfo rule;
    rule.Source.ssText = "abc";
    rule.Target.tsText = "xyz";
    rule.SearchActionType = ofatReplace;
    const QString fav = path("fav.txt");
    EditWith(rule, [&] {
        dialog.TargetPage->SEText->setFocus();
        EXPECT_EQ(dialog.ShortcutPage(), dialog.TargetPage);
        dialog.SourcePage->SEText->setFocus();
        EXPECT_EQ(dialog.ShortcutPage(), dialog.SourcePage);

        dialog.SaveFavorite(fav);
        type(dialog.SourcePage, "other");
        dialog.LoadFavorite(fav);
        EXPECT_EQ(dialog.SourcePage->SEText->toPlainText(), "abc");
        EXPECT_EQ(dialog.TargetPage->SEText->toPlainText(), "xyz");
    });
}

TEST_F(FEditSRInfoTest, PageAddsAndEditsThroughTheDialog) {
    TFPSRManager page;
    page.Editor = &dialog;
    page.show();
    // Add, type, OK.
    QTimer::singleShot(0, &dialog, [&] {
        type(dialog.SourcePage, "needle");
        dialog.CBAction->setCurrentIndex(ofatDelete);
        dialog.BOk->click();
    });
    page.AAdd->trigger();
    ASSERT_EQ(page.Count(), 1);
    EXPECT_EQ(page.Rule(0).Source.ssText, "needle");
    EXPECT_EQ(page.LVSR->topLevelItem(0)->text(1), "needle");

    // Add, Cancel: nothing added; the next rule starts from the last confirmed options.
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.CBAction->currentIndex(), ofatDelete);
        EXPECT_EQ(dialog.SourcePage->SEText->toPlainText(), "");
        dialog.BCancel->click();
    });
    page.AAdd->trigger();
    EXPECT_EQ(page.Count(), 1);

}

TEST_F(FEditSRInfoTest, ScreensOfAReplaceAndADeleteRule) {
    bw::test::ShippedLanguages langs;
    langs.lm.RegisterForm(&dialog, 0);
    dialog.Texts = langs.texts();
    for (int lang : {0, 1}) {
        langs.lm.SetCurrentLang(lang);
        const QString suffix = lang == 0 ? "_en" : "_ru";
        for (TOnFoundActionType action : {ofatReplace, ofatDelete}) {
            TSRInfo rule;
            rule.Source.ssText = QString::fromUtf8("[S]искать\r\nвторая строка");
            rule.Source.ssCLBCP = "Win-1251,KOI8-R";
            rule.Target.tsText = "[1I]";
            rule.Target.OutFolder = "/home/user/out/";
            rule.SearchActionType = action;
            EditWith(rule, [&] {
                QCoreApplication::sendPostedEvents();
                const QString name = QString(action == ofatReplace ? "FEditSRInfo_replace" : "FEditSRInfo_delete") + suffix;
                EXPECT_FALSE(bw::test::saveScreen(dialog, name).isEmpty());
            });
        }
    }
    // Every frame caption has a Russian row.
    for (QWidget* frame : {static_cast<QWidget*>(dialog.FOFind), static_cast<QWidget*>(dialog.FOReplace)})
        for (auto* l : frame->findChildren<QLabel*>())
            EXPECT_FALSE(l->text().contains(QRegularExpression("[A-Za-z]"))) << l->text().toStdString();
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Поиск/замена - свойства"));
    EXPECT_EQ(dialog.CBAction->itemText(ofatReplace), QString::fromUtf8("Заменить"));
}

} // namespace
