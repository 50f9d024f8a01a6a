// The main window's Plugins page: listing, panels and Apply.

#include <QAction>

#include "app/ui/fmain.h"
#include "app/ui/mainpages.h"
#include "app/ui/pluginspage.h"
#include "services/backupmanager.h"
#include "services/ui/components.h"
#include "services/ui/datamodule.h"

void TFMain::SetUpPlugins() {
    Plugins = new TPluginsPage(BuiltInPlugins(), {CLBPlugins, PConfig, AApply, ALinkPlugins, AUnlinkPlugins}, this);
    Plugins->TreeHasNodes = [this] { return files_ && files_->TreeHasNodes(); };
    Plugins->WindowBusy = [this] { return run_ && run_->Running(); };
    Plugins->OnApply = [this] { AApplyExecute(); };
}

bool TFMain::Applying() const { return Plugins && Plugins->Host().Applying(); }

void TFMain::ALinkPluginsExecute() {
    if (Plugins)
        Plugins->ALinkPluginsExecute();
}

void TFMain::AUnlinkPluginsExecute() {
    if (Plugins)
        Plugins->AUnlinkPluginsExecute();
}

void TFMain::AApplyExecute() {
    if (!Plugins || Busy())
        return;
    TApplyParts parts(FilesToProcess());
    parts.GetFilesToProcess = [this](QStringList& files) {
        if (files_)
            files_->GetFilesToProcess(files);
    };
    parts.BeforeRun = [this] { run_->BeforeRun(); };
    parts.AfterRun = [this] { run_->AfterRun(); };
    parts.ShowInFiles = [this] { ShowPage(TRunPage::InFiles); };
    parts.BusyChanged = [this] {
        UpdateActions();
        if (!Busy())
            RefreshReport();
    };
    TBackupManager* backups = services_.DM ? services_.DM->BackupManager : nullptr;
    parts.MakeBackup = [backups](const QString& path) { return !backups || backups->MakeBackup(path); };
    parts.Gauge = &RunGauge();
    parts.PumpEvents = [this] { PumpEvents(); };
    TMyReporter reporter(Report);
    parts.Reporter = &reporter;
    parts.Texts = [this](const QString& key) { return Text(key.toLatin1().constData()); };
    Plugins->AApplyExecute(parts);
}
