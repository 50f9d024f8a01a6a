#include "options/optionscycle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/processstate.h"
#include "platform/appdirs.h"
#include "platform/diskpath.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/inifile.h"
#include "platform/openfile.h"
#include "platform/prompt.h"
#include "services/backupmanager.h"
#include "services/fileroutines.h"
#include "services/langmanager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kOptionsSection = QStringLiteral("FOptions");
const QString kLastRuleSection = QStringLiteral("FEditSRInfo");
const QString kLastRuleKey = QStringLiteral("LastSRInfo");

bool samePath(const QString& a, const QString& b) {
    return QDir::cleanPath(bw::diskPath(a)) == QDir::cleanPath(bw::diskPath(b));
}

} // namespace

TOptionsCycle::TOptionsCycle(TOptionsCycleEnv& env, TBackupManager& backups, TLangManager& langs)
    : env_(env), backups_(backups), langs_(langs) {
    AppDir = bw::appDir();
    OptionsFileName = bw::homeDir() + QStringLiteral("Brindlewick.ini");
    ProjectFolder = bw::homeDir() + QStringLiteral("Projects/");
}

const QStringList& TOptionsCycle::FirstRunIncludeMasks() {
    static const QStringList masks{"*.TXT", "*.HTM", "*.HTML", "*.SHTML", "*.PHTML", "*.ASP", "*.PHP", "*.JS"};
    return masks;
}

const QStringList& TOptionsCycle::FirstRunExcludeMasks() {
    static const QStringList masks{"*.EXE", "*.BIN", "*.JAR", "*.ARJ", "*.RAR", "*.*ZIP", "*.HA", "*.LHA"};
    return masks;
}

QString TOptionsCycle::text(const char* key) const { return langs_.GetText(QLatin1String(key)); }

void TOptionsCycle::FormCreate() {
    env_.SetProjectFolderText(QDir::toNativeSeparators(bw::homeDir()));
    langs_.OnTranslated = [this] { LangsOnTranslated(); };
    langs_.OnLoaded = [this] { LangsOnLoaded(); };
}

void TOptionsCycle::LoadOptionsFromFile(const QString& fileName) {
    env_.OpenSettingsFile(fileName);
    // A file without the options' own section was never written by us: restoring
    // from it would clear every window, so it is treated as no file at all.
    if (QFileInfo(fileName).isFile() && bw::IniFile(fileName).sectionExists(kOptionsSection)) {
        OptionsReset();
        FirstRun = false;
        return;
    }
    if (FirstRun) {
        env_.SetBackupDirText(QDir::toNativeSeparators(ProjectFolder + QStringLiteral("Backup")));
        env_.ApplyFolderDefaults(QDir::toNativeSeparators(QDir::homePath()), FirstRunIncludeMasks(),
                                 FirstRunExcludeMasks());
        FirstRun = false;
    }
    SetParametersByInterface();
    OptionsSet();
}

