// The main window's project, report, help, exit, drop and mail commands,
// driven through its actions with the file-chooser and print seams scripted.

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QShortcut>
#include <gtest/gtest.h>

#include "app/maincommands.h"
#include "app/projectjob.h"
#include "app/ui/fconvert.h"
#include "app/ui/filespage.h"
#include "app/ui/fmain_commands.h"
#include "app/ui/foreport.h"
#include "app/ui/reportprint.h"
#include "app/ui/rulespage.h"
#include "engine/ui/fprocess.h"
#include "files/filefilter.h"
#include "files/filetree.h"
#include "files/ui/fofiles.h"
#include "files/ui/fpfilemanager.h"
#include "files/ui/fselectfolder.h"
#include "rules/ui/fpsrmanager.h"
#include "options/ui/foptions.h"
#include "options/version.h"
#include "platform/ui/chooser.h"
#include "services/ui/datamodule.h"
#include "services/ui/pagecontrolex.h"
#include "tests/app/ui/mainwindow_support.h"
#include "tests/support/screens.h"

namespace bw::test {
namespace {

class MainCommands : public ProgramTest {
protected:
    MainCommands() : scoped_(choose) {}

    // A job on the pages: two files, two rules, a scheme of two steps.
    void FillJob() {
        files.files = {path("a.txt"), path("sub/b.txt")};
        rules.rules.emplace_back(true, MakeRule("cat", "dog", false));
        rules.rules.emplace_back(false, MakeRule("one", "two", true));
        main->FConvert1->AddStep(3);
        main->FConvert1->AddStep(10);
    }
    QVector<int> Steps() const { return main->FConvert1->Scheme().Steps(); }
    TFProcess& Process() const { return *program->FProcess; }

    void Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at(main->width() / 2, main->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main, &drop);
    }

