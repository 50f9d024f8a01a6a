#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>

class TBackupManager;
class TLangManager;

// What the settings-file cycle works on besides the backup store and the
// language manager: the settings store walking every window, the options
// window's own values, and the few parts of other windows it sets. The options
// window implements it; tests use a fake that records the calls.
class TOptionsCycleEnv {
public:
    virtual ~TOptionsCycleEnv() = default;

    // The settings store.
    virtual void OpenSettingsFile(const QString& fileName) = 0;
    virtual QString SettingsFileName() const = 0;
    virtual void SaveWindows() = 0;
    virtual void LoadWindows() = 0;
    virtual QString ReadSetting(const QString& section, const QString& key) = 0;
    virtual void WriteSetting(const QString& section, const QString& key, const QString& value) = 0;
    // Writes the open settings file to disk; false when that failed.
    virtual bool WriteSettingsFile() = 0;
    // Lets go of the open file: nothing writes it again.
    virtual void ReleaseSettingsFile() = 0;

    // The options window's values.
    virtual bool BackupOn() const = 0;
    virtual void EnableBackupControls(bool on) = 0;
    virtual QString BackupDirText() const = 0;
    virtual void SetBackupDirText(const QString& text) = 0;
    virtual QString ProjectFolderText() const = 0;
    virtual void SetProjectFolderText(const QString& text) = 0;
    virtual int MaxBackupCountValue() const = 0;
    virtual int LanguageIndex() const = 0;
    // Fills the language list with the names and selects the first.
    virtual void SetLanguages(const QStringList& names) = 0;
    // Hands the example's font, as just restored, to the controls "Change" sets.
    virtual void HandOutFont() = 0;

    // Other windows.
    virtual QString LastRuleText() const = 0;
    virtual void SetLastRuleText(const QString& text) = 0;
    // The folder dialog's last folder and its include and exclude mask lists.
    virtual void ApplyFolderDefaults(const QString& lastDir, const QStringList& include,
                                     const QStringList& exclude) = 0;
    virtual void SetRuleListColumns(const QStringList& captions) = 0;
    // Titles of the main menu's first two items; the third follows the help action.
    virtual void SetMenuTitles(const QStringList& titles) = 0;
    virtual void SetActionItems(const QStringList& items) = 0;
    virtual void RealignInFiles() = 0;

    // The dialog and the program.
    virtual void HideDialog() = 0;
    virtual void CloseDialog(int result) = 0;
    virtual void EndProgram() = 0;
};

// The order and the branches of the settings-file cycle: when the settings
// file is read and written, what a first start sets, and what Apply, Cancel,
// Load, Save as and Load default do.
class TOptionsCycle {
public:
    TOptionsCycle(TOptionsCycleEnv& env, TBackupManager& backups, TLangManager& langs);

    // Program folder (read-only data), the settings file, the default folder
    // of project files, and whether no settings file was read yet.
    QString AppDir;
    QString OptionsFileName;
    QString ProjectFolder;
    bool FirstRun = true;
    // The help file of the current language.
    QString HelpFile;

    // Initial values and the language manager's events.
    void FormCreate();
    // Makes fileName the settings file and restores every window from it; a
    // file that does not exist gets the first-run defaults once and is written.
    void LoadOptionsFromFile(const QString& fileName);
    // Saves every window and the last rule, then writes the file.
    bool OptionsSet();
    // Restores every window and the last rule, then applies.
    void OptionsReset();
    // Pushes the window's values into the services.
    void SetParametersByInterface();
    void RBBackupClick();

    // Apply: false when the user declined to create the backup folder (the
    // dialog stays open, nothing saved).
    bool ApplyExecute();
    void CancelExecute();
    // Load of a chosen file: false when it holds no options (nothing changes).
    bool LoadExecute(const QString& fileName);
    // Save as a chosen file: false when the copy could not be written.
    bool SaveAsExecute(const QString& fileName);
    // Asks, deletes the settings file and ends the program without writing it.
    void LoadDefaultExecute();

    void LangsOnLoaded();
    void LangsOnTranslated();

    // The folder the backups go to for a field's text: blanks trimmed, an
    // empty text gives the backup store's fallback folder.
    static QString ResolveBackupFolder(const QString& text);

    // The options block of project files: one empty length-prefixed string.
    static void SaveToStream(QIODevice& stream);
    // Reads one length-prefixed string and ignores it.
    static void LoadFromStream(QIODevice& stream);

    static const QStringList& FirstRunIncludeMasks();
    static const QStringList& FirstRunExcludeMasks();

private:
    QString text(const char* key) const;
    // Keeps a settings file readable and writable by its owner only: it holds
    // the proxy password. False, with nothing touched, when something other
    // than a regular file (or a link to one) is in its place.
    static bool restrictToOwner(const QString& fileName);
    // Whether a regular file (or a link to one) is at the path, or nothing.
    static bool regularOrNothing(const QString& fileName);

    TOptionsCycleEnv& env_;
    TBackupManager& backups_;
    TLangManager& langs_;
};
