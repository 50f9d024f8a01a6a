#include "app/ui/programentry.h"

#include <QApplication>
#include <QEvent>
#include <QProxyStyle>

#include "app/mainunit.h"
#include "app/ui/fmain.h"
#include "engine/processengine.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "files/ui/fselectfolder.h"
#include "options/ui/fbackupmanager.h"
#include "options/ui/foptions.h"
#include "app/ui/filespage.h"
#include "app/ui/rulespage.h"
#include "files/ui/fpfilemanager.h"
#include "rules/ui/feditsrinfo.h"
#include "rules/ui/fpsrmanager.h"
#include "rules/ui/fsigns.h"
#include "services/ui/datamodule.h"

namespace {

// Tool tips after 500 ms, for 5000 ms.
class THintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 5000;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Lists the processing window's code pages anew when the interface's
// language changes, as their names follow it.
class TCodePagesRefill : public QObject {
public:
    TCodePagesRefill(TFProcess* process, TProcessCodePages* pages) : QObject(process), process_(process), pages_(pages) {
        process->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == process_ && event->type() == QEvent::LanguageChange)
            process_->FillCodePages(pages_);
        return false;
    }

private:
    TFProcess* process_;
    TProcessCodePages* pages_;
};

} // namespace

TProgram::TProgram() {
    main_ = std::make_unique<TFMain>();
    FMain = main_.get();
    ::FMain = FMain;
    dm_ = std::make_unique<TDMDataModule>();
    DMDataModule = dm_.get();
    ::DMDataModule = DMDataModule;
    folder_ = std::make_unique<TFSelectFolder>();
    FSelectFolder = folder_.get();
    ::FSelectFolder = FSelectFolder;
    options_ = std::make_unique<TFOptions>(*dm_);
    FOptions = options_.get();
    ::FOptions = FOptions;
    rulesDialog_ = std::make_unique<TFEditSRInfo>();
    FEditSRInfo = rulesDialog_.get();
    ::FEditSRInfo = FEditSRInfo;
    filesPage_ = std::make_unique<TFPFileManager>();
    FPFileManager = filesPage_.get();
    rulesPage_ = std::make_unique<TFPSRManager>();
    FPSRManager = rulesPage_.get();
    ::FPSRManager = FPSRManager;
    FPSRManager->Editor = FEditSRInfo;
    engine_ = std::make_unique<TRERichEdit>();
    processEngine_ = std::make_unique<TREProcessEngine>(*engine_);
    process_ = std::make_unique<TFProcess>(*processEngine_);
    FProcess = process_.get();
    ::FProcess = FProcess;
    ConnectProcessWindow(*engine_, FProcess->Controller());
    FProcess->Controller().GetText = [dm = DMDataModule](const QString& key) { return dm->LangManager->GetText(key); };
    codePages_ = std::make_unique<TConversionCodePages>();
    FProcess->FillCodePages(codePages_.get());
    new TCodePagesRefill(FProcess, codePages_.get());
    FPFileManager->SetProcessWindow(FProcess, engine_.get());
    signs_ = std::make_unique<TFSigns>();
    FSigns = signs_.get();
    ::FSigns = FSigns;
    backups_ = std::make_unique<TFBackupManager>(*dm_->BackupManager, dm_->LangManager);
    FBackupManager = backups_.get();
    ::FBackupManager = FBackupManager;

    TFMain::TServices services;
    services.DM = DMDataModule;
    services.Options = FOptions;
    services.Process = FProcess;
    services.Engine = engine_.get();
    services.BackupBrowser = FBackupManager;
    FMain->Bind(services);
    rules_ = std::make_unique<TRulesPage>(*FPSRManager, *FEditSRInfo);
    files_ = std::make_unique<TFilesPage>(*FPFileManager);
    FMain->SetPages(files_.get(), rules_.get());
}

TProgram::~TProgram() {
    // The main window goes first: its run refers to the processing window.
    // The docked pages are taken back first, so that each is freed once.
    if (rulesPage_)
        rulesPage_->setParent(nullptr);
    if (filesPage_)
        filesPage_->setParent(nullptr);
    main_.reset();
    ::FMain = nullptr;
    rules_.reset();
    files_.reset();
    backups_.reset();
    ::FBackupManager = nullptr;
    signs_.reset();
    ::FSigns = nullptr;
    process_.reset();
    ::FProcess = nullptr;
    codePages_.reset();
    processEngine_.reset();
    engine_.reset();
    rulesPage_.reset();
    filesPage_.reset();
    if (::FPSRManager == FPSRManager)
        ::FPSRManager = nullptr;
    rulesDialog_.reset();
    if (::FEditSRInfo == FEditSRInfo)
        ::FEditSRInfo = nullptr;
    options_.reset();
    ::FOptions = nullptr;
    folder_.reset();
    if (::FSelectFolder == FSelectFolder)
        ::FSelectFolder = nullptr;
    dm_.reset();
    ::DMDataModule = nullptr;
}

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Brindlewick"));
    QApplication::setStyle(new THintStyle);
}

int ProgramEntry() {
    SetUpApplication();
    InitializeMainUnit();
    int code = 0;
    {
        TProgram program;
        program.FMain->show();
        code = QApplication::exec();
    }
    FinalizeMainUnit();
    return code;
}
