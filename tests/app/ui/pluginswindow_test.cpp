// The Plugins page of the main window as a user works it: checks, panels,
// Alt+A over real files, and the checks again after a restart.

#include <QApplication>
#include <QDirIterator>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <gtest/gtest.h>

#include "app/htmltotext.h"
#include "app/simplechanger.h"
#include "app/ui/builtinplugins.h"
#include "app/ui/rulespage.h"
#include "app/ui/pluginspage.h"
#include "options/ui/foptions.h"
#include "platform/appdirs.h"
#include "platform/format.h"
#include "platform/inifile.h"
#include "services/backupmanager.h"
#include "services/langmanager.h"
#include "services/ui/components.h"
#include "services/ui/datamodule.h"
#include "services/ui/pagecontrolex.h"
#include "files/filetree.h"
#include "files/ui/fpfilemanager.h"
#include "tests/app/ui/listclicks.h"
#include "tests/app/ui/mainwindow_support.h"
#include "tests/support/screens.h"
#include "tests/support/uitest.h"

namespace bw::test {
namespace {

class PluginsWindow : public ProgramTest {
protected:
    void StartOnPlugins(bool realPages = false) {
        Start(true, realPages);
        QApplication::setActiveWindow(main);
        main->PCOperation->setCurrentWidget(main->TSPlugins);
        QApplication::processEvents();
    }
    TCheckListBox& List() const { return *main->CLBPlugins; }
    TPluginHost& Host() const { return main->Plugins->Host(); }
    // The panel shown in PConfig; null when none is.
    TCheckListBox* Panel() const {
        const auto panels = main->PConfig->findChildren<TCheckListBox*>();
        return panels.size() == 1 ? panels.front() : nullptr;
    }
    // The files the backup store holds copies of.
    QStringList BackedUp() const {
        TBackupManager& store = *program->DMDataModule->BackupManager;
        QStringList out;
        QDirIterator it(store.BackupFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << store.BackupNameToOriginal(it.next());
        out.sort();
        return out;
    }
};

// Both plug-ins checked and configured in their panels, Alt+A over real
// files: each file is backed up, the HTML plug-in reads what the line-end
// plug-in saved, the report holds the plug-ins' lines, the selections are in
// the plug-ins' INI files, and a restart finds the checks.
TEST_F(PluginsWindow, CheckConfigureApplyAndRestart) {
    const QString page = writeFile("site/page.htm", "<p>Hello</p>\r\n<br>world\r\n");
    const QString gone = writeFile("site/gone.htm", "<p>x</p>\r\n");
    const QString notes = writeFile("notes.txt", "a\r\nb\r\n");
    StartOnPlugins(true);
    EXPECT_FALSE(main->AApply->isEnabled()) << "an empty tree";
    program->FPFileManager->Tree().AddFileList({page, gone, notes});
    main->Plugins->AApplyUpdate(); // as the idle update does

    // Entering the page selected the first plug-in and showed its panel.
    EXPECT_EQ(List().Items(), QStringList({SimpleChangerName, HtmlToTextName}));
    EXPECT_EQ(List().currentRow(), 0);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(Panel()->count(), SimpleChangerOptionCount);
    EXPECT_FALSE(main->AApply->isEnabled()) << "no plug-in checked";
    ClickCheck(*Panel(), 1); // CR LF -> LF
    ClickCheck(List(), 0);
    ClickCheck(List(), 1);
    EXPECT_TRUE(Host().Checked(0) && Host().Checked(1));
    EXPECT_TRUE(main->AApply->isEnabled());

    ClickRow(List(), 1);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(Panel()->count(), HtmlToTextOptionCount);
    EXPECT_EQ(readIniString(homeDir() + SimpleChangerIniName, "General", "Selected"), "1") << "stored on hiding";
    ClickCheck(*Panel(), HtmlPreserveBreaks);
    ClickCheck(*Panel(), HtmlSaveAsTxt);

    QFile::remove(gone);
    main->Report.Append("an old line");
    program->FOptions->RBGoToReport->setChecked(true);
    QWidget* shownDuring = nullptr;
    Every([&] {
        if (main->Applying()) // the last pump is inside the loop
            shownDuring = main->PCOperation->currentWidget();
    }, 0);
    List().setFocus();
    pressKey(&List(), Qt::Key_A, Qt::AltModifier);

    EXPECT_EQ(readFile(page), "<p>Hello</p>\n<br>world\n");
    EXPECT_EQ(readFile(page + ".txt"), "Hello \r\nworld ");
    EXPECT_EQ(readFile(notes), "a\nb\n");
    EXPECT_EQ(readFile(notes + ".txt"), "a b ");
    EXPECT_FALSE(exists(gone + ".txt"));
    const QString suffix = SimpleChangerOperations[1].Suffix;
    QStringList lines = main->Report.Lines();
    lines.sort();
    EXPECT_EQ(lines, QStringList({notes + suffix, page + suffix}));
    EXPECT_EQ(main->MReport->toPlainText(), main->Report.Text());
    EXPECT_EQ(BackedUp(), QStringList({notes, page}));
    EXPECT_EQ(shownDuring, main->TSFiles);
    EXPECT_EQ(main->PCOperation->currentWidget(), main->TSReport) << "the page the options choose after a run";
    EXPECT_EQ(main->FilesToProcess().size(), 3) << "kept until the next fill";
    EXPECT_EQ(readIniString(homeDir() + HtmlToTextIniName, "General", "Selected"), "0,1");
    EXPECT_FALSE(main->Busy());
    EXPECT_TRUE(prompt.asked().empty());

    program->FOptions->Cycle().OptionsSet(); // the settings file written
    program.reset();
    Start(true, true);
    EXPECT_EQ(List().count(), 2);
    EXPECT_TRUE(List().Checked(0) && List().Checked(1));
    EXPECT_TRUE(Host().Checked(0) && Host().Checked(1));
    EXPECT_EQ(Host().ShownPluginIndex(), -1);

    // Refresh while a panel is shown: the panel goes with its selection
    // stored, both plug-ins are listed again unchecked, item 0 selected.
    QApplication::setActiveWindow(main);
    main->PCOperation->setCurrentWidget(main->TSPlugins);
    ClickRow(List(), 1);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_TRUE(Panel()->Checked(HtmlPreserveBreaks) && Panel()->Checked(HtmlSaveAsTxt));
    ClickCheck(*Panel(), HtmlPreserveBreaks);
    pressKey(&List(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(readIniString(homeDir() + HtmlToTextIniName, "General", "Selected"), "1");
    EXPECT_EQ(Panel(), nullptr);
    EXPECT_EQ(Host().ShownPluginIndex(), -1);
    EXPECT_EQ(List().currentRow(), 0);
    EXPECT_FALSE(List().Checked(0) || List().Checked(1) || Host().AnyChecked());
    EXPECT_FALSE(main->AApply->isEnabled());
}

// While Apply runs, the commands that would change its inputs do nothing, no
// Stop is offered, and Exit and the title bar's close wait for its end.
TEST_F(PluginsWindow, ApplyIsBusyAndCloseWaitsForItsEnd) {
    for (const bool exit : {false, true}) {
        SCOPED_TRACE(exit ? "Exit" : "the title bar's close");
        program.reset(); // the docked pages go with the window
        if (!files.page)
            files.page = new QWidget;
        if (!rules.page)
            rules.page = new QWidget;
        StartOnPlugins();
        files.files = {AddFile("a.txt", "1\r\n"), AddFile("b.txt", "2\r\n")};
        rules.rules.assign(1, {true, MakeRule("1", "x", false)});
        ClickCheck(List(), 0);
        int pumps = 0;
        Every([&] {
            if (!main->Applying() || ++pumps > 1)
                return;
            EXPECT_TRUE(main->Busy());
            EXPECT_FALSE(main->AStop->isVisible());
            EXPECT_FALSE(main->AApply->isEnabled());
            EXPECT_FALSE(main->ALinkPlugins->isEnabled());
            EXPECT_FALSE(main->PCOperation->isEnabled());
            main->AStartExecute();
            main->ANewProjectExecute();
            main->ALinkPluginsExecute();
            main->AApplyExecute();
            main->AViewOptionsExecute();
            if (exit)
                main->AExitProgExecute();
            else
                main->close();
            EXPECT_TRUE(main->isVisible()) << "put off while Apply runs";
        }, 0);
        QPointer<TFMain> window = main;
        main->AApply->trigger();
        EXPECT_GE(pumps, 1);
        EXPECT_EQ(readFile(path("a.txt")), "1\r\n") << "no processing run started inside Apply";
        EXPECT_EQ(files.files.size(), 2) << "New project did not empty the tree";
        EXPECT_TRUE(Host().Checked(0)) << "Refresh did nothing";
        EXPECT_TRUE(waitUntil([&] { return !window->isVisible(); })) << "closed once Apply ended";
        // Only Exit saves the settings on the way out.
        EXPECT_EQ(IniFile(MainUnit.OptionsFileName).readString("FMain", ".CLBPlugins.Checked"),
                  exit ? "\"Simple Changer\"" : "");
    }
}

// A backup copy that cannot be made: Abort skips the file with a report
// line and Apply goes on; Ignore runs the plug-ins without a copy.
TEST_F(PluginsWindow, AbortedBackupSkipsTheFile) {
    StartOnPlugins();
    const QString a = AddFile("a.txt", "1\r\n");
    const QString b = AddFile("b.txt", "2\r\n");
    files.files = {a, b};
    TBackupManager& store = *program->DMDataModule->BackupManager;
    // A file where the copies' folder would have to be made.
    const QString first = QDir::fromNativeSeparators(a).section(u'/', 0, 0, QString::SectionSkipEmpty);
    ASSERT_TRUE(QDir().mkpath(store.BackupFolder()));
    writeFile(QDir(path(".")).relativeFilePath(store.BackupFolder() + first), "in the way");
    ClickCheck(*Panel(), 1);
    ClickCheck(List(), 0);
    prompt.push(Answer::Abort);
    prompt.push(Answer::Ignore);
    main->AApply->trigger();
    EXPECT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(readFile(a), "1\r\n");
    EXPECT_EQ(readFile(b), "2\n");
    const QString skipped = program->DMDataModule->LangManager->GetText("szBackupAbortedSkipped");
    ASSERT_FALSE(skipped.isEmpty());
    EXPECT_EQ(main->Report.Lines(),
              QStringList({format(skipped, {a}), b + SimpleChangerOperations[1].Suffix}));
}

// The Plugins page with each panel shown, in every language.
TEST_F(PluginsWindow, PagePictures) {
    StartOnPlugins();
    files.files = {AddFile("a.htm", "<p>a</p>")};
    TLangManager& langs = *program->DMDataModule->LangManager;
    ClickCheck(List(), 0);
    for (int lang = 0; lang < langs.LanguageCount(); ++lang) {
        langs.SetCurrentLang(lang);
        main->resize(main->minimumSize());
        for (int row : {0, 1}) {
            ClickRow(List(), row);
            ASSERT_NE(Panel(), nullptr);
            if (!Panel()->Checked(0))
                ClickCheck(*Panel(), 0);
            main->Plugins->AApplyUpdate();
            QApplication::processEvents();
            saveScreen(*main, QStringLiteral("FMain_TSPlugins_%1_%2").arg(row ? "html" : "simple").arg(lang));
            EXPECT_EQ(Panel()->geometry(), main->PConfig->rect());
        }
    }
}

} // namespace
} // namespace bw::test
