#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <vector>

#include "platform/fs.h"
#include "services/backupmanager.h"
#include "services/langmanager.h"
#include "tests/services/failures.h"
#include "tests/support/testutil.h"

using namespace bw;

class BackupManagerTest : public test::TempDirTest {
protected:
    BackupManagerTest() {
        bm.SetBackupFolder(path("bk"));
        bm.SetMaxBackupCount(3);
        source = writeFile("work/a.b.html", "v0");
    }
    // Where copy n of source lies.
    QString copy(int n) const {
        return bm.BackupFolder() + QDir::cleanPath(source).mid(1) + QStringLiteral(".%1").arg(n, 3, 10, QChar('0'));
    }
    TBackupManager bm;
    QString source;
};

TEST_F(BackupManagerTest, FolderCountAndSwitch) {
    bm.SetBackupFolder(path("bk") + "/");
    EXPECT_EQ(bm.BackupFolder(), QDir::cleanPath(path("bk")) + "/");
    for (int bad : {0, 1001}) {
        bm.SetMaxBackupCount(bad);
        EXPECT_EQ(bm.MaxBackupCount(), 3);
    }
    // A folder that cannot be created (below a file) and an empty one fall back.
    writeFile("plain", "x");
    bm.SetBackupFolder(path("plain/sub"));
    EXPECT_EQ(bm.BackupFolder(), TBackupManager::FallbackFolder());
    bm.SetBackupFolder("");
    EXPECT_EQ(bm.BackupFolder(), TBackupManager::FallbackFolder());
    EXPECT_FALSE(exists(TBackupManager::FallbackFolder()));

    bm.Active = false;
    EXPECT_TRUE(bm.MakeBackup(source));
    EXPECT_FALSE(exists(path("bk")) && !QDir(path("bk")).isEmpty());
}

TEST_F(BackupManagerTest, NumbersFillGapsThenRotate) {
    for (int i = 0; i < 3; ++i) {
        writeFile("work/a.b.html", "v" + std::to_string(i));
        ASSERT_TRUE(bm.MakeBackup(source));
    }
    EXPECT_EQ(readFile(copy(0)), "v0");
    EXPECT_EQ(readFile(copy(2)), "v2");

    // Full series: 000 goes, the others move down, the new copy is 002.
    writeFile("work/a.b.html", "v3");
    ASSERT_TRUE(bm.MakeBackup(source));
    EXPECT_EQ(readFile(copy(0)), "v1");
    EXPECT_EQ(readFile(copy(1)), "v2");
    EXPECT_EQ(readFile(copy(2)), "v3");
    EXPECT_FALSE(exists(copy(3)));

    // A gap left by a deleted copy closes up: the newer copies move down and
    // the new copy comes last.
    QFile::remove(copy(1));
    writeFile("work/a.b.html", "v4");
    ASSERT_TRUE(bm.MakeBackup(source));
    EXPECT_EQ(readFile(copy(1)), "v3");
    EXPECT_EQ(readFile(copy(2)), "v4");

    // A missing file makes no copy and keeps the series whole.
    EXPECT_FALSE(bm.MakeBackup(path("work/a.b.html.missing")));
    EXPECT_EQ(readFile(copy(0)), "v1");

    // A smaller count: the read-only 000 is overwritten, numbers above the count are left alone.
    bm.SetMaxBackupCount(1);
    QFile::setPermissions(copy(0), QFileDevice::ReadOwner);
    ASSERT_TRUE(bm.MakeBackup(source));
    EXPECT_EQ(readFile(copy(0)), "v4");
    EXPECT_EQ(readFile(copy(1)), "v3");
    EXPECT_EQ(readFile(copy(2)), "v4");
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(BackupManagerTest, FailuresAskAbortRetryIgnoreNamingThePath) {
    // The copy's folder cannot be made: a file stands where it should be.
    const QString workDir = QFileInfo(copy(0)).absolutePath();
    QDir().mkpath(QFileInfo(workDir).absolutePath());
    {
        QFile blocker(workDir);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }

    prompt.push(Answer::Retry);
    prompt.push(Answer::Ignore);
    EXPECT_TRUE(bm.MakeBackup(source));
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].buttons, Buttons::AbortRetryIgnore);
    EXPECT_EQ(prompt.asked()[0].text, "Can't create folder \"" + QDir::toNativeSeparators(workDir) + "\".");

    prompt.push(Answer::Abort);
    EXPECT_FALSE(bm.MakeBackup(source));

    // The copy itself fails: the name is a folder. Translated texts are used.
    QFile::remove(workDir);
    QDir().mkpath(copy(0));
    writeFile("Langs.lng", "English\n\n");
    writeFile("English.lng", "szCantCreateFile=Cannot write %s\nszRetry=Try again\n");
    TLangManager lm;
    lm.SetLangDir(path("") + "/");
    ASSERT_TRUE(lm.LoadLanguages());
    bm.LangManager = &lm;
    bm.SetMaxBackupCount(1);
    prompt.push(Answer::Abort);
    EXPECT_FALSE(bm.MakeBackup(source));
    EXPECT_EQ(prompt.asked().back().text, "Cannot write " + QDir::toNativeSeparators(copy(0)) + ". Try again?");
}

