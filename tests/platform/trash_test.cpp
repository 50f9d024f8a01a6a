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
    QString info(const QString& name) const { return trash.infoFolder() + "/" + name + ".trashinfo"; }
    QStringList records() const { return QDir(trash.infoFolder()).entryList({"*.trashinfo"}, QDir::Files | QDir::Hidden); }
    static bool present(const QString& p) { return QFileInfo::exists(p) || QFileInfo(p).isSymLink(); }
    static int mode(const QString& p) {
        struct stat st {};
        return ::stat(QFile::encodeName(p).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    }

    test::TrashHome trash{dir_.path()};
};

// What the desktop's trash expects: the item below "files/" under its own
// name, and a record naming where it came from and when it went.
TEST_F(TrashTest, MovesAnItemWithARecordOfWhereItCameFrom) {
    const QString target = writeFile("elsewhere/target.txt", "target");
    struct Case {
        const char* name;
        std::function<QString()> make;
        bool folder;
    };
    const Case cases[] = {
        {"a file with a space and Cyrillic", [&] { return writeFile("work/мой файл.txt.000", "copy"); }, false},
        {"a folder with its files", [&] { writeFile("work/tree/sub/x.txt", "x"); return path("work/tree"); }, true},
        {"a link, not what it points to",
         [&] {
             QFile::link(target, path("work/link.txt"));
             return path("work/link.txt");
         },
         false},
    };
    const QRegularExpression record(
        "^\\[Trash Info\\]\nPath=([^\n]+)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString item = c.make();
        const QString name = QFileInfo(item).fileName();
        TrashedItem moved;
        QString reason;
        ASSERT_TRUE(moveToTrash(item, &moved, &reason)) << reason.toStdString();
        EXPECT_FALSE(present(item));
        EXPECT_EQ(moved.original, item);
        EXPECT_EQ(moved.inTrash, trash.trashFolder() + "/" + name);
        EXPECT_EQ(moved.info, info(name));
        EXPECT_TRUE(present(moved.inTrash));
        EXPECT_EQ(QFileInfo(moved.inTrash).isDir(), c.folder);
        const QRegularExpressionMatch m = record.match(QString::fromUtf8(readFile(moved.info).c_str()));
        ASSERT_TRUE(m.hasMatch()) << readFile(moved.info);
        EXPECT_FALSE(m.captured(1).contains(' '));
        EXPECT_EQ(QUrl::fromPercentEncoding(m.captured(1).toLatin1()), item);
    }
    EXPECT_EQ(readFile(target), "target");
    EXPECT_EQ(readFile(trash.trashFolder() + "/tree/sub/x.txt"), "x");
}

// No data folder at all: the trash is made below the user's home, for the user only.
TEST_F(TrashTest, MakesAMissingTrashForItsOwnerOnly) {
    const QString home = path("bare");
    QDir().mkpath(home);
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(home));
    const QString file = writeFile("work/f.txt", "f");
    EXPECT_EQ(trashFolder(), home + "/.local/share/Trash");
    EXPECT_TRUE(moveToTrash(file));
    qputenv("XDG_DATA_HOME", data);
    EXPECT_EQ(readFile(home + "/.local/share/Trash/files/f.txt"), "f");
    for (const char* folder : {"/.local", "/.local/share", "/.local/share/Trash", "/.local/share/Trash/files",
                               "/.local/share/Trash/info"}) {
        EXPECT_EQ(mode(home + folder), 0700) << folder;
    }
}

TEST_F(TrashTest, SameNamesTakeTheNextFreeNumber) {
    // An item left in the trash without its record holds its name all the same.
    writeFile("user/data/Trash/files/x.txt.3", "stray");
    QStringList names;
    for (int n = 0; n < 4; ++n) {
        const QString file = writeFile(QStringLiteral("work%1/x.txt").arg(n), std::to_string(n));
        TrashedItem moved;
        ASSERT_TRUE(moveToTrash(file, &moved));
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
    struct stat here {}, there {};
    const bool haveOtherDevice = otherDevice.isValid() &&
                                 ::stat(QFile::encodeName(dir_.path()).constData(), &here) == 0 &&
                                 ::stat(QFile::encodeName(otherDevice.path()).constData(), &there) == 0 &&
                                 here.st_dev != there.st_dev;
    struct Case {
        const char* name;
        std::function<QString()> setUp; // in the child; returns the item to trash
        const char* reasonHolds;
    };
    const Case cases[] = {
        {"a read-only record folder",
         [&] {
             trash.lockInfo();
             return test::dropPrivileges() ? writeFile("work/a.txt", "item") : QString();
         },
         "info"},
        {"a file where the trash folder belongs",
         [&] {
             trash.block();
             return writeFile("work/a.txt", "item");
         },
         "Trash"},
        {"every name taken",
         [&] {
             QDir().mkpath(trash.infoFolder());
             for (int n = 1; n <= 100; ++n)
                 writeFile(QStringLiteral("user/data/Trash/info/a.txt%1.trashinfo").arg(n == 1 ? QString() : "." + QString::number(n)), "");
             return writeFile("work/a.txt", "item");
         },
         "a.txt"},
        {"a record cut short",
         [&] {
             const QString item = writeFile("work/a.txt", "item");
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{10, RLIM_INFINITY};
             ::setrlimit(RLIMIT_FSIZE, &limit);
             return item;
         },
         ".trashinfo"},
        {"an item on another file system",
         [&] {
             QFile f(otherDevice.path() + "/a.txt");
             f.open(QIODevice::WriteOnly);
             f.write("item");
             return f.fileName();
         },
         "a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "an item on another file system" && !haveOtherDevice)
            continue;
        // The children share the file system: each starts from an empty trash.
        QFile::remove(path("user/data/Trash"));
        QDir(path("user/data/Trash")).removeRecursively();
        QDir(path("work")).removeRecursively();
        EXPECT_EXIT(
            {
                ::alarm(5);
                const QString item = c.setUp();
                const int before = int(records().size());
                QString reason;
                TrashedItem moved;
                int code = 0;
                if (item.isEmpty())
                    code = 2;
                else if (moveToTrash(item, &moved, &reason))
                    code = 3;
                else if (readFile(item) != "item")
                    code = 4;
                else if (int(records().size()) != before)
                    code = 5;
                else if (!reason.contains(QString::fromUtf8(c.reasonHolds)) || !moved.inTrash.isEmpty())
                    code = 6;
                std::fprintf(stderr, "%s\n", reason.toUtf8().constData());
                std::_Exit(code);
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

    QString reason;
    EXPECT_FALSE(moveToTrash(path("work/missing"), nullptr, &reason));
    EXPECT_TRUE(reason.contains("missing"));
}

} // namespace
