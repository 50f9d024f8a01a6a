#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/processstate.h"
#include "options/optionscycle.h"
#include "platform/appdirs.h"
#include "platform/inifile.h"
#include "services/backupmanager.h"
#include "services/langmanager.h"
#include "tests/support/qtprint.h"
#include "tests/support/specialfiles.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

// Stands in for the options window and the windows it walks: records every
// call, holds the values as plain fields and keeps a real settings file.
class FakeEnv : public TOptionsCycleEnv {
public:
    QStringList log;
    std::unique_ptr<IniFile> ini;
    bool backupOn = true;
    QString backupDir, projectFolder;
    int maxCount = 50;
    int language = 0;
    QString lastRule;
    // What the "windows" hold: saved into and restored from [FOptions].
    QString windowValue = QStringLiteral("initial");
    QStringList folderDefaults;

    void OpenSettingsFile(const QString& f) override {
        log << "open " + QFileInfo(f).fileName();
        if (ini && ini->fileName() == f)
            return;
        if (ini)
            ini->flush();
        ini = std::make_unique<IniFile>(f);
    }
    QString SettingsFileName() const override { return ini ? ini->fileName() : QString(); }
    void SaveWindows() override {
        log << "save windows";
        ini->writeString("FOptions", "Value", windowValue);
    }
    void LoadWindows() override {
        log << "load windows";
        windowValue = ini->readString("FOptions", "Value");
    }
    QString ReadSetting(const QString& s, const QString& k) override { return ini->readString(s, k); }
    void WriteSetting(const QString& s, const QString& k, const QString& v) override { ini->writeString(s, k, v); }
    bool WriteSettingsFile() override {
        log << "write";
        return ini->flush();
    }
    void ReleaseSettingsFile() override {
        log << "release";
        ini->detach();
    }
    bool BackupOn() const override { return backupOn; }
    void EnableBackupControls(bool on) override { log << QStringLiteral("enable %1").arg(on); }
    QString BackupDirText() const override { return backupDir; }
    void SetBackupDirText(const QString& t) override { backupDir = t; }
    QString ProjectFolderText() const override { return projectFolder; }
    void SetProjectFolderText(const QString& t) override { projectFolder = t; }
    int MaxBackupCountValue() const override { return maxCount; }
    int LanguageIndex() const override { return language; }
    void SetLanguages(const QStringList& names) override { log << "languages " + names.join(','); }
    void HandOutFont() override { log << "font"; }
    QString LastRuleText() const override { return lastRule; }
    void SetLastRuleText(const QString& t) override { lastRule = t; }
    void ApplyFolderDefaults(const QString& lastDir, const QStringList& inc, const QStringList& exc) override {
        log << "folder defaults";
        folderDefaults = QStringList{lastDir} + inc + exc;
    }
    void SetRuleListColumns(const QStringList& c) override { log << "columns " + c.join(','); }
    void SetMenuTitles(const QStringList& t) override { log << "menu " + t.join(','); }
    void SetActionItems(const QStringList& i) override { log << "actions " + i.join(','); }
    void RealignInFiles() override { log << "realign"; }
    void HideDialog() override { log << "hide"; }
    void CloseDialog(int r) override { log << QStringLiteral("close %1").arg(r); }
    void EndProgram() override { log << "end"; }
};

bool ownerOnly(const QString& file) {
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (QFile::permissions(file) & others) == 0 && (QFile::permissions(file) & QFileDevice::WriteOwner);
}

class OptionsCycleTest : public test::TempDirTest {
protected:
    OptionsCycleTest() {
        bw::test::useShippedLanguages(langs);
        cycle.FormCreate();
    }
    QString ini() const { return path("Brindlewick.ini"); }
    // A first start: the settings file is created; the log starts afresh.
    void firstStart() {
        cycle.LoadOptionsFromFile(cycle.OptionsFileName);
        env.log.clear();
    }

    FakeEnv env;
    TBackupManager backups;
    TLangManager langs;
    TOptionsCycle cycle{env, backups, langs};
};

