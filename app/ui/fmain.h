#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QMainWindow>
#include <memory>

#include "app/processrun.h"
#include "app/report.h"
#include "options/ui/optionshost.h"

class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QToolBar;
class TDMDataModule;
class TFBackupManager;
class TFConvert;
class TFOReport;
class TFOptions;
class TFProcess;
class TGaugeWidget;
class TMainCommands;
class TMainFilesPage;
class TMainRulesPage;
class TPageControlEx;
class TRERichEdit;
class TStatusPanels;
class TCheckListBox;
class TPluginsPage;

// The main window: menu bar, tool bar, the page control with the working
// pages, and the status bar with the progress gauge. It gives the processing
// run its window side and the options dialog its view of the other windows.
class TFMain : public QMainWindow, public TRunWindow, public TOptionsHost {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // The long-lived windows and services created after the main window.
    struct TServices {
        TDMDataModule* DM = nullptr;
        TFOptions* Options = nullptr;
        TFProcess* Process = nullptr;
        TRERichEdit* Engine = nullptr; // the processing window's engine
        TFBackupManager* BackupBrowser = nullptr;
    };
    void Bind(const TServices& services);
    // The "In Files" and rule-list pages; docked by the start-up sequence.
    void SetPages(TMainFilesPage* files, TMainRulesPage* rules);
    TMainFilesPage* FilesPage() const { return files_; }
    TMainRulesPage* RulesPage() const { return rules_; }
    const TServices& Services() const { return services_; }
    // Projects, help, the report's printing and saving, exit, drops and mail links.
    TMainCommands& Commands() { return *commands_; }
    // Opens a project file by its path (start-up and Open project).
    void OpenProject(const QString& path);

    // The start-up sequence; runs on the first showing.
    void FormShow();

    TProcessRun& Run() { return *run_; }
    // A run or Apply is under way: the commands that would change its inputs do nothing.
    bool Busy() const;
    // The checked plug-ins are being applied.
    bool Applying() const;
    // The run's list of files (filled when a run starts, emptied at its end).
    QStringList& FilesToProcess();
    TReport Report;
    // Shows the report's lines in the memo.
    void RefreshReport();

    // Handlers.
    void AStartExecute();
    void AStopExecute();
    // While the processing window waits for an answer: ends the wait as its
    // Abort does (the file under way is left as it was).
    void AbortWaitingAnswer();
    void ANewProjectExecute();
    void AUpdateProjectNameExecute();
    void PCOperationChange();
    // The operations checked on the "In Files" page: tabs and Process follow.
    void ACheckVisibilityExecute();
    void AViewOptionsExecute();
    void AViewBackupManagerExecute();
    void AAboutExecute();
    void ADonateToAuthorExecute();
    void AExitProgExecute();
    void ALinkPluginsExecute();
    void AUnlinkPluginsExecute();
    void AApplyExecute();

    // TRunWindow
    TRunOptions Options() const override;
    // The project and the settings as the options say; raises bw::Error when a save fails.
    void AutoSave() override;
    void ShowPage(TRunPage page) override;
    bool PageVisible(TRunPage page) const override;
    void SetRunning(bool running) override;
    void PumpEvents() override;

    // TOptionsHost
    QString LastRuleText() const override;
    void SetLastRuleText(const QString& text) override;
    void ApplyFolderDefaults(const QString& lastDir, const QStringList& include,
                             const QStringList& exclude) override;
    void SetTextFont(const QFont& font, const QColor& color) override;
    void SetRuleListColumns(const QStringList& captions) override;
    void SetMenuTitles(const QStringList& titles) override;
    void SetActionItems(const QStringList& items) override;
    void RealignInFiles() override;
    void EndProgram() override;

    // The font the processing window shows texts in.
    const QFont& TextFont() const { return textFont_; }

    QMenuBar* AMMBMain = nullptr;
    QMenu* MFile = nullptr;
    QMenu* MView = nullptr;
    QMenu* MHelp = nullptr;
    QToolBar* ATBMain = nullptr;
    TPageControlEx* PCOperation = nullptr;
    QWidget* TSFiles = nullptr;
    QWidget* TSSR = nullptr;
    QWidget* TSConvert = nullptr;
    QWidget* TSReport = nullptr;
    QWidget* TSPlugins = nullptr;
    QToolBar* ATBReport = nullptr;
    QPlainTextEdit* MReport = nullptr;
    QWidget* POReport = nullptr;
    TFOReport* FOReport1 = nullptr;
    TFConvert* FConvert1 = nullptr;
    QToolBar* ATBPlugins = nullptr;
    TCheckListBox* CLBPlugins = nullptr;
    TPluginsPage* Plugins = nullptr; // the host behind CLBPlugins and PConfig
    QWidget* PConfig = nullptr;
    QLineEdit* ELastProject = nullptr;
    TStatusPanels* SBar = nullptr;
    TGaugeWidget* Gauge = nullptr;

    QAction* AStart = nullptr;
    QAction* AStop = nullptr;
    QAction* AViewOptions = nullptr;
    QAction* AViewBackupManager = nullptr;
    QAction* AShowHelp = nullptr;
    QAction* AExitProg = nullptr;
    QAction* APrintReport = nullptr;
    QAction* ASaveReport = nullptr;
    QAction* AReportOptions = nullptr;
    QAction* ANewProject = nullptr;
    QAction* AOpenProject = nullptr;
    QAction* ASaveProject = nullptr;
    QAction* ASaveProjectAs = nullptr;
    QAction* AUpdateProjectName = nullptr;
    QAction* AAutoSave = nullptr;
    QAction* ALinkPlugins = nullptr;
    QAction* AUnlinkPlugins = nullptr;
    QAction* AApply = nullptr;
    QAction* AAbout = nullptr;
    QAction* ADonateToAuthor = nullptr;
    QAction* ASubscribeMe = nullptr;
    QAction* ABugReport = nullptr;
    QAction* AFeatureRequest = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    // Closing the window while a run is under way stops the run at its next
    // stop test; nothing is saved.
    void closeEvent(QCloseEvent* event) override;
    // A new language names a new project in the title anew.
    void changeEvent(QEvent* event) override;

private:
    QAction* NewAction(const char* name, const QString& caption, const QKeySequence& key = {});
    // A menu item standing for an action: its own caption (with the menu's
    // access key), the action's state, and the action's handler.
    QAction* MenuItem(QMenu* menu, QAction* action, const QString& caption);
    QWidget* BuildReportPage();
    QWidget* BuildPluginsPage();
    void BuildMenus();
    // Brings Process, Stop and the locked commands in line with the run.
    void UpdateActions();
    QString Text(const char* key) const;
    // The run's parts, made once the processing window exists.
    void MakeRun();
    TMyGauge& RunGauge();
    void SetUpPlugins();

    TServices services_;
    TMainCommands* commands_ = nullptr;
    TMainFilesPage* files_ = nullptr;
    TMainRulesPage* rules_ = nullptr;
    struct TRunParts;
    std::unique_ptr<TRunParts> parts_;
    std::unique_ptr<TProcessRun> run_;
    QStringList noFiles_;
    bool shown_ = false;
    QString lastRuleText_;
    QFont textFont_;
    QColor textColor_;
    QElapsedTimer reportShown_;
    int reportLinesShown_ = -1;
};

// The one main window of the program.
extern TFMain* FMain;