    ScriptedChooser choose;

private:
    ScopedChooser scoped_;
};

TEST_F(MainCommands, NewSaveOpenRoundTripAWholeJobWithoutDoublingTheScheme) {
    Start();
    FillJob();
    const auto savedRules = rules.rules;
    const QString project = path("Projects/my.job.bwp");

    // Save project on a new project is Save as; Cancel writes nothing.
    main->ASaveProject->trigger();
    EXPECT_EQ(main->ELastProject->text(), "New project");
    ASSERT_EQ(choose.requests().size(), 1u);
    EXPECT_EQ(choose.requests()[0].kind, ScriptedChooser::Kind::SaveFile);
    EXPECT_EQ(choose.requests()[0].defaultSuffix, "bwp");
    EXPECT_EQ(choose.requests()[0].filter, "Brindlewick projects (*.bwp)");

    choose.pushSave(project);
    main->ASaveProjectAs->trigger();
    ASSERT_TRUE(exists(project));
    EXPECT_EQ(main->windowTitle(), "Brindlewick - my.job");

    main->ANewProject->trigger();
    EXPECT_TRUE(files.files.isEmpty());
    EXPECT_TRUE(rules.rules.empty());
    EXPECT_EQ(Steps(), QVector<int>({3, 10})) << "New project leaves the scheme";
    EXPECT_EQ(main->windowTitle(), "Brindlewick - New project");

    for (int round = 0; round < 2; ++round) {
        choose.pushFiles({project});
        main->AOpenProject->trigger();
        EXPECT_EQ(files.files, QStringList({path("a.txt"), path("sub/b.txt")}));
        ASSERT_EQ(rules.rules.size(), 2u);
        EXPECT_EQ(rules.rules[0], savedRules[0]);
        EXPECT_EQ(rules.rules[1], savedRules[1]);
        EXPECT_EQ(Steps(), QVector<int>({3, 10})) << "round " << round;
        EXPECT_EQ(main->ELastProject->text(), project);
        EXPECT_EQ(main->windowTitle(), "Brindlewick - my.job");
    }
    const ScriptedChooser::Request& open = choose.requests().back();
    EXPECT_EQ(open.kind, ScriptedChooser::Kind::OpenFiles);
    EXPECT_EQ(open.folder, program->FOptions->Cycle().ProjectFolder);
    EXPECT_FALSE(open.multiple);

    // Ctrl+S now writes where the title says, without a dialog.
    rules.rules.pop_back();
    const std::size_t asked = choose.requests().size();
    main->ASaveProject->trigger();
    EXPECT_EQ(choose.requests().size(), asked);
    main->ANewProject->trigger();
    main->OpenProject(project);
    EXPECT_EQ(rules.rules.size(), 1u);
    EXPECT_TRUE(prompt.asked().empty());

    main->PCOperation->setCurrentWidget(main->TSSR);
    for (int lang = 0; lang < program->DMDataModule->LangManager->LanguageCount(); ++lang) {
        program->DMDataModule->LangManager->SetCurrentLang(lang);
        main->resize(main->minimumSize());
        QApplication::processEvents();
        saveScreen(*main, QStringLiteral("FMain_project_%1").arg(lang));
    }
}

// In Russian the file dialogs name their kinds of file in Russian.
TEST_F(MainCommands, FileFiltersInRussian) {
    Start();
    program->DMDataModule->LangManager->SetCurrentLang(1);
    main->AOpenProject->trigger();
    main->ASaveReport->trigger();
    ASSERT_EQ(choose.requests().size(), 2u);
    EXPECT_EQ(choose.requests()[0].filter, QString::fromUtf8("Проекты Brindlewick (*.bwp)"));
    EXPECT_EQ(choose.requests()[1].filter, QString::fromUtf8("Текстовый документ (*.txt)"));
}

TEST_F(MainCommands, AProjectOpensIntoTheRealPages) {
    // A project made without the window: three files, two rules, one step.
    TProjectJob job;
    QStringList paths;
    for (const char* name : {"letters/a.txt", "letters/b.txt", "notes/c.txt"})
        paths << writeFile(name, "cat\n");
    job.Tree.AddFileList(paths);
    job.Rules.Append(true, std::make_unique<TSRInfo>(MakeRule("cat", "dog", false)));
    job.Rules.Append(false, std::make_unique<TSRInfo>(MakeRule("one", "two", true)));
    job.Scheme.AddStep(3);
    SaveProjectFile(path("Projects/letters.bwp"), job.Sections(), {});

    Start(false, true);
    main->SetPages(program->FilesPage(), program->RulesPage());
    main->show();
    QApplication::processEvents();
    main->OpenProject(path("Projects/letters.bwp"));
    QStringList opened;
    program->FPFileManager->Tree().GetFileList(opened);
    EXPECT_EQ(opened, paths);
    ASSERT_EQ(program->FPSRManager->Count(), 2);
    EXPECT_FALSE(program->FPSRManager->Checked(1));
    EXPECT_EQ(Steps(), QVector<int>({3}));
    EXPECT_EQ(main->windowTitle(), "Brindlewick - letters");
    EXPECT_TRUE(prompt.asked().empty());

    TLangManager& langs = *program->DMDataModule->LangManager;
    program->FPFileManager->AExpandExecute();
    for (int lang = 0; lang < langs.LanguageCount(); ++lang) {
        langs.SetCurrentLang(lang);
        main->resize(main->minimumSize());
        for (QWidget* page : {main->TSFiles, main->TSSR}) {
            main->PCOperation->setCurrentWidget(page);
            QApplication::processEvents();
            saveScreen(*main, QStringLiteral("FMain_opened_project_%1_%2").arg(page->objectName()).arg(lang));
        }
    }
    // Saved again by hand, it is the same job.
    main->ASaveProject->trigger();
    main->ANewProject->trigger();
    EXPECT_EQ(program->FPSRManager->Count(), 0);
    main->OpenProject(path("Projects/letters.bwp"));
    opened.clear();
    program->FPFileManager->Tree().GetFileList(opened);
    EXPECT_EQ(opened, paths);
    EXPECT_EQ(program->FPSRManager->Count(), 2);
}

TEST_F(MainCommands, ThreeFilesAndAFolderDroppedOnTheRealPage) {
    Start(false, true);
    main->SetPages(program->FilesPage(), program->RulesPage());
    main->show();
    QApplication::processEvents();
    TFileFilter panels;
    panels.IUseMasks = true;
    panels.SetIMasks({"*.txt"});
    panels.EUseMasks = true;
    panels.SetEMasks({"*.bak"});
    program->FSelectFolder->FOFiles1->FilterTextToInterface(panels.Text());
    QStringList dropped;
    for (const char* name : {"one.txt", "two.txt", "three.txt"})
        dropped << writeFile(name, "x");
    QDir().mkpath(path("folder"));
    Drop({QUrl::fromLocalFile(dropped[0]), QUrl::fromLocalFile(path("folder")), QUrl::fromLocalFile(dropped[1]),
          QUrl::fromLocalFile(dropped[2])});

    TFileVTreeView& tree = program->FPFileManager->Tree();
    const auto node = [&tree](const QString& fullPath) {
        TFileNode* n = tree.Top(0);
        for (const QString& part : fullPath.split('/', Qt::SkipEmptyParts))
            n = n ? tree.FindChild(n, part) : nullptr;
        return n;
    };
    for (const QString& f : dropped) {
        ASSERT_NE(node(f), nullptr) << f.toStdString();
        EXPECT_EQ(node(f)->Data.StateIndex, tree.IncludeStateIndex);
    }
    TFileNode* folder = node(path("folder"));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Data.StateIndex, tree.IncludeStateIndex);
    EXPECT_EQ(tree.FileFilter.IMasks().join(',').toLower(), "*.txt"); // the panels became the filter
    EXPECT_EQ(tree.FileFilter.EMasks().join(',').toLower(), "*.bak");
    EXPECT_EQ(folder->Data.Settings, tree.FileFilter.Text());
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(MainCommands, TheLastProjectOpensAtTheNextStartAndAutoSaveKeepsItsChanges) {
    Start();
    FillJob();
    choose.pushSave(path("Projects/last.bwp"));
    main->ASaveProject->trigger();
    files.files << path("c.txt"); // not saved by hand: Exit saves it
    main->AExitProg->trigger();
    EXPECT_FALSE(main->isVisible());
    program.reset();

    files.files.clear();
    rules.rules.clear();
    Start();
    EXPECT_EQ(main->ELastProject->text(), path("Projects/last.bwp"));
    EXPECT_EQ(main->windowTitle(), "Brindlewick - last");
    EXPECT_EQ(files.files, QStringList({path("a.txt"), path("sub/b.txt"), path("c.txt")}));
    EXPECT_EQ(rules.rules.size(), 2u);
    EXPECT_EQ(Steps(), QVector<int>({3, 10}));
    program.reset();

    // A last project that is gone: nothing opens, the title still names it.
    QFile::remove(path("Projects/last.bwp"));
    files.files = {path("kept.txt")};
    Start();
    EXPECT_EQ(main->ELastProject->text(), path("Projects/last.bwp"));
    EXPECT_EQ(main->windowTitle(), "Brindlewick - last");
    EXPECT_TRUE(files.files.isEmpty()) << "the start-up's new project emptied the page";
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(MainCommands, AFailedAutoSaveStopsTheRunAndExitAndNamesTheFile) {
    Start();
    FillJob();
    writeFile("blocker", "x");
    const QString project = path("blocker/job.bwp");
    main->ELastProject->setText(project);
    writeFile("a.txt", "cat\n");
    files.files = {path("a.txt")};

    main->AStart->trigger();
    EXPECT_EQ(readFile(path("a.txt")), "cat\n") << "the run did not start";
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(project)));

