#include "services/filestamp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <utime.h>

#include "services/fileroutines.h"
#include "tests/support/testutil.h"

using bw::test::TempDirTest;

namespace {

using FileStampTest = TempDirTest;

// Whatever another program may do to a file after it was read shows in the
// stamp; a link followed at reading time is judged by its target.
TEST_F(FileStampTest, EveryChangeOfTheFileBreaksTheStamp) {
    const struct {
        const char* what;
        std::function<void(const QString&)> act;
        bool matches;
    } cases[] = {
        {"left alone", [](const QString&) {}, true},
        {"same size, new time",
         [this](const QString& p) {
             writeFile("f.txt", "YYYY");
             struct utimbuf times {};
             times.actime = times.modtime = 1000000000;
             ::utime(QFile::encodeName(p).constData(), &times);
         },
         false},
        {"grown", [this](const QString&) { writeFile("f.txt", "xxxx+"); }, false},
        {"removed", [](const QString& p) { QFile::remove(p); }, false},
        {"replaced by a new file",
         [this](const QString& p) {
             const QString other = writeFile("other.txt", "xxxx");
             QFile::remove(p);
             QFile::rename(other, p);
         },
         false},
        {"a link to another file swapped in",
         [this](const QString& p) {
             const QString other = writeFile("elsewhere/f.txt", "xxxx");
             QFile::remove(p);
             QFile::link(other, p);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString p = writeFile("f.txt", "xxxx");
        QFile::remove(path("other.txt"));
        std::string text;
        TFileStamp stamp;
        ASSERT_TRUE(LoadFileStamped(p, text, stamp));
        EXPECT_EQ(text, "xxxx");
        c.act(p);
        EXPECT_EQ(FileMatchesStamp(p, stamp), c.matches);
        QFile::remove(p);
    }

    // Through a link: the target is what was read.
    const QString target = writeFile("target.txt", "t");
    QFile::link(target, path("link.txt"));
    std::string text;
    TFileStamp stamp;
    ASSERT_TRUE(LoadFileStamped(path("link.txt"), text, stamp));
    EXPECT_EQ(stamp, TakeFileStamp(target));
    EXPECT_TRUE(FileMatchesStamp(path("link.txt"), stamp));

    EXPECT_FALSE(TakeFileStamp(path("missing")).Valid);
    EXPECT_FALSE(TakeFileStamp(path("")).Valid); // a folder
    EXPECT_FALSE(FileMatchesStamp(path("missing"), TFileStamp{}));
}

// What another program does to a file between the run's read and its save,
// and what the save must do then: never write where a link swapped in leads,
// never create a file that went away, and keep to the file read.
TEST_F(FileStampTest, ASaveOverTheFileReadGoesToThatFileOnly) {
    const auto rewrite = [this](const QString&, const QString&) { writeFile("tree/f.txt", "other program"); };
    const struct {
        const char* what;
        std::function<void(const QString& file, const QString& outside)> act;
        bool checkContent;
        TReadFileSave result;
    } cases[] = {
        {"left alone", [](const QString&, const QString&) {}, true, TReadFileSave::Saved},
        {"rewritten in place, content not checked", rewrite, false, TReadFileSave::Saved},
        {"rewritten in place, content checked", rewrite, true, TReadFileSave::Changed},
        {"removed", [](const QString& file, const QString&) { QFile::remove(file); }, false, TReadFileSave::Changed},
        {"a link to a second name of the same file renamed over it",
         [this](const QString& file, const QString& outside) {
             QFile::remove(outside);
             ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(outside).constData()), 0);
             ASSERT_TRUE(QFile::link(outside, path("tree/swap")));
             ASSERT_EQ(std::rename(QFile::encodeName(path("tree/swap")).constData(), QFile::encodeName(file).constData()),
                       0);
         },
         false, TReadFileSave::Changed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path("tree")).removeRecursively();
        const QString file = writeFile("tree/f.txt", "read");
        const QString outside = writeFile("outside/secret.txt", "secret");
        std::string text;
        TFileStamp stamp;
        ASSERT_EQ(LoadFileChecked(file, text, stamp, 1000), TLoadOutcome::Loaded);
        c.act(file, outside);
        const std::string before = readFile(outside);
        EXPECT_EQ(SaveStringToReadFile(file, stamp, "saved", c.checkContent), c.result);
        EXPECT_EQ(readFile(outside), before);
        if (c.result == TReadFileSave::Saved) {
            EXPECT_EQ(readFile(file), "saved");
            EXPECT_EQ(stamp, TakeFileStamp(file));
        }
        EXPECT_EQ(exists(file), std::string(c.what) != "removed");
        EXPECT_TRUE(filesIn(path("tree")).filter(".tmp").isEmpty());
    }
    // Read through a link: the link's target is saved and the link stays.
    const QString target = writeFile("real/f.txt", "read");
    ASSERT_TRUE(QFile::link(target, path("link.txt")));
    std::string text;
    TFileStamp stamp;
    ASSERT_EQ(LoadFileChecked(path("link.txt"), text, stamp, 1000), TLoadOutcome::Loaded);
    EXPECT_EQ(SaveStringToReadFile(path("link.txt"), stamp, "saved", true), TReadFileSave::Saved);
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(readFile(target), "saved");
}

// A folder of the tree swapped for a link to another folder between the read
// and the save: nothing is created, written or removed in the other folder
// (a killed save's temporary there stays) and the save says the file changed.
TEST_F(FileStampTest, AFolderSwappedForALinkKeepsTheSaveOutOfTheFolderLinkedTo) {
    const struct {
        const char* what;
        std::function<void(const QString& file, const QString& other)> prepare;
    } cases[] = {
        {"nothing of that name there", [](const QString&, const QString&) {}},
        {"another file of that name there",
         [this](const QString&, const QString&) { writeFile("other/f.txt", "other"); }},
        {"a second name of the file read there",
         [](const QString& file, const QString& other) {
             ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(other + "/f.txt").constData()), 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* folder : {"tree", "other"})
            QDir(path(folder)).removeRecursively();
        const QString file = writeFile("tree/d/f.txt", "read");
        const QString other = QFileInfo(writeFile("other/.f.txt.1a.tmp", "stale")).absolutePath();
        setModified(other + "/.f.txt.1a.tmp", "2001-01-01T00:00:00");
        std::string text;
        TFileStamp stamp;
        ASSERT_EQ(LoadFileChecked(file, text, stamp, 1000), TLoadOutcome::Loaded);
        c.prepare(file, other);
        ASSERT_TRUE(QDir().rename(path("tree/d"), path("tree/d.old")));
        ASSERT_TRUE(QFile::link(other, path("tree/d")));
        // Any entry made or removed in the folder moves its time on.
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), old, 0), 0);
        const QStringList names = filesIn(other);

        EXPECT_EQ(SaveStringToReadFile(file, stamp, "saved", false), TReadFileSave::Changed);
        struct stat now {};
        ASSERT_EQ(::stat(QFile::encodeName(other).constData(), &now), 0);
        EXPECT_EQ(now.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(filesIn(other), names);
        EXPECT_NE(readFile(other + "/f.txt"), "saved");
        EXPECT_EQ(readFile(path("tree/d.old/f.txt")), "read");
    }
}

} // namespace