TEST_F(OptionsCycleTest, FirstStartAppliesDefaultsOnceAndWrites) {
    EXPECT_EQ(env.projectFolder, QDir::toNativeSeparators(homeDir()));
    cycle.LoadOptionsFromFile(cycle.OptionsFileName);
    EXPECT_EQ(env.log, QStringList({"open Brindlewick.ini", "folder defaults", "enable 1", "save windows", "write"}));
    EXPECT_FALSE(cycle.FirstRun);
    // The backup folder is "Backup" in the projects folder, created, as the store keeps it.
    EXPECT_EQ(backups.BackupFolder(), homeDir() + "Projects/Backup/");
    EXPECT_EQ(env.backupDir, QDir::toNativeSeparators(backups.BackupFolder()));
    EXPECT_TRUE(QFileInfo(backups.BackupFolder()).isDir());
    EXPECT_EQ(env.folderDefaults.front(), QDir::toNativeSeparators(QDir::homePath()));
    // The file keeps the proxy password in plain text: only its owner may read it.
    EXPECT_TRUE(ownerOnly(ini()));

    // Loading another missing file later sets no defaults again.
    env.log.clear();
    env.backupDir = path("elsewhere");
    cycle.LoadOptionsFromFile(path("other.ini"));
    EXPECT_FALSE(env.log.contains("folder defaults"));
    EXPECT_EQ(backups.BackupFolder(), path("elsewhere") + "/");
}

TEST_F(OptionsCycleTest, SecondStartRestoresAndWritesNothing) {
    env.lastRule = "Name=x";
    env.windowValue = "stored";
    env.language = 1;
    firstStart();
    const std::string before = readFile(ini());

    FakeEnv next;
    TBackupManager nextBackups;
    TOptionsCycle second(next, nextBackups, langs);
    second.LoadOptionsFromFile(ini());
    EXPECT_EQ(next.log, QStringList({"open Brindlewick.ini", "load windows", "font", "enable 1"}));
    EXPECT_FALSE(second.FirstRun);
    EXPECT_EQ(next.windowValue, "stored");
    EXPECT_EQ(next.lastRule, "Name=x");
    EXPECT_EQ(readFile(ini()), before);
}

TEST_F(OptionsCycleTest, StartWithAFileThatHoldsNoOptionsIsAFirstStart) {
    writeFile("Brindlewick.ini", std::string("\x00\xff garbage\n[Other]\nKey=1\n", 24));
    cycle.LoadOptionsFromFile(ini());
    EXPECT_TRUE(env.log.contains("folder defaults"));
    EXPECT_FALSE(env.log.contains("load windows"));
    EXPECT_EQ(env.windowValue, "initial");
    EXPECT_TRUE(IniFile(ini()).sectionExists("FOptions"));
    EXPECT_EQ(IniFile(ini()).readString("Other", "Key"), "1");
}

