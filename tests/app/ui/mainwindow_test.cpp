// The program started as ProgramEntry starts it, runs made, stopped and read
// from the main window.

#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QWindow>
#include <gtest/gtest.h>

#include "app/ui/fconvert.h"
#include "app/ui/rulespage.h"
#include "files/ui/ffilefilter.h"
#include "files/ui/fofiles.h"
#include "files/ui/fpfilemanager.h"
#include "files/ui/fselectfolder.h"
#include "platform/ui/chooser.h"
#include "rules/ui/feditsrinfo.h"
#include "rules/ui/foptionframes.h"
#include "rules/ui/fpsrmanager.h"
#include "app/ui/foreport.h"
#include "app/ui/gaugeview.h"
#include "engine/ui/fprocess.h"
#include "options/ui/fbackupmanager.h"
#include "options/ui/foptions.h"
#include "services/langmanager.h"
#include "services/ui/datamodule.h"
#include "services/ui/pagecontrolex.h"
#include "tests/app/ui/mainwindow_support.h"
#include "tests/services/failures.h"
#include "tests/support/screens.h"

namespace bw::test {
namespace {

using StartUp = ProgramTest;

TEST_F(StartUp, FirstStartInAnEmptyHome) {
    ASSERT_TRUE(QDir(MainUnit.ProjectFolder).exists()); // made before any window
    ASSERT_FALSE(exists(MainUnit.OptionsFileName));
    files.sr = true;
    files.convert = false;
    Start();
    EXPECT_TRUE(exists(MainUnit.OptionsFileName)); // first-run defaults written
    EXPECT_EQ(main->windowTitle(), "Brindlewick - New project");
    EXPECT_EQ(main->ELastProject->text(), "New project");
    EXPECT_EQ(main->PCOperation->currentWidget(), main->TSFiles);
    EXPECT_TRUE(main->PCOperation->isTabVisible(1));  // Search/Replace
    EXPECT_FALSE(main->PCOperation->isTabVisible(2)); // Convert
    EXPECT_EQ(files.page->parentWidget(), main->TSFiles);
    EXPECT_EQ(rules.page->parentWidget(), main->TSSR);
    EXPECT_GE(files.focused, 1);
    EXPECT_TRUE(main->AStart->isEnabled());
    EXPECT_FALSE(main->AStop->isVisible());
    EXPECT_EQ(main->minimumSize(), QSize(640, 512));
    EXPECT_TRUE(main->PCOperation->Flat);
    main->Gauge->SetGaugeVisible(true); // over the second panel of the status bar
    EXPECT_EQ(main->Gauge->geometry(), QRect(173, 3, 196, 15));
    main->Gauge->SetGaugeVisible(false);

    // Neither operation: Process is off; the tabs follow every change.
    files.SetOperations(false, true);
    EXPECT_FALSE(main->PCOperation->isTabVisible(1));
    EXPECT_TRUE(main->PCOperation->isTabVisible(2));
    files.SetOperations(false, false);
    EXPECT_FALSE(main->AStart->isEnabled());
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(StartUp, AStoredPageWithAHiddenTabIsNotShown) {
    files.convert = true;
    Start();
    main->PCOperation->setCurrentWidget(main->TSConvert);
    program->FOptions->Cycle().OptionsSet(); // the Convert page is stored as the active one
    program.reset();

    files.convert = false;
    files.page = new QWidget;
    rules.page = new QWidget;
    Start();
    EXPECT_FALSE(main->PCOperation->isTabVisible(main->PCOperation->indexOf(main->TSConvert)));
    EXPECT_EQ(main->PCOperation->currentWidget(), main->TSFiles);
}

TEST_F(StartUp, AMissingLanguageFolderIsNamedAndStartUpGoesOn) {
    MainUnit.AppDir = path("noprogram/");
    Start();
    ASSERT_FALSE(prompt.asked().empty());
    EXPECT_TRUE(prompt.asked().front().text.contains(QDir::toNativeSeparators(path("noprogram/Langs/Langs.lng"))))
        << prompt.asked().front().text.toStdString();
    EXPECT_TRUE(exists(MainUnit.OptionsFileName)); // the settings still came
    EXPECT_EQ(main->windowTitle(), "Brindlewick - New project");
}

TEST_F(StartUp, TheOptionsReachTheMainWindow) {
    Start();
    TFOptions& options = *program->FOptions;
    QFont font(QStringLiteral("Monospace"), 13);
    options.LExample->setFont(font);
    options.ASetAllFontExecute();
    EXPECT_EQ(main->MReport->font().pointSize(), 13);
    EXPECT_EQ(main->TextFont().pointSize(), 13);
    main->SetMenuTitles({"&Datei", "&Ansicht"});
    EXPECT_EQ(main->MFile->title(), "&Datei");
    EXPECT_EQ(main->MView->title(), "&Ansicht");
    EXPECT_EQ(main->MHelp->title(), main->MHelp->actions().front()->text());
}

TEST_F(StartUp, TheMemoFollowsTheReportInEveryChange) {
    Start(false);
    TReport& report = main->Report;
    const auto memo = [&] { return main->MReport->toPlainText(); };
    const std::vector<std::function<void()>> changes = {
        [&] { report.Append("one"); },
        [&] { report.Append("two"); report.Append("three"); }, // appended: added in one piece
        [&] { report.InsertFirst("top"); },                   // a line on top: shown anew
        [&] { report.Append("four"); },
        [&] { report.Clear(); },
        [&] { report.Append(""); report.Append("after an empty line"); },
    };
    for (const auto& change : changes) {
        change();
        main->RefreshReport();
        EXPECT_EQ(memo(), report.Text());
    }
}

// A window with no stored place shows again where it was left, also after
// the user moved it (as the window manager reports a move), not placed afresh:
// the options dialog opened twice, the processing window at two matches.
TEST_F(StartUp, AWindowWithNoStoredPlaceShowsAgainWhereItWasLeft) {
    for (const bool options : {true, false}) {
        Start();
        QDialog* dialog = options ? static_cast<QDialog*>(program->FOptions) : program->FProcess;
        std::vector<QRect> shown, left;
        Every([&] {
            if (!dialog->isVisible())
                return;
            QApplication::processEvents();
            shown.push_back(dialog->geometry());
            if (shown.size() == 1)
                dialog->windowHandle()->setPosition(dialog->pos() + QPoint(37, -23));
            QApplication::processEvents();
            left.push_back(dialog->geometry());
            options ? program->FOptions->reject() : program->FProcess->AYes->trigger();
        });
        if (options) {
            main->AViewOptions->trigger();
            main->AViewOptions->trigger();
        } else {
            AddFile("a.txt", "cat cat\n");
            rules.rules.emplace_back(true, MakeRule("cat", "dog", true));
            main->AStart->trigger();
        }
        ASSERT_EQ(shown.size(), 2u) << options;
        EXPECT_NE(left[0], shown[0]);
        EXPECT_EQ(shown[1], left[0]) << (options ? "the options dialog" : "the processing window");
        program.reset();
    }
}

class RunFromTheWindow : public ProgramTest {
protected:
    QString Memo() const { return main->MReport->toPlainText(); }
    TFProcess& Process() const { return *program->FProcess; }
};

TEST_F(RunFromTheWindow, F9RunsTheRulesAndTheReportShows) {
    Start(); // a new project: the pages are emptied
    const QString a = AddFile("a.txt", "one cat\n");
    const QString b = AddFile("b.txt", "two cats\n");
    const QString c = AddFile("c.txt", "no dog\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", true, "Win-1251,Nowhere"));

    struct Seen {
        QString title;
        bool startVisible = true, stopVisible = false, pagesEnabled = true, gaugeVisible = false;
        QWidget* page = nullptr;
    };
    std::vector<Seen> seen;
    bool screened = false;
    Every([&] {
        if (!Process().isVisible())
            return;
        EXPECT_EQ(QApplication::activeModalWidget(), &Process()); // no main-window key gets through
        seen.push_back({main->windowTitle(), main->AStart->isVisible(), main->AStop->isVisible(),
                        main->PCOperation->isEnabled(), main->Gauge->isVisible(), main->PCOperation->currentWidget()});
        if (!screened) {
            screened = true;
            saveScreen(*main, "FMain_running");
        }
        Process().AYes->trigger();
    });
    main->AStart->trigger();

    EXPECT_EQ(readFile(a), "one dog\n");
    EXPECT_EQ(readFile(b), "two dogs\n");
    EXPECT_EQ(readFile(c), "no dog\n");
    ASSERT_FALSE(seen.empty());
    for (const Seen& s : seen) {
        EXPECT_FALSE(s.startVisible);
        EXPECT_TRUE(s.stopVisible);
        EXPECT_FALSE(s.pagesEnabled);
        EXPECT_TRUE(s.gaugeVisible);
        EXPECT_EQ(s.page, main->TSReport);
    }
    EXPECT_TRUE(seen.back().title.startsWith("{")) << seen.back().title.toStdString();
    EXPECT_TRUE(seen.back().title.endsWith(" - Brindlewick - New project")) << seen.back().title.toStdString();

    // After: idle again, the title and the page as the options say, the memo shows the report.
    EXPECT_TRUE(main->AStart->isVisible());
    EXPECT_FALSE(main->AStop->isVisible());
    EXPECT_TRUE(main->PCOperation->isEnabled());
    EXPECT_FALSE(main->Gauge->isVisible());
    EXPECT_EQ(main->windowTitle(), "Brindlewick - New project");
    EXPECT_EQ(main->PCOperation->currentWidget(), main->TSReport);
    EXPECT_TRUE(main->FilesToProcess().isEmpty());
    EXPECT_EQ(Memo(), main->Report.Text());
    EXPECT_TRUE(Memo().contains(QDir::toNativeSeparators(a)) || Memo().contains(a));
    EXPECT_TRUE(Memo().contains("Nowhere")) << Memo().toStdString(); // the unknown code page is named
    EXPECT_EQ(main->SBar->Text(0), QString());
}

// A rule editor that confirms a prepared rule.
struct ConfirmingEditor : TRuleEditor {
    TSRInfo next;
    bool Edit(TSRInfo& rule) override {
        rule = next;
        return true;
    }
    std::string NewRuleText() const override { return {}; }
};

TEST_F(RunFromTheWindow, FilesAndRulesAddedOnTheirPagesRunAndANewProjectClearsThem) {
    Start(true, true);
    ASSERT_EQ(program->FPFileManager->parentWidget(), main->TSFiles);
    ASSERT_EQ(program->FPSRManager->parentWidget(), main->TSSR);
    const QString a = writeFile("a.txt", "cat\n");
    const QString b = writeFile("b.txt", "no\n");
    ScriptedChooser chooser;
    ScopedChooser scoped(chooser);
    chooser.pushFiles({a, b});
    program->FPFileManager->AAddFilesExecute();
    ConfirmingEditor editor;
    editor.next = MakeRule("cat", "dog", false);
    program->FPSRManager->Editor = &editor;
    program->FPSRManager->AAddExecute();
    ASSERT_EQ(program->FPSRManager->Count(), 1);

    // The page's operations decide the tabs and Process.
    program->FPFileManager->AConvert->trigger();
    EXPECT_TRUE(main->PCOperation->isTabVisible(main->PCOperation->indexOf(main->TSConvert)));
    program->FPFileManager->AConvert->trigger();
    EXPECT_FALSE(main->PCOperation->isTabVisible(main->PCOperation->indexOf(main->TSConvert)));

    main->AStart->trigger();
    EXPECT_EQ(readFile(a), "dog\n");
    EXPECT_EQ(readFile(b), "no\n");
    EXPECT_TRUE(main->MReport->toPlainText().contains(QFileInfo(a).fileName()));
    main->PCOperation->setCurrentWidget(main->TSSR);
    EXPECT_EQ(program->FPSRManager->SelectedRow(), 0); // the page selects its first row
    main->ANewProject->trigger();
    EXPECT_EQ(program->FPSRManager->Count(), 0);
    EXPECT_EQ(main->PCOperation->currentWidget(), main->TSFiles);
    prompt.push(Answer::Ok);
    main->AStart->trigger(); // the tree is empty: the page says so, nothing runs
    EXPECT_EQ(readFile(a), "dog\n");
    EXPECT_FALSE(prompt.asked().empty());
    program->FPSRManager->Editor = program->FEditSRInfo;
}

TEST_F(RunFromTheWindow, StopMidRunLeavesTheRestAndTheWindowIdle) {
    Start();
    QStringList paths;
    for (int i = 0; i < 4; ++i)
        paths << AddFile(QStringLiteral("f%1.txt").arg(i), "cat\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", true));
    prompt.push(Answer::Yes); // stop the operation
    bool stopped = false;
    Every([&] {
        if (!Process().isVisible())
            return;
        if (!stopped && Process().windowTitle().contains("f1.txt")) {
            stopped = true;
            main->AStop->trigger(); // asks, the run stops at its next test
        }
        Process().AYes->trigger();
    });
    main->AStart->trigger();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(readFile(paths[0]), "dog\n");
    EXPECT_EQ(readFile(paths[2]), "cat\n");
    EXPECT_EQ(readFile(paths[3]), "cat\n");
    EXPECT_TRUE(main->AStart->isVisible());
    EXPECT_FALSE(main->AStop->isVisible());
    EXPECT_FALSE(main->Run().Running());
    ASSERT_FALSE(prompt.asked().empty());
    EXPECT_EQ(prompt.asked().front().buttons, Buttons::YesNo);
}

TEST_F(RunFromTheWindow, ClosingTheWindowMidRunStopsTheRun) {
    Start();
    const QString a = AddFile("a.txt", "cat\n");
    const QString b = AddFile("b.txt", "cat\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", true));
    prompt.push(Answer::Yes); // stop the operation
    bool stillWaiting = false;
    Every([&] {
        if (!Process().isVisible())
            return;
        if (prompt.asked().empty()) {
            main->close(); // by the title bar, while the processing window waits: asks like Stop
            return;
        }
        // Yes ends the wait as Abort does; a wait that goes on is answered to end the test.
        stillWaiting = true;
        Process().AYes->trigger();
    });
    main->AStart->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(stillWaiting);
    EXPECT_EQ(readFile(a), "cat\n"); // the file under way is left as it was
    EXPECT_EQ(readFile(b), "cat\n");
    EXPECT_FALSE(main->Run().Running());
    EXPECT_FALSE(main->isVisible());
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked().front().buttons, Buttons::YesNo);
}

