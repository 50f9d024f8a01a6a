#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>

#include "engine/processstate.h"
#include "engine/ui/fprocess.h"
#include "options/ui/fbackupmanager.h"
#include "options/ui/foptions.h"
#include "options/ui/optionshost.h"
#include "options/updatecheck.h"
#include "options/version.h"
#include "tests/options/localserver.h"
#include "platform/appdirs.h"
#include "platform/inifile.h"
#include "platform/ui/chooser.h"
#include "services/ui/components.h"
#include "services/ui/datamodule.h"
#include "tests/engine/processfakes.h"
#include "tests/support/qtprint.h"
#include "tests/options/trashhome.h"
#include "tests/support/uitest.h"
#include "tests/support/screens.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

// The main window's part: the processing window takes the text font, the rest is recorded.
class Host : public TOptionsHost {
public:
    QString lastRule;
    QStringList folderDefaults, columns, menu, actions;
    QFont font;
    bool ended = false;

    QString LastRuleText() const override { return lastRule; }
    void SetLastRuleText(const QString& t) override { lastRule = t; }
    void ApplyFolderDefaults(const QString& dir, const QStringList& inc, const QStringList& exc) override {
        folderDefaults = QStringList{dir} + inc + exc;
    }
    void SetTextFont(const QFont& f, const QColor& c) override {
        font = f;
        if (FProcess)
            FProcess->SetDefaultFont(f, c);
    }
    void SetRuleListColumns(const QStringList& c) override { columns = c; }
    void SetMenuTitles(const QStringList& t) override { menu = t; }
    void SetActionItems(const QStringList& i) override { actions = i; }
    void RealignInFiles() override {}
    void EndProgram() override { ended = true; }
};

// One start of the program with the windows that exist so far.
struct Program {
    std::unique_ptr<TDMDataModule> dm = std::make_unique<TDMDataModule>();
    test::ScriptEngine engine;
    std::unique_ptr<TFProcess> process;
    std::unique_ptr<TFOptions> options;
    std::unique_ptr<TFBackupManager> backups;

    explicit Program(Host& host) {
        process = std::make_unique<TFProcess>(engine);
        FProcess = process.get();
        options = std::make_unique<TFOptions>(*dm);
        options->SetHost(&host);
        backups = std::make_unique<TFBackupManager>(*dm->BackupManager, dm->LangManager);
        bw::test::useShippedLanguages(*dm->LangManager);
        dm->LangManager->TranslateAllForms();
        options->LoadOptionsFromFile(options->Cycle().OptionsFileName);
    }
    ~Program() {
        backups.reset();
        options.reset();
        process.reset();
        FProcess = nullptr;
    }
};

class FOptionsTest : public test::TempDirTest {
protected:
    QString ini() const { return path("Brindlewick.ini"); }

    test::TrashHome trash{dir_.path()};
    ScriptedChooser choose;
    ScopedChooser scopedChooser{choose};
    Host host;
};