// Apply asks about the very folder the store will use: the field's text
// trimmed, the store's fallback when blank.
TEST_F(OptionsCycleTest, ApplyAsksAboutAMissingBackupFolder) {
    firstStart();
    QDir().mkpath(path("exists"));
    QDir().mkpath(path(":exists"));
    // Relative texts are folders below the current one, ':' first too.
    test::CurrentFolder here(path(""));
    struct Case {
        const char* name;
        bool on;
        QString text;
        Answer answer;
        bool asked;
        bool applied;
        QString folder;
    };
    const Case cases[] = {
        {"missing, No", true, path("new"), Answer::No, true, false, ""},
        {"missing, Yes", true, path("new"), Answer::Yes, true, true, path("new") + "/"},
        {"padded, existing", true, "  " + path("exists") + " ", Answer::None, false, true, path("exists") + "/"},
        {"relative, existing", true, ":exists", Answer::None, false, true, path(":exists") + "/"},
        {"blank, No", true, "   ", Answer::No, true, false, ""},
        {"blank, Yes", true, "   ", Answer::Yes, true, true, TBackupManager::FallbackFolder()},
        {"backups off", false, path("off"), Answer::None, false, true, path("off") + "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.log.clear();
        const std::size_t askedBefore = prompt.asked().size();
        if (c.answer != Answer::None)
            prompt.push(c.answer);
        env.backupOn = c.on;
        env.backupDir = c.text;
        const QString folderBefore = backups.BackupFolder();
        const std::string fileBefore = readFile(ini());
        env.windowValue = c.name;
        EXPECT_EQ(cycle.ApplyExecute(), c.applied);
        ASSERT_EQ(prompt.asked().size() - askedBefore, c.asked ? 1u : 0u);
        if (c.asked) {
            const QString expected = c.text.trimmed().isEmpty() ? TBackupManager::FallbackFolder() : c.text.trimmed();
            EXPECT_EQ(prompt.asked().back().text, QStringLiteral("The folder \"%1\" does not exist. Create the folder \"%1\"?").arg(expected));
            EXPECT_EQ(prompt.asked().back().caption, QCoreApplication::applicationName());
        }
        if (!c.applied) {
            EXPECT_TRUE(env.log.isEmpty());
            EXPECT_EQ(readFile(ini()), fileBefore);
            EXPECT_EQ(backups.BackupFolder(), folderBefore);
            continue;
        }
        EXPECT_EQ(env.log.first(), "save windows");
        EXPECT_EQ(env.log.last(), QStringLiteral("close %1").arg(mrOk));
        EXPECT_EQ(IniFile(ini()).readString("FOptions", "Value"), c.name);
        EXPECT_EQ(backups.BackupFolder(), c.folder);
        EXPECT_EQ(backups.Active, c.on);
        EXPECT_TRUE(QFileInfo(c.folder).isDir());
    }
}

TEST_F(OptionsCycleTest, CancelBringsBackTheSavedState) {
    firstStart();
    env.windowValue = "edited";
    env.lastRule = "edited rule";
    cycle.CancelExecute();
    ASSERT_GE(env.log.size(), 5);
    EXPECT_EQ(env.log.mid(0, 4), QStringList({"hide", "load windows", "font", "enable 1"}));
    EXPECT_EQ(env.log.last(), QStringLiteral("close %1").arg(mrCancel));
    EXPECT_EQ(env.windowValue, "initial");
    EXPECT_EQ(env.lastRule, "");
}

TEST_F(OptionsCycleTest, LoadRefusesFilesWithoutOptionsAndSwitchesToGoodOnes) {
    firstStart();
    const QString garbage = writeFile("garbage.ini", "\x01\x02 not settings at all\n[FMain]\nLeft=3\n");
    EXPECT_FALSE(cycle.LoadExecute(garbage));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains("garbage.ini"));
    EXPECT_EQ(prompt.asked()[0].icon, Icon::Error);
    EXPECT_TRUE(env.log.isEmpty());
    EXPECT_EQ(env.SettingsFileName(), ini());

    const QString other = writeFile("other.ini", "[FOptions]\nValue=other\n");
    EXPECT_TRUE(cycle.LoadExecute(other));
    EXPECT_EQ(env.windowValue, "other");
    EXPECT_EQ(env.SettingsFileName(), other);
    // Later saves go to the loaded file.
    env.windowValue = "saved later";
    cycle.OptionsSet();
    EXPECT_EQ(IniFile(other).readString("FOptions", "Value"), "saved later");
    EXPECT_NE(IniFile(ini()).readString("FOptions", "Value"), "saved later");
}

TEST_F(OptionsCycleTest, SaveAsWritesAnOwnerOnlyCopyAndKeepsTheFile) {
    firstStart();
    env.windowValue = "copied";
    const QString copy = path("copy.ini");
    EXPECT_TRUE(cycle.SaveAsExecute(copy));
    EXPECT_EQ(readFile(copy), readFile(ini()));
    EXPECT_TRUE(ownerOnly(copy));
    env.windowValue = "later";
    cycle.OptionsSet();
    EXPECT_EQ(IniFile(copy).readString("FOptions", "Value"), "copied");
    EXPECT_EQ(IniFile(ini()).readString("FOptions", "Value"), "later");

    // A copy that cannot be written says so.
    EXPECT_FALSE(cycle.SaveAsExecute(path("no/such/folder/x.ini")));
    EXPECT_EQ(prompt.asked().size(), 1u);
}

TEST_F(OptionsCycleTest, LoadDefaultDeletesTheFileAndEndsWithoutWriting) {
    firstStart();
    prompt.push(Answer::No);
    cycle.LoadDefaultExecute();
    EXPECT_TRUE(env.log.isEmpty());
    EXPECT_TRUE(exists(ini()));

    prompt.push(Answer::Yes);
    cycle.LoadDefaultExecute();
    EXPECT_EQ(env.log, QStringList({"release", "end"}));
    EXPECT_FALSE(exists(ini()));
    EXPECT_EQ(prompt.asked().back().text, langs.GetText("szRestartNeed"));
    // Whatever saves on the way out writes nothing.
    env.SaveWindows();
    env.WriteSettingsFile();
    EXPECT_FALSE(exists(ini()));
}