TEST_F(BackupManagerTest, NoCountMeansNoCopy) {
    TBackupManager fresh;
    fresh.SetBackupFolder(path("bk2"));
    EXPECT_FALSE(fresh.MakeBackup(source));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, "Can't renumber backup files");
}

// A store whose folder was never set copies into the fallback folder, never
// relative to the working folder (from "/" that would put the copy beside its file).
TEST_F(BackupManagerTest, NoFolderSetCopiesIntoTheFallback) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QStringLiteral("/")));
    TBackupManager fresh;
    fresh.SetMaxBackupCount(2);
    const bool made = fresh.MakeBackup(source);
    QDir::setCurrent(previous);
    ASSERT_TRUE(made);
    const QString inFallback = TBackupManager::FallbackFolder() + QDir::cleanPath(source).mid(1) + ".000";
    EXPECT_EQ(readFile(inFallback), "v0");
    EXPECT_FALSE(exists(QDir::cleanPath(source) + ".000"));
}

TEST_F(BackupManagerTest, BackupNameMapsBackOnlyForNumberedCopies) {
    const QString folder = bm.BackupFolder();
    struct Case {
        QString name;
        QString original;
    };
    const Case cases[] = {
        {folder + "home/u/a.b.html.004", "/home/u/a.b.html"},
        {folder + "x.000", "/x"},
        {folder + "home/u/a.b.html", ""},      // no number
        {folder + "home/u/a.b.html.04", ""},   // two digits
        {folder + "home/u/a.b.htmlx004", ""},  // no point before the number
        {folder + ".004", ""},                 // nothing before the number
        {folder + "home/u/.000", ""},          // would be the folder /home/u
        {folder + "home/u/..000", ""},         // would be the folder /home
        {folder + "..000", ""},
        {folder + "home/u/a.txt.000\n", ""},   // would be /home/u/a.txt
        {folder + "home/u/a.txt.000\n.001", "/home/u/a.txt.000\n"},
        {folder + "home/u/...000", ""},
        {folder + "home/u/.a.000", "/home/u/.a"},
        {folder + "home/u/a\nb.000", "/home/u/a\nb"},
        {"/elsewhere/a.txt.001", ""},          // not below the backup folder
    };
    for (const Case& c : cases)
        EXPECT_EQ(bm.BackupNameToOriginal(c.name), c.original) << c.name.toStdString();

    ASSERT_TRUE(bm.MakeBackup(source));
    EXPECT_EQ(bm.BackupNameToOriginal(copy(0)), QDir::cleanPath(source));
}