    main->AExitProg->trigger();
    EXPECT_TRUE(main->isVisible()) << "the program goes on";
    EXPECT_EQ(prompt.asked().size(), 2u);
}

TEST_F(MainCommands, ClosingDuringARunAsksLikeStopAndExitSavesAtOnce) {
    Start();
    const QString project = path("Projects/run.bwp");
    for (int i = 0; i < 6; ++i)
        AddFile(QStringLiteral("f%1.txt").arg(i), "cat\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", true));
    main->ELastProject->setText(project);
    program->FOptions->CBSaveProject->setChecked(true);

    struct Case {
        const char* name;
        bool exit;       // Exit (Alt+F4) rather than the title bar
        Answer answer;   // to "Stop the operation?"
        bool closed;     // the window closed once the run unwound
        bool saved;      // the project was auto-saved
    };
    for (const Case& c : {Case{"title bar, No", false, Answer::No, false, false},
                          Case{"title bar, Yes", false, Answer::Yes, true, false},
                          Case{"Exit, No", true, Answer::No, false, false},
                          Case{"Exit, Yes", true, Answer::Yes, true, true}}) {
        SCOPED_TRACE(c.name);
        main->show();
        QFile::remove(project);
        for (int i = 0; i < 6; ++i)
            writeFile(QStringLiteral("f%1.txt").arg(i), "cat\n");
        bool closedDuringRun = false, savedDuringRun = false, asked = false;
        int files_seen = 0;
        QTimer* t = Every([&] {
            if (!Process().isVisible())
                return;
            if (++files_seen == 2 && !asked) {
                asked = true;
                prompt.push(c.answer);
                QFile::remove(project); // the auto-save before the run wrote it
                if (c.exit)
                    main->AExitProg->trigger();
                else
                    main->close();
                closedDuringRun = !main->isVisible();
                savedDuringRun = exists(project);
            }
            Process().AYes->trigger();
        });
        main->AStart->trigger();
        QApplication::processEvents();
        t->deleteLater();
        EXPECT_TRUE(asked);
        EXPECT_FALSE(closedDuringRun) << "nothing closes under the run";
        EXPECT_EQ(savedDuringRun, c.saved);
        EXPECT_EQ(!main->isVisible(), c.closed);
        EXPECT_EQ(readFile(path("f5.txt")), c.closed ? "cat\n" : "dog\n");
        EXPECT_FALSE(main->Run().Running());
    }
}