TEST_F(FOptionsTest, FirstStartWritesTheFileAndTheSecondRestoresIt) {
    QFont chosen = QApplication::font();
    chosen.setFamily("Courier");
    chosen.setPointSize(15);
    {
        Program first(host);
        TFOptions& o = *first.options;
        ASSERT_TRUE(exists(ini()));
        for (const char* section : {"FOptions", "FProcess", "FBackupManager", "FEditSRInfo"})
            EXPECT_TRUE(IniFile(ini()).sectionExists(section)) << section;
        EXPECT_EQ(o.EBackupDir->text(), homeDir() + "Projects/Backup/");
        EXPECT_FALSE(host.folderDefaults.isEmpty());

        // The user changes options and the processing window; auto-save writes them.
        o.CBClearSR->setChecked(true);
        o.RBGoToInFiles->setChecked(true);
        o.SEMaxBackupCount->setValue(7);
        o.EProxyPassword->setText("secret");
        o.PCOptions->setCurrentIndex(2);
        choose.pushFont(chosen);
        o.BBSelFont->click();
        EXPECT_EQ(FProcess->REProcess->font().family(), "Courier");
        first.process->resize(640, 300);
        host.lastRule = "Name=last";
        o.AOSave->trigger();
    }
    const QDateTime written = QFileInfo(ini()).lastModified();
    const std::string bytes = readFile(ini());

    Host second;
    Program next(second);
    TFOptions& o = *next.options;
    EXPECT_EQ(readFile(ini()), bytes);
    EXPECT_EQ(QFileInfo(ini()).lastModified(), written);
    EXPECT_TRUE(second.folderDefaults.isEmpty());
    EXPECT_TRUE(o.CBClearSR->isChecked());
    EXPECT_TRUE(o.RBGoToInFiles->isChecked());
    EXPECT_EQ(o.SEMaxBackupCount->value(), 7);
    EXPECT_EQ(next.dm->BackupManager->MaxBackupCount(), 7);
    EXPECT_EQ(o.EProxyPassword->text(), "secret");
    EXPECT_EQ(o.PCOptions->currentIndex(), 2);
    EXPECT_EQ(next.process->width(), 640);
    EXPECT_EQ(second.lastRule, "Name=last");
    // The stored font reaches the text controls at once.
    EXPECT_EQ(o.LExample->font().family(), "Courier");
    EXPECT_EQ(second.font.family(), "Courier");
    EXPECT_EQ(FProcess->REProcess->font().family(), "Courier");
}