TEST_F(RunFromTheWindow, NoToTheCloseQuestionLeavesTheWaitAsItWas) {
    Start();
    const QString a = AddFile("a.txt", "cat\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", true));
    prompt.push(Answer::No); // go on with the run
    Every([&] {
        if (!Process().isVisible())
            return;
        if (prompt.asked().empty())
            main->close();
        else
            Process().AYes->trigger();
    });
    main->AStart->trigger();
    QApplication::processEvents();
    EXPECT_EQ(readFile(a), "dog\n");
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(prompt.asked().size(), 1u);
}

TEST_F(RunFromTheWindow, NothingReentersTheRunAtItsPumps) {
    Start();
    QStringList paths;
    for (int i = 0; i < 30; ++i)
        paths << AddFile(QStringLiteral("f%1.txt").arg(i), "cat\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", false));
    main->ELastProject->setText(path("job.bwp"));
    main->AUpdateProjectNameExecute();
    int pumps = 0;
    QTimer* t = Every(
        [&] {
            if (!main->Run().Running())
                return;
            ++pumps;
            for (QAction* a : {main->ANewProject, main->AOpenProject, main->AStart, main->AViewOptions,
                               main->AViewBackupManager, main->ASaveProject, main->AApply, main->ALinkPlugins})
                a->trigger();
            main->ANewProjectExecute();
            main->AStartExecute();
            main->AViewOptionsExecute();
            main->AViewBackupManagerExecute();
            EXPECT_FALSE(main->PCOperation->isEnabled());
            EXPECT_FALSE(main->acceptDrops());
        },
        0);
    main->AStart->trigger();
    t->stop();
    EXPECT_GT(pumps, 0);
    for (const QString& p : paths)
        EXPECT_EQ(readFile(p), "dog\n") << p.toStdString();
    EXPECT_EQ(rules.rules.size(), 1u); // the rules under the loop were never freed
    EXPECT_EQ(main->ELastProject->text(), path("job.bwp"));
    EXPECT_EQ(main->windowTitle(), "Brindlewick - job");
    EXPECT_FALSE(program->FOptions->isVisible());
    EXPECT_FALSE(program->FBackupManager->isVisible());
    EXPECT_TRUE(main->AStart->isEnabled());
    EXPECT_TRUE(main->ANewProject->isEnabled());
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(RunFromTheWindow, ACompileErrorGoesIntoTheReportWhenAsked) {
    Start();
    AddFile("a.txt", "text\n");
    TSRInfo broken = MakeRule("[", "x", false);
    broken.Source.sbAS = true; // a pattern that does not compile
    rules.rules.emplace_back(true, broken);
    for (bool on : {true, false}) {
        main->FOReport1->CBTErrors->setChecked(on);
        const std::size_t before = prompt.asked().size();
        main->AStart->trigger();
        EXPECT_EQ(prompt.asked().size(), before + 2); // the two message boxes stay
        const QString check = program->DMDataModule->LangManager->GetText("szCheckSourceText");
        EXPECT_EQ(main->MReport->toPlainText().contains(check), on) << main->MReport->toPlainText().toStdString();
    }
}

