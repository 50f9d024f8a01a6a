#pragma once

#include <QDialog>
#include <QFont>
#include <memory>

#include "options/optionscycle.h"
#include "platform/ui/chooser.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolBar;
class TDMDataModule;
class TOptionsHost;
class TRadioGroup;

// The options dialog. Its controls are the option values the rest of the
// program reads; the settings-file cycle it drives lives in TOptionsCycle.
class TFOptions : public QDialog, private TOptionsCycleEnv {
    Q_OBJECT
public:
    explicit TFOptions(TDMDataModule& dm, QWidget* parent = nullptr);
    ~TFOptions() override;

    TOptionsCycle& Cycle() { return *cycle_; }
    // The other windows' parts; not owned, may be nullptr.
    void SetHost(TOptionsHost* host) { host_ = host; }

    // Start-up and the Load action.
    void LoadOptionsFromFile(const QString& fileName) { cycle_->LoadOptionsFromFile(fileName); }
    // The Options command: saves every window, then shows the dialog modally.
    int ShowOptions();

    // Handlers, under the names the rest of the program knows.
    void AApplyExecute();
    void ACancelExecute();
    void AOLoadExecute();
    void AOSaveExecute();
    void AOSaveAsExecute();
    void AOLoadDefaultExecute();
    void BBSelFontClick();
    void ASetAllFontExecute();
    void SelectBackupFolderBClick();
    void BSelectProjectFolderClick();

    // The new-version check: one at a time; showNoNews also says when there is none.
    void CheckNewVersion(bool showNoNews);
    // The silent check at start-up.
    void AutoCheckNewVersion() { CheckNewVersion(false); }
    void BCheckNowClick() { CheckNewVersion(true); }
    // Opens the news page.
    void LPageDblClick();

    QToolBar* TBOptions = nullptr;
    QTabWidget* PCOptions = nullptr;
    QCheckBox* CBOpenLastProject = nullptr;
    QCheckBox* CBAutoSave = nullptr;
    QCheckBox* CBSaveProject = nullptr;
    QCheckBox* CBClearInFiles = nullptr;
    QCheckBox* CBClearSR = nullptr;
    QCheckBox* CBClearConvert = nullptr;
    QCheckBox* CBClearReport = nullptr;
    QRadioButton* RBGoToInFiles = nullptr;
    QRadioButton* RBGoToSR = nullptr;
    QRadioButton* RBGoToConvert = nullptr;
    QRadioButton* RBGoToReport = nullptr;
    TRadioGroup* RGLang = nullptr;
    QLabel* LExample = nullptr;
    QPushButton* BBSelFont = nullptr;

    QRadioButton* RBNoBackup = nullptr;
    QRadioButton* RBBackup = nullptr;
    QLineEdit* EBackupDir = nullptr;
    QPushButton* SelectBackupFolderB = nullptr;
    QSpinBox* SEMaxBackupCount = nullptr;
    QLabel* LMaxBackupCount = nullptr;
    QLineEdit* EProjectFolder = nullptr;
    QPushButton* BSelectProjectFolder = nullptr;

    QLineEdit* EProxyServer = nullptr;
    QLineEdit* EProxyPort = nullptr;
    QLineEdit* EProxyUserName = nullptr;
    QLineEdit* EProxyPassword = nullptr;
    QLabel* LPage = nullptr;
    QPushButton* BCheckNow = nullptr;
    QCheckBox* CBAutoCheck = nullptr;

    QAction* AOLoad = nullptr;
    QAction* AOSave = nullptr;
    QAction* AOSaveAs = nullptr;
    QAction* AOLoadDefault = nullptr;
    QAction* AApply = nullptr;
    QAction* ACancel = nullptr;
    QAction* ASetAllFont = nullptr;

public slots:
    // Escape and the title bar's close button cancel.
    void reject() override;

protected:
    // Enter applies wherever the focus is.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGeneral();
    QWidget* buildProject();
    QWidget* buildInternet();
    // The text in the current language of an interface text written in the first.
    QString translated(const QString& text) const;
    // What the settings-file choosers are asked.
    bw::FileRequest iniRequest() const;

    // TOptionsCycleEnv
    void OpenSettingsFile(const QString& fileName) override;
    QString SettingsFileName() const override;
    void SaveWindows() override;
    void LoadWindows() override;
    QString ReadSetting(const QString& section, const QString& key) override;
    void WriteSetting(const QString& section, const QString& key, const QString& value) override;
    bool WriteSettingsFile() override;
    void ReleaseSettingsFile() override;
    bool BackupOn() const override;
    void EnableBackupControls(bool on) override;
    QString BackupDirText() const override;
    void SetBackupDirText(const QString& text) override;
    QString ProjectFolderText() const override;
    void SetProjectFolderText(const QString& text) override;
    int MaxBackupCountValue() const override;
    int LanguageIndex() const override;
    void SetLanguages(const QStringList& names) override;
    void HandOutFont() override;
    QString LastRuleText() const override;
    void SetLastRuleText(const QString& text) override;
    void ApplyFolderDefaults(const QString& lastDir, const QStringList& include,
                             const QStringList& exclude) override;
    void SetRuleListColumns(const QStringList& captions) override;
    void SetMenuTitles(const QStringList& titles) override;
    void SetActionItems(const QStringList& items) override;
    void RealignInFiles() override;
    void HideDialog() override;
    void CloseDialog(int result) override;
    void EndProgram() override;

    TDMDataModule& dm_;
    TOptionsHost* host_ = nullptr;
    std::unique_ptr<TOptionsCycle> cycle_;
    // Kept while no main window holds the last rule.
    QString lastRuleText_;
    // The font the font chooser opens with: the system's at first, then the last one chosen.
    QFont fdDesktop_;
};

// The one options dialog of the program, created at start-up.
extern TFOptions* FOptions;
