#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>

#include "files/filefilter.h"
#include "files/ui/ffilefilter.h"
#include "files/ui/fofiles.h"
#include "files/ui/fselectfolder.h"
#include "platform/error.h"
#include "platform/inifile.h"
#include "services/ui/datamodule.h"
#include "tests/support/screens.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

namespace {

class FolderDialogTest : public bw::test::TempDirTest {
protected:
    FolderDialogTest() {
        bw::test::useShippedLanguages(*dm.LangManager);
        dm.LangManager->RegisterForm(&dialog, 0);
        QDir().mkpath(path("tree/a/b"));
        QDir().mkpath(path("tree/c"));
        dialog.FormShow();
    }
    ~FolderDialogTest() override { TFSelectFolder::ExecHook = nullptr; }

    // Runs the dialog with `act` standing in for the user.
    template <typename Act>
    void Answer(Act act) {
        TFSelectFolder::ExecHook = [act](TFSelectFolder& d) {
            act(d);
            return d.result();
        };
    }
    static void ClickOk(TFSelectFolder& d) { d.BOk->click(); }

    TFFileFilter& include() { return *dialog.FOFiles1->FInclude; }
    TFFileFilter& exclude() { return *dialog.FOFiles1->FExclude; }

    TDMDataModule dm;
    TFSelectFolder dialog;
};

TEST_F(FolderDialogTest, PanelControlsEnableWhatTheyGovern) {
    TFFileFilter& p = include();
    EXPECT_FALSE(p.CLBMasks->isEnabled());
    EXPECT_FALSE(p.SE1->isEnabled());
    p.CBSize->click();
    p.CBSize1->click();
    EXPECT_TRUE(p.SE1->isEnabled());
    EXPECT_FALSE(p.SE2->isEnabled());
    p.CBSize->click();  // off again: the bounds' edits go with it
    EXPECT_FALSE(p.SE1->isEnabled());
    EXPECT_FALSE(p.CBSize1->isEnabled());
    p.CBMasks->click();
    EXPECT_TRUE(p.CLBMasks->isEnabled() && p.BAdd->isEnabled() && p.BRemove->isEnabled());
    p.CBAttr->click();
    EXPECT_TRUE(p.CBHidden->isEnabled());
    p.CBDate->click();
    EXPECT_TRUE(p.DTP1->isEnabled());
    EXPECT_EQ(p.DTP1->date(), QDate::currentDate());
}

TEST_F(FolderDialogTest, MasksAreAddedCheckedInSortedPlaceAndRemoved) {
    TFFileFilter& p = include();
    p.CBMasks->click();
    prompt.pushText(QString("*.xml"));
    prompt.pushText(QString(" *.htm "));
    prompt.pushText(QString("[bad"));
    prompt.pushText(std::nullopt);
    for (int i = 0; i < 4; ++i)
        p.BAdd->click();
    EXPECT_EQ(p.CLBMasks->Items(), (QStringList{"*.ASP", "*.HTM", "*.HTML", "*.INC", "*.JS", "*.PHP", "*.RTF",
                                               "*.SHTM", "*.SHTML", "*.TXT", "*.xml"}));
    const int xml = p.CLBMasks->IndexOf("*.xml");
    EXPECT_TRUE(p.CLBMasks->Checked(xml));
    for (int i = 0; i < p.CLBMasks->count(); ++i)
        EXPECT_EQ(p.CLBMasks->Checked(i), i == xml);
    ASSERT_EQ(prompt.asked().size(), 5u); // four questions and the mask error
    EXPECT_EQ(prompt.asked()[3].text, "'[bad' is an invalid mask at (5)");

    p.BRemove->click(); // nothing selected: nothing goes
    EXPECT_EQ(p.CLBMasks->count(), 11);
    p.CLBMasks->setCurrentRow(p.CLBMasks->IndexOf("*.ASP"));
    p.BRemove->click();
    EXPECT_EQ(p.CLBMasks->IndexOf("*.ASP"), -1);
}

TEST_F(FolderDialogTest, StoredTextsComeBackThroughThePanels) {
    TFileFilter source;
    // Masks as the sorted check list shows them, so they come back in this order.
    source.SetIMasks({"\"q\".txt", "*.HTM", "a,b*.txt", "my page.txt"});
    source.IUseMasks = true;
    source.SetEMasks({"*.bak"}); // stored while not in use
    source.SetAttributes(true, true, true, false, false, true);
    source.SetAttributes(false, true, false, true, false, false);
    source.IDate1 = 45000;
    source.IDate2 = 45100;
    source.ESize1 = 10;
    source.ESize2 = 2000;
    source.ISize2 = 300;
    source.Recursive = true;

    EXPECT_TRUE(dialog.FOFiles1->FilterTextToInterface(source.Text()));
    EXPECT_TRUE(include().CBSize->isChecked());
    EXPECT_FALSE(include().CBSize1->isChecked());
    EXPECT_EQ(include().SE1->value(), 1);
    TFileFilter back;
    back.Recursive = true;
    dialog.FOFiles1->InterfaceToFilter(back);
    // The masks come back in the check list's order.
    QStringList sortedBack = back.IMasks(), sortedSource = source.IMasks();
    sortedBack.sort();
    sortedSource.sort();
    EXPECT_EQ(sortedBack, sortedSource);
    TFileFilter expected;
    expected.Assign(source);
    expected.SetIMasks(back.IMasks());
    expected.SetEMasks({});
    EXPECT_EQ(back.Text(), expected.Text());

    // A text that does not read: the error goes to the caller, the panels stay.
    EXPECT_THROW(dialog.FOFiles1->FilterTextToInterface("IAttr=x"), bw::Error);
    TFileFilter again;
    again.Recursive = true;
    dialog.FOFiles1->InterfaceToFilter(again);
    EXPECT_EQ(again.Text(), expected.Text());

    // "size" with neither bound checked gives no size bounds.
    include().CBSize->setChecked(true);
    include().CBSize1->setChecked(false);
    include().CBSize2->setChecked(false);
    TFileFilter sizes;
    dialog.FOFiles1->InterfaceToFilter(sizes);
    EXPECT_EQ(sizes.ISize1, 0);
    EXPECT_EQ(sizes.ISize2, 0);
}

TEST_F(FolderDialogTest, OkNeedsAFolderAndRemembersIt) {
    TFSelectFolder fresh;
    fresh.ELastDir->setText(path("missing"));
    Answer([this](TFSelectFolder& d) {
        EXPECT_FALSE(d.BOk->isEnabled());
        ClickOk(d); // does nothing without a folder
        EXPECT_EQ(d.result(), 0);
        d.SelectTreePath(path("tree/a"));
        EXPECT_TRUE(d.BOk->isEnabled());
        ClickOk(d);
    });
    ASSERT_EQ(fresh.Execute(), QDialog::Accepted);
    EXPECT_EQ(fresh.SelectedPath(), path("tree/a"));
    dialog.ELastDir->setText(fresh.ELastDir->text());

    // Shown again, the tree opens on the last folder; Cancel returns no folder.
    Answer([this](TFSelectFolder& d) {
        EXPECT_EQ(d.TreePath(), path("tree/a"));
        d.BCancel->click();
    });
    EXPECT_EQ(dialog.Execute(), QDialog::Rejected);
    EXPECT_TRUE(dialog.SelectedPath().isEmpty());

    // A last folder that has gone keeps the tree's root and selection.
    const QString root = dialog.TreeRoot();
    dialog.ELastDir->setText(path("gone"));
    Answer([&](TFSelectFolder& d) {
        EXPECT_EQ(d.TreeRoot(), root);
        EXPECT_EQ(d.TreePath(), path("tree/a"));
        d.BCancel->click();
    });
    dialog.Execute();

    // A relative last folder, ':' first too, is one below the current folder.
    QDir().mkpath(path("tree/:c"));
    bw::test::CurrentFolder here(path("tree"));
    dialog.ELastDir->setText(":c");
    Answer([&](TFSelectFolder& d) {
        EXPECT_EQ(d.TreePath(), path("tree/:c"));
        d.BCancel->click();
    });
    dialog.Execute();
}

TEST_F(FolderDialogTest, EditingSettingsReturnsTheEditedFolderAndRestoresTheDialog) {
    dialog.resize(900, 450);
    const QString caption = dialog.windowTitle();
    TFileFilter settings;
    settings.Recursive = true;
    settings.SetAttributes(false, true, false, true, false, false);
    Answer([this](TFSelectFolder& d) {
        EXPECT_TRUE(d.PFolder->isHidden());
        EXPECT_EQ(d.windowTitle(), "{/x} - Folder settings");
        EXPECT_TRUE(d.CBSubFolders->isChecked());
        EXPECT_TRUE(d.BOk->isEnabled());
        d.SelectTreePath(path("tree/c")); // whatever the hidden chooser shows
        ClickOk(d);
    });
    ASSERT_EQ(dialog.EditSettings("{/x} - Folder settings", path("no longer there"), settings.Text()),
              QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedPath(), path("no longer there"));
    EXPECT_FALSE(dialog.PFolder->isHidden());
    EXPECT_EQ(dialog.windowTitle(), caption);

    EXPECT_THROW(dialog.EditSettings("x", path("tree"), "garbage"), bw::Error);
    EXPECT_FALSE(dialog.PFolder->isHidden());
    EXPECT_EQ(dialog.windowTitle(), caption);
}

TEST_F(FolderDialogTest, TheSettingsFileKeepsTheLastFolderAndTheMasks) {
    dialog.ELastDir->setText(path("tree/c"));
    dialog.CBSubFolders->setChecked(true);
    include().CBMasks->click();
    prompt.pushText(QString("*.xml"));
    include().BAdd->click();
    dm.SettingsManager->SetFileName(path("Brindlewick.ini"));
    dm.SettingsManager->SaveForm(&dialog);
    dm.SettingsManager->CloseOptionsFile();

    bw::IniFile ini(path("Brindlewick.ini"));
    EXPECT_EQ(ini.readString("FSelectFolder", ".ELastDir.Text"), path("tree/c"));
    EXPECT_TRUE(ini.readString("FSelectFolder", ".FOFiles1.FInclude.CLBMasks.Items").contains("*.xml"));
    EXPECT_EQ(ini.readString("FSelectFolder", ".FOFiles1.FInclude.CLBMasks.Checked"), "*.xml");

    // A hand-edited file with masks the + button refuses (malformed, holding a
    // TAB or another control character): dropped when the filter is taken
    // (dropped folders take it without the dialog) and when the dialog shows.
    ini.writeString("FSelectFolder", ".FOFiles1.FInclude.CLBMasks.Items", "*.txt,[bad,\"a\tb\"");
    ini.writeString("FSelectFolder", ".FOFiles1.FInclude.CLBMasks.Checked", "[bad,\"a\tb\",*.txt,\"c\x01\"");
    ini.writeString("FSelectFolder", ".FOFiles1.FExclude.CLBMasks.Items", "\"x\ty\",*.bak");
    ini.writeString("FSelectFolder", ".FOFiles1.FExclude.CLBMasks.Checked", "\"x\ty\",*.bak");
    ini.writeBool("FSelectFolder", ".FOFiles1.FExclude.CBMasks.Checked", true);
    ini.flush();
    for (bool shown : {false, true}) {
        SCOPED_TRACE(shown);
        TFSelectFolder other;
        TSettingsManager reader;
        reader.SetFileName(path("Brindlewick.ini"));
        reader.LoadForm(&other);
        EXPECT_EQ(other.ELastDir->text(), path("tree/c"));
        EXPECT_TRUE(other.CBSubFolders->isChecked());
        if (shown)
            other.FormShow();
        TFileFilter taken;
        taken.Recursive = true;
        other.FOFiles1->InterfaceToFilter(taken);
        EXPECT_EQ(taken.IMasks(), QStringList({"*.txt"}));
        EXPECT_EQ(taken.EMasks(), QStringList({"*.bak"}));
        EXPECT_EQ(other.FOFiles1->FInclude->CLBMasks->Items(), QStringList({"*.txt"}));
        EXPECT_EQ(other.FOFiles1->FExclude->CLBMasks->Items(), QStringList({"*.bak"}));

    }
}

TEST_F(FolderDialogTest, PicturesInBothLanguagesAndModes) {
    dialog.ELastDir->setText(path("tree/a"));
    for (int lang : {0, 1}) {
        dm.LangManager->SetCurrentLang(lang);
        const QString suffix = lang == 0 ? "en" : "ru";
        dialog.FormShow();
        dialog.resize(dialog.minimumWidth(), dialog.minimumHeight());
        dialog.show();
        EXPECT_GE(dialog.FOFiles1->FInclude->width(), dialog.FOFiles1->FInclude->minimumSizeHint().width());
        EXPECT_FALSE(bw::test::saveScreen(dialog, "folder_dialog_" + suffix).isEmpty());
        Answer([&](TFSelectFolder& d) {
            d.show();
            bw::test::saveScreen(d, "folder_dialog_settings_" + suffix);
            d.BCancel->click();
        });
        dialog.EditSettings("{/x} - settings", path("tree"), TFileFilter().Text());
        dialog.hide();
    }
    EXPECT_EQ(include().GBFileFilter->title(), "Включить только файлы, у которых");
}

} // namespace