TEST_F(RunFromTheWindow, ConversionOnTakesTheSelectedPairAndShowsTheConvertPage) {
    files.sr = false;
    files.convert = true;
    Start();
    const QString a = AddFile("a.txt", "\xE0");
    program->FOptions->RBGoToConvert->setChecked(true);
    main->PCOperation->setCurrentWidget(main->TSConvert); // entered: a source and a target are selected
    main->FConvert1->LBCP2->setCurrentRow(1);             // Win-1251 -> KOI8-R
    main->AStart->trigger();
    EXPECT_EQ(readFile(a), "\xC1");
    EXPECT_EQ(main->FConvert1->LBScheme->count(), 1);
    EXPECT_EQ(main->PCOperation->currentWidget(), main->TSConvert);
    QApplication::processEvents();
    saveScreen(*main, "FMain_convert_scheme");
}

TEST_F(RunFromTheWindow, PagesInBothLanguages) {
    Start(true, true);
    program->FPFileManager->AConvert->trigger();
    main->FConvert1->FrameEnter();
    main->FConvert1->AddStep(3);
    main->FConvert1->AddStep(10);
    main->Report.Append("C:/work/a.txt: 2 changes");
    main->RefreshReport();
    TLangManager& langs = *program->DMDataModule->LangManager;
    for (int lang = 0; lang < langs.LanguageCount(); ++lang) {
        langs.SetCurrentLang(lang);
        main->resize(main->minimumSize());
        for (int page = 0; page < main->PCOperation->count(); ++page) {
            main->PCOperation->setCurrentIndex(page);
            QApplication::processEvents();
            saveScreen(*main, QStringLiteral("FMain_%1_%2").arg(main->PCOperation->currentWidget()->objectName()).arg(lang));
        }
        // "Automatic" shows in the language in every code-page list; the rule
        // dialog's list keeps the page's own name for what it stores.
        const QString automatic = lang ? "Автоматически" : "Automatic";
        QListWidget& sources = *main->FConvert1->LBCP1;
        EXPECT_EQ(sources.item(sources.count() - 1)->text(), automatic);
        TCheckListBox& pages = *program->FEditSRInfo->FOFind->CLBCP;
        const int row = pages.IndexOf("Automatic");
        ASSERT_GE(row, 0);
        EXPECT_EQ(pages.item(row)->text(), automatic);
        EXPECT_GE(Process().CBCP->findText(automatic), 0);
    }
    EXPECT_TRUE(prompt.asked().empty());
}

