#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/trash.h"
#include "tests/options/trashhome.h"
#include "tests/support/qtprint.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class TrashTest : public test::TempDirTest {
protected:
    QStringList records() const { return QDir(trash.infoFolder()).entryList({"*.trashinfo"}, QDir::Files | QDir::Hidden); }
    static bool present(const QString& p) { return QFileInfo::exists(p) || QFileInfo(p).isSymLink(); }
    static struct stat status(const QString& p) {
        struct stat st {};
        ::stat(QFile::encodeName(p).constData(), &st);
        return st;
    }

    test::TrashHome trash{dir_.path()};
};

// What the desktop's trash expects: the item below "files/" under its own
// name, and a record naming where it came from and when it went.
TEST_F(TrashTest, MovesAnItemWithARecordOfWhereItCameFrom) {
    const QString target = writeFile("elsewhere/target.txt", "target");
    writeFile("work/tree/sub/x.txt", "x");
    QFile::link(target, path("work/link.txt"));
    const QRegularExpression record(
        "^\\[Trash Info\\]\nPath=([^\n]+)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$");
    // A file with a space and Cyrillic, a folder with its files, a link (not what it points to).
    for (const QString& item : {writeFile("work/мой файл.txt.000", "copy"), path("work/tree"), path("work/link.txt")}) {
        SCOPED_TRACE(item.toStdString());
        const QString name = QFileInfo(item).fileName();
        TrashedItem moved;
        QString reason;
        ASSERT_TRUE(moveToTrash(item, &moved, &reason)) << reason.toStdString();
        EXPECT_FALSE(present(item));
        EXPECT_EQ(moved.inTrash, trash.trashFolder() + "/" + name);
        EXPECT_TRUE(present(moved.inTrash));
        EXPECT_EQ(moved.info, trash.infoFolder() + "/" + name + ".trashinfo");
        const QRegularExpressionMatch m = record.match(QString::fromUtf8(readFile(moved.info).c_str()));
        ASSERT_TRUE(m.hasMatch()) << readFile(moved.info);
        EXPECT_FALSE(m.captured(1).contains(' '));
        EXPECT_EQ(QUrl::fromPercentEncoding(m.captured(1).toLatin1()), item);
    }
    EXPECT_EQ(readFile(target), "target");
    EXPECT_TRUE(QFileInfo(trash.trashFolder() + "/link.txt").isSymLink());
    EXPECT_EQ(readFile(trash.trashFolder() + "/tree/sub/x.txt"), "x");
}

// The record is written under the name that claimed it: nothing else is ever
// made in the record folder, so a kill leaves no temporary there.
TEST_F(TrashTest, TheRecordIsWrittenUnderTheNameThatClaimedIt) {
    QDir().mkpath(trash.infoFolder());
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const QByteArray info = QFile::encodeName(trash.infoFolder());
    ASSERT_GE(::inotify_add_watch(watch, info.constData(), IN_CREATE | IN_MOVED_TO), 0);
    ASSERT_TRUE(moveToTrash(writeFile("work/r.txt", "r")));
    alignas(inotify_event) char events[4096];
    const ssize_t n = ::read(watch, events, sizeof events);
    ::close(watch);
    const auto* first = reinterpret_cast<const inotify_event*>(events);
    ASSERT_GT(n, ssize_t(sizeof(inotify_event)));
    EXPECT_EQ(n, ssize_t(sizeof(inotify_event) + first->len)) << "more than the record was made";
    EXPECT_STREQ(first->name, "r.txt.trashinfo");
}

// The trash, its two folders and every folder holding it stay, by any path:
// the record folder in "files/" would leave every trashed item without its record.
TEST_F(TrashTest, TheTrashAndTheFoldersHoldingItStay) {
    QFile::link(path("user/data"), path("linked"));
    TrashedItem kept;
    ASSERT_TRUE(moveToTrash(writeFile("work/kept.txt", "kept"), &kept));
    for (const QString& item : {trash.infoFolder(), trash.trashFolder(), path("user/data/Trash"), path("user/data"),
                                path("user"), path("linked/Trash/info")}) {
        SCOPED_TRACE(item.toStdString());
        QString reason;
        EXPECT_FALSE(moveToTrash(item, nullptr, &reason));
        EXPECT_TRUE(reason.contains("part of the trash")) << reason.toStdString();
        EXPECT_EQ(filesIn(trash.infoFolder()), QStringList({"kept.txt.trashinfo"}));
        EXPECT_EQ(readFile(kept.inTrash), "kept");
    }
}

// No data folder at all: the trash is made below the user's home, for the user only.
TEST_F(TrashTest, MakesAMissingTrashForItsOwnerOnly) {
    const QString home = path("bare");
    QDir().mkpath(home);
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(home));
    EXPECT_EQ(trashFolder(), home + "/.local/share/Trash");
    EXPECT_TRUE(moveToTrash(writeFile("work/f.txt", "f")));
    EXPECT_EQ(readFile(home + "/.local/share/Trash/files/f.txt"), "f");
    for (const char* folder : {"/.local", "/.local/share", "/.local/share/Trash", "/.local/share/Trash/files",
                               "/.local/share/Trash/info"}) {
        EXPECT_EQ(status(home + folder).st_mode & 07777, 0700u) << folder;
    }
}