bool TOptionsCycle::restrictToOwner(const QString& fileName) {
    if (fileName.isEmpty())
        return true;
    const QByteArray name = QFile::encodeName(bw::diskPath(fileName));
    bw::OpenFailure why = bw::OpenFailure::None;
    // The permissions are set on the open file, so they reach only what was
    // checked to be a regular file.
    int fd = bw::openRegularFile(fileName, &why);
    if (fd < 0 && why == bw::OpenFailure::Missing) {
        // Created empty first, so the settings never sit in a file others can read.
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        // Not made here (a link to nowhere, a folder we may not write): the write tells.
        if (fd < 0)
            return true;
    }
    if (fd < 0) {
        if (why == bw::OpenFailure::NotAFile)
            return false;
        // A regular file we may not read.
        struct stat st {};
        if (::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::chmod(name.constData(), S_IRUSR | S_IWUSR);
        return true;
    }
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    ::close(fd);
    return true;
}

bool TOptionsCycle::regularOrNothing(const QString& fileName) {
    bw::OpenFailure why = bw::OpenFailure::None;
    const int fd = bw::openRegularFile(fileName, &why);
    if (fd >= 0)
        ::close(fd);
    return why != bw::OpenFailure::NotAFile;
}

bool TOptionsCycle::OptionsSet() {
    env_.SaveWindows();
    env_.WriteSetting(kLastRuleSection, kLastRuleKey, env_.LastRuleText());
    const QString file = env_.SettingsFileName();
    // Nothing is written over a folder, pipe or device in the file's place.
    if (restrictToOwner(file) && env_.WriteSettingsFile())
        return true;
    bw::prompt().error(text("szApplicationTitle"), bw::format(text("szFileNotSaved"), {file}));
    return false;
}

void TOptionsCycle::OptionsReset() {
    env_.LoadWindows();
    env_.SetLastRuleText(env_.ReadSetting(kLastRuleSection, kLastRuleKey));
    env_.HandOutFont();
    SetParametersByInterface();
}

void TOptionsCycle::RBBackupClick() {
    const bool on = env_.BackupOn();
    backups_.Active = on;
    env_.EnableBackupControls(on);
}

QString TOptionsCycle::ResolveBackupFolder(const QString& text) {
    const QString folder = text.trimmed();
    return folder.isEmpty() ? TBackupManager::FallbackFolder() : bw::diskPath(folder);
}

void TOptionsCycle::SetParametersByInterface() {
    RBBackupClick();
    backups_.SetBackupFolder(ResolveBackupFolder(env_.BackupDirText()));
    ProjectFolder = env_.ProjectFolderText();
    env_.SetBackupDirText(QDir::toNativeSeparators(backups_.BackupFolder()));
    backups_.SetMaxBackupCount(env_.MaxBackupCountValue());
    langs_.SetCurrentLang(env_.LanguageIndex());
}

bool TOptionsCycle::ApplyExecute() {
    if (env_.BackupOn()) {
        const QString folder = ResolveBackupFolder(env_.BackupDirText());
        if (!QFileInfo(folder).isDir()) {
            const QString question = bw::format(text("szDirNotExist"), {folder}) +
                                     bw::format(text("szCreateDir"), {folder});
            if (!bw::prompt().yesNo(text("szApplicationTitle"), question))
                return false;
        }
    }
    OptionsSet();
    SetParametersByInterface();
    env_.CloseDialog(mrOk);
    return true;
}

void TOptionsCycle::CancelExecute() {
    env_.HideDialog();
    OptionsReset();
    env_.CloseDialog(mrCancel);
}

bool TOptionsCycle::LoadExecute(const QString& fileName) {
    if (fileName.isEmpty())
        return false;
    if (!bw::IniFile(fileName).sectionExists(kOptionsSection)) {
        bw::prompt().error(text("szApplicationTitle"), bw::format(text("szNoOptionsInFile"), {fileName}));
        return false;
    }
    LoadOptionsFromFile(fileName);
    return true;
}

bool TOptionsCycle::SaveAsExecute(const QString& fileName) {
    if (fileName.isEmpty())
        return false;
    if (!OptionsSet())
        return false;
    const QString file = env_.SettingsFileName();
    if (samePath(file, fileName))
        return true;
    if (!regularOrNothing(fileName) || !bw::copyFile(file, fileName, true)) {
        bw::prompt().error(text("szApplicationTitle"), bw::format(text("szFileNotSaved"), {fileName}));
        return false;
    }
    restrictToOwner(fileName);
    return true;
}

void TOptionsCycle::LoadDefaultExecute() {
    if (!bw::prompt().yesNo(text("szConfirmation"), text("szAreyousure")))
        return;
    // Nothing may write the settings again on the way out.
    env_.ReleaseSettingsFile();
    QFile::remove(OptionsFileName);
    bw::prompt().information(text("szApplicationTitle"), text("szRestartNeed"));
    env_.EndProgram();
}

void TOptionsCycle::LangsOnLoaded() { env_.SetLanguages(langs_.LanguageNames()); }

void TOptionsCycle::LangsOnTranslated() {
    const QString lang = langs_.LanguageNames().value(langs_.CurrentLang());
    HelpFile = AppDir + QStringLiteral("Help/") + lang + QStringLiteral("/Brindlewick.html");
    env_.SetRuleListColumns({text("szSearch"), text("szReplace"), text("szProperties")});
    env_.SetMenuTitles({text("szFile"), text("szView")});
    env_.SetActionItems({text("szofatDontChange"), text("szofatDelete"), text("szofatReplace"),
                         text("szofatInsertBefore"), text("szofatInsertAfter"), text("szofatWriteToFile"),
                         text("szofatRenameFile")});
    env_.RealignInFiles();
}

void TOptionsCycle::SaveToStream(QIODevice& stream) { WriteStreamString(std::string(), stream); }

void TOptionsCycle::LoadFromStream(QIODevice& stream) {
    std::string ignored;
    ReadStreamString(stream, ignored);
}