// Latin words left in a text shown in Russian once the arguments (paths,
// what the user typed, block codes) and the names that stay as they are are
// taken out.
QStringList LatinWords(QString shown, const QStringList& args) {
    for (const QString& arg : args)
        shown.remove(arg);
    for (const char* name : {"Brindlewick", "Windows-1251", "Win-1251"})
        shown.remove(QLatin1String(name));
    shown.remove(QCoreApplication::applicationName());
    QStringList words;
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]+"));
    for (auto it = latin.globalMatch(shown); it.hasNext();)
        words << it.next().captured();
    return words;
}

// In Russian every message box, question, report line, window title and
// chooser title the program shows is Russian, also where the engine, the file
// formats and the file routines give the reason.
TEST_F(RunFromTheWindow, EverythingShownInRussianIsRussian) {
    ScriptedChooser choose;
    ScopedChooser scopedChooser(choose);
    Start();
    program->DMDataModule->LangManager->SetCurrentLang(1);
    QApplication::processEvents();
    main->FOReport1->CBTErrors->setChecked(true);
    main->FOReport1->CBSErrors->setChecked(true);
    const QString file = path("a.txt");
    const auto runRule = [&](const QString& search, const QString& target, bool maskedTarget) {
        files.files = {writeFile("a.txt", "cat name\n")};
        TSRInfo rule = MakeRule(search, target, false);
        rule.Source.sbAS = !maskedTarget;
        rule.Target.tbAS = maskedTarget;
        rules.rules = {{true, rule}};
        main->AStart->trigger();
    };
    struct Flow {
        const char* key; // the message the flow must show
        std::function<void()> act;
        QStringList args; // what the texts name as it is
    };
    const std::vector<Flow> flows = {
        {"szNoClosingBracket", [&] { runRule("cat[", "x", false); }, {file}},
        {"szGapAtEdge", [&] { runRule("[*]cat", "x", false); }, {file}},
        {"szUnknownBlock", [&] { runRule("c[ZZ]", "x", false); }, {file, "ZZ"}},
        {"szBlockTooLong", [&] { runRule("c[65C16777217]", "x", false); }, {file, "65C16777217"}},
        {"szCounterNoStart", [&] { runRule("cat", "[I5]", true); }, {file, "[I]"}},
        {"szBlockRefNoNumber", [&] { runRule("cat", "[B]", true); }, {file, "[B]"}},
        {"szBlockNotFound", [&] { runRule("cat", "[2B]", true); }, {file}},
        {"szLineFileUnreadable", [&] { runRule("cat", "[Q\"missing.txt\"]", true); }, {file, path("Input/missing.txt")}},
        {"szNameHasSeparator",
         [&] {
             files.files = {writeFile("a.txt", "cat name\n")};
             TSRInfo rule = MakeRule("name", "sub/x.txt", false);
             rule.SearchActionType = ofatRenameFile;
             rules.rules = {{true, rule}};
             main->AStart->trigger();
         },
         {file, "sub/x.txt"}},
        {"szErrorSavingFileT",
         [&] {
             files.files = {writeFile("a.txt", "cat\n")};
             rules.rules = {{true, MakeRule("cat", "a much longer text", false)}};
             FileSizeLimit limit(8);
             main->AStart->trigger();
         },
         {file, path("Brindlewick.ini")}},
        {"szFolderNot1251",
         [&] {
             TSRInfo rule = MakeRule("cat", "dog", false);
             rule.Target.OutFolder = QString::fromUtf8("/\u6587");
             rules.rules = {{true, rule}};
             choose.pushSave(path("p.bwp"));
             main->ASaveProjectAs->trigger();
         },
         {path("p.bwp"), QString::fromUtf8("/\u6587")}},
        {"szTreeBadFormat",
         [&] {
             writeFile("damaged.lst", std::string("\x10\x00\x00\x00garbage that is no tree", 27));
             choose.pushFiles({path("damaged.lst")});
             program->FPFileManager->ALoadFileList->trigger();
         },
         {path("damaged.lst")}},
        {"szInvalidMask",
         [&] {
             TFFileFilter& filter = *program->FSelectFolder->FOFiles1->FInclude;
             if (!filter.CBMasks->isChecked())
                 filter.CBMasks->click();
             prompt.pushText(QString("[bad"));
             filter.BAdd->click();
         },
         {"[bad"}},
        {"szNoFileTree",
         [&] {
             main->SetPages(nullptr, &rules);
             choose.pushSave(path("p.bwp"));
             main->ASaveProjectAs->trigger();
             main->SetPages(&files, &rules);
         },
         {path("p.bwp")}},
        {nullptr, [&] { program->FEditSRInfo->FOReplace->BSelectOutFolder->click(); }, {}},
    };
    const TLangManager& langs = *program->DMDataModule->LangManager;
    for (const Flow& flow : flows) {
        SCOPED_TRACE(flow.key ? flow.key : "Browse for folder");
        const std::size_t asked = prompt.asked().size();
        const std::size_t chosen = choose.requests().size();
        main->Report.Clear();
        main->RefreshReport();
        flow.act();
        QApplication::processEvents();
        QStringList shown = {main->windowTitle(), main->MReport->toPlainText()};
        for (std::size_t i = asked; i < prompt.asked().size(); ++i)
            shown << prompt.asked()[i].caption << prompt.asked()[i].text;
        for (std::size_t i = chosen; i < choose.requests().size(); ++i)
            shown << choose.requests()[i].title;
        // The flow came to its message: the longest piece of its text between placeholders shows.
        QString piece = QString::fromUtf8("Выбор папки");
        if (flow.key) {
            piece.clear();
            for (const QString& part : langs.GetText(flow.key).split(QRegularExpression("%[-0-9.]*[sdux]")))
                if (part.size() > piece.size())
                    piece = part;
        }
        EXPECT_TRUE(shown.join('\n').contains(piece)) << piece.toStdString() << "\n" << shown.join('\n').toStdString();
        for (const QString& text : shown)
            EXPECT_TRUE(LatinWords(text, flow.args).isEmpty()) << text.toStdString();
    }
}

} // namespace
} // namespace bw::test