TEST_F(TrashTest, SameNamesTakeTheNextFreeNumber) {
    // An item left in the trash without its record holds its name all the same.
    writeFile("user/data/Trash/files/x.txt.3", "stray");
    QStringList names;
    for (int n = 0; n < 4; ++n) {
        TrashedItem moved;
        ASSERT_TRUE(moveToTrash(writeFile(QStringLiteral("work%1/x.txt").arg(n), std::to_string(n)), &moved));
        names << QFileInfo(moved.inTrash).fileName();
        EXPECT_EQ(readFile(moved.inTrash), std::to_string(n));
    }
    EXPECT_EQ(names, QStringList({"x.txt", "x.txt.2", "x.txt.4", "x.txt.5"}));
    EXPECT_EQ(readFile(trash.trashFolder() + "/x.txt.3"), "stray");
    EXPECT_EQ(records(), QStringList({"x.txt.2.trashinfo", "x.txt.4.trashinfo", "x.txt.5.trashinfo",
                                      "x.txt.trashinfo"}));
}

// Every refusal ends at once (a child process that does not end within
// seconds fails), leaves the item in place and no record behind, and says why.
TEST_F(TrashTest, RefusalsEndAtOnceAndLeaveEverythingAsItWas) {
    QTemporaryDir otherDevice(QStringLiteral("/dev/shm/bw-trash-XXXXXX"));
    const bool haveOtherDevice = otherDevice.isValid() && status(dir_.path()).st_dev != status(otherDevice.path()).st_dev;
    const QString item = path("work/a.txt");
    struct Case {
        const char* name;
        QString item;
        std::function<bool()> setUp; // in the child; false when it could not be done
        const char* reasonHolds;
    };
    const Case cases[] = {
        {"a missing item", path("work/missing"), [] { return true; }, "missing"},
        // A folder of the trash that refuses is named itself, not the item.
        {"a read-only record folder", item, [&] { trash.lockInfo(); return test::dropPrivileges(); }, "Trash/info: "},
        {"a read-only item folder", item,
         [&] {
             QDir().mkpath(trash.infoFolder());
             QDir().mkpath(trash.trashFolder());
             return ::chmod(QFile::encodeName(trash.trashFolder()), 0500) == 0 && test::dropPrivileges();
         },
         "Trash/files: "},
        {"a file where the trash folder belongs", item, [&] { trash.block(); return true; }, "Trash"},
        {"every name taken", item,
         [&] {
             for (int n = 1; n <= 100; ++n)
                 writeFile(QStringLiteral("user/data/Trash/info/a.txt%1.trashinfo").arg(n == 1 ? QString() : "." + QString::number(n)), "");
             return true;
         },
         "a.txt"},
        {"a record cut short", item,
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{10, RLIM_INFINITY};
             return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
         },
         ".trashinfo"},
        {"an item on another file system", otherDevice.path() + "/a.txt", [] { return true; }, "a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.item.startsWith("/dev/shm/") && !haveOtherDevice)
            continue;
        // The children share the file system: each starts from an empty trash.
        QFile::remove(path("user/data/Trash"));
        QDir(path("user/data/Trash")).removeRecursively();
        QDir(path("work")).removeRecursively();
        if (!c.item.endsWith("missing"))
            writeFile(c.item, "item");
        EXPECT_EXIT(
            {
                ::alarm(5);
                const bool ready = c.setUp();
                const std::string was = readFile(c.item);
                const qsizetype before = records().size();
                const qsizetype entries = filesIn(trash.infoFolder()).size();
                QString reason;
                TrashedItem moved;
                const bool refused = !moveToTrash(c.item, &moved, &reason);
                std::fprintf(stderr, "%s\n", reason.toUtf8().constData());
                std::_Exit(test::firstFailed({ready, refused, readFile(c.item) == was, records().size() == before,
                                              filesIn(trash.infoFolder()).size() == entries,
                                              reason.contains(QString::fromUtf8(c.reasonHolds)),
                                              moved.inTrash.isEmpty()}));
            },
            ::testing::ExitedWithCode(0), "");
    }
}

TEST_F(TrashTest, ATrashedItemComesBackWhileItsPlaceIsFree) {
    const QString file = writeFile("work/back.txt", "back");
    TrashedItem moved;
    ASSERT_TRUE(moveToTrash(file, &moved));
    writeFile("work/back.txt", "new");
    EXPECT_FALSE(takeBackFromTrash(moved));
    EXPECT_EQ(readFile(file), "new");
    EXPECT_TRUE(present(moved.info));

    QFile::remove(file);
    EXPECT_TRUE(takeBackFromTrash(moved));
    EXPECT_EQ(readFile(file), "back");
    EXPECT_FALSE(present(moved.inTrash));
    EXPECT_FALSE(present(moved.info));
}

} // namespace