// The Options command saves, shows the dialog and the user changes a box;
// then Apply (Enter), Escape or the title bar's close button.
TEST_F(FOptionsTest, ApplyCancelAndTitleBarClose) {
    Program p(host);
    TFOptions& o = *p.options;
    struct Case {
        const char* name;
        std::function<void()> close;
        int result;
        bool kept;
    };
    const Case cases[] = {
        {"Enter", [&] { test::pressKey(o.CBClearReport, Qt::Key_Return); }, mrOk, true},
        {"Escape", [&] { test::pressKey(o.CBClearReport, Qt::Key_Escape); }, mrCancel, false},
        {"title bar", [&] { o.close(); }, mrCancel, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        o.CBClearReport->setChecked(false);
        o.AOSave->trigger();
        o.open();
        ASSERT_TRUE(test::waitUntil([&] { return o.isVisible(); }));
        o.CBClearReport->setChecked(true);
        o.RGLang->SetItemIndex(1);
        c.close();
        EXPECT_FALSE(o.isVisible());
        EXPECT_EQ(o.result(), c.result);
        EXPECT_EQ(o.CBClearReport->isChecked(), c.kept);
        EXPECT_EQ(IniFile(ini()).readBool("FOptions", ".CBClearReport.Checked"), c.kept);
        EXPECT_EQ(p.dm->LangManager->CurrentLang(), c.kept ? 1 : 0);
        p.dm->LangManager->SetCurrentLang(0);
        o.RGLang->SetItemIndex(0);
    }
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(FOptionsTest, LoadSaveAsAndLoadDefault) {
    auto p = std::make_unique<Program>(host);
    TFOptions& o = *p->options;
    o.CBClearInFiles->setChecked(true);
    choose.pushSave(path("copy.ini"));
    o.AOSaveAs->trigger();
    o.CBClearInFiles->setChecked(false);
    choose.pushFiles({path("copy.ini")});
    o.AOLoad->trigger();
    EXPECT_EQ(p->dm->SettingsManager->FileName(), path("copy.ini"));
    EXPECT_TRUE(o.CBClearInFiles->isChecked());

    // Load default deletes the settings file and ends the program; nothing
    // on the way out writes it again, so the next start is a first start.
    prompt.push(Answer::Yes);
    QFile::copy(path("copy.ini"), ini());
    o.AOLoadDefault->trigger();
    EXPECT_TRUE(host.ended);
    p.reset();
    EXPECT_FALSE(exists(ini()));
    Host again;
    Program next(again);
    EXPECT_FALSE(again.folderDefaults.isEmpty());
}

TEST_F(FOptionsTest, BrowsingForFoldersAndFonts) {
    Program p(host);
    TFOptions& o = *p.options;
    const QString project = o.EProjectFolder->text();
    o.BSelectProjectFolder->click(); // cancelled
    EXPECT_EQ(o.EProjectFolder->text(), project);
    EXPECT_EQ(o.Cycle().ProjectFolder, project);
    QDir().mkpath(path("projects2"));
    choose.pushFolder(path("projects2"));
    o.BSelectProjectFolder->click();
    EXPECT_EQ(o.EProjectFolder->text(), path("projects2") + "/");
    EXPECT_EQ(o.Cycle().ProjectFolder, path("projects2") + "/");

    // Cancelling the backup folder's browser shows the store's folder again.
    o.EBackupDir->setText("typed");
    o.SelectBackupFolderB->click();
    EXPECT_EQ(o.EBackupDir->text(), p.dm->BackupManager->BackupFolder());

    // Backups off disables the folder controls.
    o.RBNoBackup->click();
    EXPECT_FALSE(p.dm->BackupManager->Active);
    EXPECT_FALSE(o.EBackupDir->isEnabled());
    o.PCOptions->setCurrentIndex(1);
    test::saveScreen(o, "options_project_disabled");
}

TEST_F(FOptionsTest, PicturesOfEveryPage) {
    for (int language : {0, 1}) {
        Program p(host);
        TFOptions& o = *p.options;
        o.RGLang->SetItemIndex(language);
        o.Cycle().SetParametersByInterface();
        const char* lang = language ? "ru" : "en";
        EXPECT_EQ(o.AOSaveAs->shortcut(), QKeySequence::mnemonic(o.AOSaveAs->text())) << lang;
        o.show();
        const char* pages[] = {"general", "project", "internet"};
        for (int i = 0; i < 3; ++i) {
            o.PCOptions->setCurrentIndex(i);
            EXPECT_FALSE(test::saveScreen(o, QStringLiteral("options_%1_%2").arg(pages[i], lang)).isEmpty());
        }
        o.resize(o.minimumSizeHint());
        o.PCOptions->setCurrentIndex(0);
        test::saveScreen(o, QStringLiteral("options_min_%1").arg(lang));
        o.hide();
    }
}

TEST_F(FOptionsTest, CheckNowAgainstALocalServer) {
    test::LocalServer server;
    server.defaultResponse =
        test::LocalServer::response(200, "<!---NEWS--->\xC2\xE5\xF0\xF1\xE8\xFF\x20" "999.0 Release build 1<");
    writeFile("Brindlewick.url", server.url().toStdString() + "\nignored\n");
    Program p(host);
    TFOptions& o = *p.options;
    EXPECT_EQ(o.LPage->text(), server.url());

    // Two quick clicks: the second is told a check runs.
    prompt.push(Answer::Ok);
    prompt.push(Answer::Yes);
    o.BCheckNow->click();
    o.BCheckNow->click();
    ASSERT_TRUE(test::waitUntil([] { return UpdateThread == nullptr; }));
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].text, p.dm->LangManager->GetText("szAlreadyInChecking"));
    EXPECT_EQ(prompt.asked()[1].text, p.dm->LangManager->GetText("szGotoSite"));
    ASSERT_EQ(choose.opened().size(), 1u);
    EXPECT_EQ(choose.opened()[0], QUrl(server.url()));

    // The same version at start-up says nothing.
    server.defaultResponse = test::LocalServer::response(200, "<!---NEWS--->\xC2\xE5\xF0\xF1\xE8\xFF\x20" + AppVersion.toUtf8() + "<");
    o.AutoCheckNewVersion();
    ASSERT_TRUE(test::waitUntil([] { return UpdateThread == nullptr; }));
    EXPECT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(server.requests.size(), 2);

    // Closing the program while a check waits for an answer ends it with the windows.
    server.defaultResponse.clear();
    o.BCheckNow->click();
    EXPECT_NE(UpdateThread, nullptr);
}

TEST_F(FOptionsTest, AnAddressFileNamingAProgramIsNeverRun) {
    writeFile("Brindlewick.url", "/usr/bin/xterm\n");
    Program p(host);
    TFOptions& o = *p.options;
    EXPECT_EQ(o.LPage->text(), "/usr/bin/xterm");
    o.BCheckNow->click();
    EXPECT_EQ(UpdateThread, nullptr);
    o.LPageDblClick();
    EXPECT_TRUE(choose.opened().empty());
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