TEST_F(OptionsCycleTest, LanguageChangeResetsTheTextsOfOtherWindows) {
    langs.SetCurrentLang(1);
    EXPECT_EQ(cycle.HelpFile, cycle.AppDir + "Help/Russian/Brindlewick.html");
    EXPECT_TRUE(env.log.contains("columns Поиск,Замена,Свойства"));
    // Seven actions, in the order of the action kinds, none missing in the language file.
    const QString actions = env.log.filter("actions ").value(0).mid(8);
    EXPECT_EQ(actions.split(',').size(), 7);
    EXPECT_FALSE(actions.split(',').contains(QString()));
    EXPECT_EQ(env.log.last(), "realign");
}

TEST_F(OptionsCycleTest, ProjectsCarryNoOptions) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    TOptionsCycle::SaveToStream(buffer);
    EXPECT_EQ(buffer.data(), QByteArray(4, '\0'));
    // Whatever an older project holds there is read over and ignored.
    QBuffer old;
    old.setData(QByteArray("\x03\x00\x00\x00" "abcNEXT", 11));
    old.open(QIODevice::ReadOnly);
    TOptionsCycle::LoadFromStream(old);
    EXPECT_EQ(old.readAll(), "NEXT");
}

// The kind of thing at a path, without following a link: S_IFREG, S_IFIFO, ...
unsigned kindAt(const QString& p) {
    struct stat st {};
    return ::lstat(QFile::encodeName(p).constData(), &st) == 0 ? unsigned(st.st_mode & S_IFMT) : 0u;
}

// Anything but a regular file in place of the settings file is read as no
// file at once; it is not written over, and the user hears it was not read.
TEST_F(OptionsCycleTest, ASettingsFileThatIsNoFileReadsAsNoneAndIsLeftAlone) {
    test::readEachSpecial(prompt, {
        {"start-up read", ini(), [&] {
             const unsigned was = kindAt(ini());
             FakeEnv start;
             TBackupManager startBackups;
             TOptionsCycle startCycle(start, startBackups, langs);
             startCycle.LoadOptionsFromFile(ini());
             return start.log.contains("folder defaults") && kindAt(ini()) == was;
         }, true},
        {"load", ini(), [&] { return !cycle.LoadExecute(ini()); }, true},
    });
}

// Only the regular file the cycle writes is made owner-only: a folder or a
// pipe in place of the settings file or of a copy keeps its permissions and
// stays what it is, and the save says it failed, naming the path.
TEST_F(OptionsCycleTest, OwnerOnlyPermissionsTouchNothingButTheSettingsFile) {
    const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    const auto user = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    firstStart();
    const std::string saved = readFile(ini());
    const QString copy = path("copy.ini");
    for (const QString& target : {ini(), copy}) {
        for (const bool folder : {true, false}) {
            const std::string what = (folder ? "folder as " : "pipe as ") + target.toStdString();
            QDir().rmdir(target);
            QFile::remove(target);
            ASSERT_TRUE(folder ? QDir().mkdir(target) : test::makeSpecial(test::Special::Pipe, target)) << what;
            ASSERT_TRUE(QFile::setPermissions(target, open)) << what;
            const unsigned kind = kindAt(target);
            const std::size_t before = prompt.asked().size();
            test::PipeWatch watch(target);
            EXPECT_FALSE(target == copy ? cycle.SaveAsExecute(copy) : cycle.OptionsSet()) << what;
            EXPECT_FALSE(watch.blocked()) << what;
            EXPECT_EQ(QFile::permissions(target) & ~user, open) << what;
            EXPECT_EQ(kindAt(target), kind) << what;
            ASSERT_EQ(prompt.asked().size(), before + 1) << what;
            EXPECT_TRUE(prompt.asked()[before].text.contains(target)) << what;
        }
        if (target == ini()) {
            QDir().rmdir(target);
            QFile::remove(target);
            writeFile("Brindlewick.ini", saved);
            ASSERT_TRUE(cycle.OptionsSet());
        }
    }
}

} // namespace