TEST_F(MainCommands, DropsAddFilesThenFoldersAndNothingDuringARun) {
    Start();
    const QString a = writeFile("a.txt", "a");
    const QString b = writeFile("b.txt", "b");
    QDir().mkpath(path("folder"));
    Drop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(path("folder")), QUrl::fromLocalFile(b)});
    ASSERT_EQ(files.dropped.size(), 1u);
    EXPECT_EQ(files.dropped[0].first, QStringList({a, b}));
    EXPECT_EQ(files.dropped[0].second, QStringList({path("folder")}));

    // During a run a drop does nothing.
    AddFile("c.txt", "cat\n");
    rules.rules.emplace_back(true, MakeRule("cat", "dog", true));
    Every([&] {
        if (!Process().isVisible())
            return;
        Drop({QUrl::fromLocalFile(a)});
        Process().AYes->trigger();
    });
    main->AStart->trigger();
    EXPECT_EQ(files.dropped.size(), 1u);
}

TEST_F(MainCommands, TheReportPrintsAndSavesAndAFailureKeepsIt) {
    Start();
    main->Report.Append("Files changed: 1 of 2");
    main->Report.Append(QString::fromUtf8("/тексты/a.txt: 1 of 1"));
    main->RefreshReport();

    // Print: the dialog decides; Cancel prints nothing.
    QString printedTo;
    PrintDialog() = [&](QPrinter& printer) {
        if (printedTo.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printedTo);
        return true;
    };
    main->APrintReport->trigger();
    printedTo = path("report.pdf");
    main->APrintReport->trigger();
    EXPECT_TRUE(exists(printedTo));
    PrintDialog() = [](QPrinter&) { return false; };

    choose.pushSave(path("report.txt"));
    main->ASaveReport->trigger();
    EXPECT_EQ(readFile(path("report.txt")), "Files changed: 1 of 2\n" + std::string("/тексты/a.txt: 1 of 1\n"));
    EXPECT_EQ(choose.requests().back().filter, "Text Document (*.txt)");
    EXPECT_EQ(choose.requests().back().defaultSuffix, "txt");

    writeFile("blocker", "x");
    choose.pushSave(path("blocker/report.txt"));
    main->ASaveReport->trigger();
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(path("blocker/report.txt"))));
    EXPECT_EQ(main->Report.Count(), 2);
    EXPECT_EQ(main->MReport->toPlainText(), main->Report.Text());
}

TEST_F(MainCommands, HelpOpensTheLanguagesFileAtTheFocusedControlsTopic) {
    Start();
    // The language's file below the program folder; here below the test's folder.
    EXPECT_TRUE(program->FOptions->Cycle().HelpFile.endsWith("/Help/English/Brindlewick.html"));
    const QString helpFile = path("Help/English/Brindlewick.html");
    program->FOptions->Cycle().HelpFile = helpFile;

    // No help file: a message names it.
    main->AShowHelp->trigger();
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(helpFile)));
    EXPECT_TRUE(choose.opened().empty());

    writeFile("Help/English/Brindlewick.html", "<html></html>");
    main->AShowHelp->trigger();
    ASSERT_EQ(choose.opened().size(), 1u);
    EXPECT_EQ(choose.opened()[0], QUrl::fromLocalFile(helpFile));

    struct Case {
        QWidget* focus;
        const char* topic;
    };
    for (const Case& c : {Case{main->FOReport1->CBSummary, "2300"}, Case{main->MReport, "100"},
                          Case{main->FConvert1->LBCP1, "Convert"}, Case{files.page, "800"},
                          Case{rules.page, "200"}, Case{main->TSPlugins, "Plugins"}}) {
        EXPECT_EQ(TMainCommands::HelpTopic(c.focus), QString::fromLatin1(c.topic));
    }
    main->PCOperation->setCurrentWidget(main->TSReport);
    main->activateWindow();
    main->FOReport1->CBSummary->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), main->FOReport1->CBSummary);
    main->Commands().ShowContextHelp();
    EXPECT_EQ(choose.opened().back().toLocalFile(), helpFile);
    EXPECT_EQ(choose.opened().back().fragment(), "2300");
    EXPECT_EQ(main->findChild<QShortcut*>("F1")->key(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainCommands, MailLinksCarryTheVersionAndTheCommandsText) {
    Start();
    main->ASubscribeMe->trigger();
    main->ABugReport->trigger();
    main->AFeatureRequest->trigger();
    TLangManager& langs = *program->DMDataModule->LangManager;
    ASSERT_EQ(choose.opened().size(), 3u);
    EXPECT_EQ(choose.opened()[0], MailCommandLink(AppVersion, langs.GetText("szSubscribeMe")));
    EXPECT_EQ(choose.opened()[1], MailCommandLink(AppVersion, langs.GetText("szBugReport")));
    EXPECT_EQ(choose.opened()[2], MailCommandLink(AppVersion, langs.GetText("szFeatureRequest")));
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
} // namespace bw::test