// Names below the backup folder: the whole path, a top folder starting with
// ':' included, so no two files share a series; each maps back to its file.
TEST_F(BackupManagerTest, EveryPathHasASeriesOfItsOwn) {
    const QString folder = bm.BackupFolder();
    struct Case {
        QString path;
        QString name;
    };
    const Case cases[] = {
        {"/data/a.txt", "data/a.txt.000"},
        {"/:data/a.txt", ":data/a.txt.000"},
        {"/:/a.txt", ":/a.txt.000"},
        {"/:a.txt", ":a.txt.000"},
        {"/a.txt", "a.txt.000"},
        {"/C:/a.txt", "C:/a.txt.000"},
        {"/data/:b/a.txt", "data/:b/a.txt.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bm.NextBackupName(c.path), folder + c.name) << c.path.toStdString();
        EXPECT_EQ(bm.BackupNameToOriginal(folder + c.name), c.path) << c.path.toStdString();
    }
}

// Relative paths, ':' first ones too, name files and folders on disk, not
// Qt resources: they are taken against the current folder.
TEST_F(BackupManagerTest, RelativePathsAreTakenAgainstTheCurrentFolder) {
    const QString file = QDir::cleanPath(writeFile(":a.txt", "colon"));
    {
        test::CurrentFolder here(path(""));
        bm.SetBackupFolder(":bk");
        EXPECT_EQ(bm.BackupFolder(), QDir::cleanPath(path(":bk")) + "/");
        ASSERT_TRUE(bm.MakeBackup(":a.txt"));
    }
    const QString copy = bm.BackupFolder() + file.mid(1) + ".000";
    EXPECT_EQ(readFile(copy), "colon");
    EXPECT_EQ(bm.BackupNameToOriginal(copy), file);
}

// A copy that fails (here: the disk takes no more) must not cost the series
// its oldest copy: the new one is written whole before the others move down.
TEST_F(BackupManagerTest, FailedCopyLeavesAFullSeriesAsItWas) {
    for (const int count : {1, 3}) {
        bm.SetMaxBackupCount(count);
        QDir(bm.BackupFolder()).removeRecursively();
        for (int i = 0; i < count; ++i) {
            writeFile("work/a.b.html", "v" + std::to_string(i));
            ASSERT_TRUE(bm.MakeBackup(source));
        }
        const std::string big(64 * 1024, 'n');
        writeFile("work/a.b.html", big);
        const QString folder = QFileInfo(copy(0)).absolutePath();
        const QStringList before = filesIn(folder);
        auto seriesIntact = [&] {
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(readFile(copy(i)), "v" + std::to_string(i)) << count;
            EXPECT_EQ(filesIn(folder), before) << count;
        };
        {
            test::FileSizeLimit limit(1024);
            prompt.push(Answer::Abort);
            EXPECT_FALSE(bm.MakeBackup(source));
            seriesIntact();
            prompt.push(Answer::Ignore);
            EXPECT_TRUE(bm.MakeBackup(source));
            seriesIntact();

            // Retry once the disk has room: the series moves down once.
            test::ActingPrompt answers([&](int) {
                seriesIntact();
                limit.lift();
                return Answer::Retry;
            });
            ScopedPrompt use(answers);
            ASSERT_TRUE(bm.MakeBackup(source));
            EXPECT_EQ(answers.calls, 1);
        }
        for (int i = 0; i + 1 < count; ++i)
            EXPECT_EQ(readFile(copy(i)), "v" + std::to_string(i + 1)) << count;
        EXPECT_EQ(readFile(copy(count - 1)), big) << count;
        EXPECT_EQ(filesIn(folder), before) << count;
    }
}

// The backup browser shows a copy's time and restoring gives it back.
TEST_F(BackupManagerTest, CopiesKeepTheSourcesModificationTime) {
    bm.SetMaxBackupCount(2);
    for (const char* iso : {"2019-05-06T07:08:09.123", "2020-01-02T03:04:05", "2021-11-12T13:14:15"}) {
        const QDateTime stamp = setModified(source, iso);
        ASSERT_TRUE(bm.MakeBackup(source));
        // The newest copy has the last free number, or the last one once the series is full.
        const QString newest = exists(copy(1)) ? copy(1) : copy(0);
        EXPECT_EQ(QFileInfo(newest).lastModified(), stamp) << iso;
    }
    EXPECT_EQ(QFileInfo(copy(0)).lastModified(), QDateTime::fromString("2020-01-02T03:04:05", Qt::ISODate));
}

// A kill in the middle of a copy leaves temporaries of the series and gaps in
// its numbers. The next copy removes those temporaries, closes the gaps in
// the copies' order and comes last; nothing else in the folder changes.
TEST_F(BackupManagerTest, NextCopyClearsWhatAKilledOneLeft) {
    struct Case {
        int count;
        std::vector<std::string> before, after; // by number: "" free, "/" a folder (another file's series)
        QStringList temporaries;
    };
    const Case cases[] = {
        {3, {"c0"}, {"c0", "now"}, {".a.b.html.001.1f.tmp", ".a.b.html.002.7a.tmp"}},
        {3, {"c0", "", "c2"}, {"c0", "c2", "now"}, {}},
        {4, {"", "c1", "", "c3"}, {"c1", "c3", "now"}, {".a.b.html.003.c0ffee.tmp"}},
        {3, {"", "c1", "c2"}, {"c1", "c2", "now"}, {".a.b.html.002.9.tmp"}},
        {3, {"c0", "c1", "c2"}, {"c1", "c2", "now"}, {".a.b.html.000.ab.tmp", ".a.b.html.002.12345678.tmp"}},
        {4, {"c0", "/", "", "c3"}, {"c0", "/", "c3", "now"}, {}},
    };
    // Other series and their temporaries, names that only look like this
    // series' temporaries, a copy above the count.
    const QStringList others = {"a.b.htm.000", ".a.b.htm.001.5e.tmp", "a.b.html.001.000", ".a.b.html.001.000.3f.tmp",
                                ".a.b.html.3f.tmp", ".a.b.html.001.tmp", ".a.b.html.001..tmp", ".a.b.html.001.3F.tmp",
                                ".a.b.html.001.123456789.tmp", ".a.b.html.01.3f.tmp", "a.b.html.001.3f.tmp",
                                ".a.b.html.001.3f.tmp.x", "a.b.html.004"};
    writeFile("work/a.b.html", "now");
    const QString folder = QFileInfo(copy(0)).absolutePath();
    const auto put = [&](const QString& at, const std::string& text) {
        writeFile(QDir(path("")).relativeFilePath(at), text);
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        QDir(folder).removeRecursively();
        for (const QString& name : others + c.temporaries)
            put(folder + "/" + name, name.toStdString());
        for (std::size_t n = 0; n < c.before.size(); ++n)
            if (!c.before[n].empty())
                put(copy(int(n)) + (c.before[n] == "/" ? "/x" : ""), c.before[n]);
        bm.SetMaxBackupCount(c.count);
        std::optional<ReplaceSession> session; // every other row reads the folder through a session
        if (i % 2)
            session.emplace();
        ASSERT_TRUE(bm.MakeBackup(source)) << i;
        QStringList expected = others;
        std::vector<std::string> series;
        for (std::size_t n = 0; n < c.after.size(); ++n) {
            expected << QFileInfo(copy(int(n))).fileName();
            series.push_back(exists(copy(int(n)) + "/x") ? "/" : readFile(copy(int(n))));
        }
        EXPECT_EQ(series, c.after) << i;
        expected.sort();
        const QStringList found = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        EXPECT_EQ(found.join(' ').toStdString(), expected.join(' ').toStdString()) << i;
    }
}
