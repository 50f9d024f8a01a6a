#pragma once

#include <memory>

class TDMDataModule;
class TFBackupManager;
class TFMain;
class TFOptions;
class TFProcess;
class TFEditSRInfo;
class TFPFileManager;
class TFilesPage;
class TFPSRManager;
class TFSelectFolder;
class TRulesPage;
class TFSigns;
class TRERichEdit;
class TREProcessEngine;
class TConversionCodePages;

// The program's long-lived windows, created in a fixed order: the main
// window first (so it is the application's main window), then the data
// module and the windows that need it. The pages docked into the main window
// come with it. Destroyed in the reverse order.
class TProgram {
public:
    TProgram();
    ~TProgram();

    TFMain* FMain = nullptr;
    TDMDataModule* DMDataModule = nullptr;
    TFSelectFolder* FSelectFolder = nullptr;
    TFOptions* FOptions = nullptr;
    TFEditSRInfo* FEditSRInfo = nullptr;
    TFPFileManager* FPFileManager = nullptr;
    TFPSRManager* FPSRManager = nullptr;
    TFProcess* FProcess = nullptr;
    TFSigns* FSigns = nullptr;
    TFBackupManager* FBackupManager = nullptr;
    // The rule-list page as the main window sees it.
    TRulesPage* RulesPage() const { return rules_.get(); }
    TFilesPage* FilesPage() const { return files_.get(); }

private:
    std::unique_ptr<TFMain> main_;
    std::unique_ptr<TDMDataModule> dm_;
    std::unique_ptr<TFSelectFolder> folder_;
    std::unique_ptr<TFOptions> options_;
    std::unique_ptr<TFEditSRInfo> rulesDialog_;
    std::unique_ptr<TFPFileManager> filesPage_;
    std::unique_ptr<TFPSRManager> rulesPage_;
    std::unique_ptr<TRulesPage> rules_;
    std::unique_ptr<TFilesPage> files_;
    std::unique_ptr<TRERichEdit> engine_;
    std::unique_ptr<TREProcessEngine> processEngine_;
    std::unique_ptr<TConversionCodePages> codePages_;
    std::unique_ptr<TFProcess> process_;
    std::unique_ptr<TFSigns> signs_;
    std::unique_ptr<TFBackupManager> backups_;
};

// Hint timing and the application's title; the windows; the message loop.
// Expects the application object to exist; returns its exit code.
int ProgramEntry();
// The application's settings that ProgramEntry makes before the windows.
void SetUpApplication();
