#include "platform/fs.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <new>
#include <optional>
#include <sys/stat.h>

using namespace bw;

namespace {

QStringList namesOf(const std::vector<FileEntry>& entries) {
    QStringList out;
    for (const FileEntry& e : entries)
        out << e.name;
    return out;
}

// The bits stored with the file, without Qt's view of what the current user (root) may do.
QFileDevice::Permissions stored(const QString& file) {
    return QFileInfo(file).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// The permission bits of what path leads to; 0 when there is nothing.
mode_t modeAt(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(Wildcard, MatchesWholeNames) {
    struct Case {
        const char* name;
        const char* pattern;
        bool expected;
    } cases[] = {
        {"index.html", "*.htm", false}, {"index.HTML", "*.html", false}, {"noext", "*.*", true},
        {"ac", "a?c", false},           {"aXbYbZc", "a*b*c", true},      {"[a]", "[a]", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesWildcard(c.name, c.pattern), c.expected) << c.name << " / " << c.pattern;
    EXPECT_TRUE(matchesWildcard("index.HTML", "*.html", Qt::CaseInsensitive));
}

class FsTest : public test::TempDirTest {};

TEST_F(FsTest, ListingGivesSizesAttributesAndTimesAndHonoursTheMask) {
    writeFile("b.txt", "12345");
    writeFile("a.TXT", "");
    writeFile(".hidden", "h");
    writeFile("sub/inner.txt", "x");
    QFile::setPermissions(writeFile("ro.txt", "r"), QFileDevice::ReadOwner);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0644), 0);
    QFile::link(path("gone"), path("dangling"));
    QFile::link(path("sub"), path("sublink"));
    QFile big(path("big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(5'000'000'000LL)); // sparse, beyond 32 bits
    big.close();
    const QDateTime stamp = setModified(path("b.txt"), "2021-03-04T05:06:07");

    const auto all = listFolder(dir_.path(), "*", faAnyFile);
    ASSERT_EQ(namesOf(all), QStringList({".hidden", "a.TXT", "b.txt", "big.bin", "pipe", "ro.txt", "sub", "sublink"}));
    EXPECT_EQ(all[0].attributes, unsigned(faArchive | faHidden));
    EXPECT_EQ(all[2].size, 5);
    EXPECT_EQ(all[2].modified, stamp);
    EXPECT_EQ(all[3].size, 5'000'000'000LL);
    EXPECT_EQ(all[4].attributes & faSystem, unsigned(faSystem));
    EXPECT_EQ(all[5].attributes, unsigned(faArchive | faReadOnly));
    EXPECT_EQ(all[7].attributes, unsigned(faDirectory | faSymLink));

    // Plain files only, the way a folder scan asks for them; then folders.
    EXPECT_EQ(namesOf(listFolder(dir_.path(), "*.*", faReadOnly | faArchive)),
              QStringList({"a.TXT", "b.txt", "big.bin", "ro.txt"}));
    EXPECT_EQ(namesOf(listFolder(dir_.path(), "s*", faDirectory)), QStringList({"sub", "sublink"}));

    EXPECT_TRUE(listFolder(path("missing")).empty());
    EXPECT_FALSE(fileExists(path("sublink")));
    EXPECT_TRUE(directoryExists(path("sublink")));
    EXPECT_FALSE(fileEntry(path("dangling")));
}

TEST_F(FsTest, ClearingReadOnlyAddsOwnerWriteOnly) {
    const QString file = writeFile("f.txt", "abc");
    // Others may run it, the owner may not: clearing must not give the owner more than write.
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ExeOther));
    EXPECT_TRUE(isReadOnly(file));
    EXPECT_TRUE(clearReadOnly(file));
    EXPECT_EQ(stored(file),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ExeOther);
    EXPECT_FALSE(clearReadOnly(path("missing")));
}

TEST_F(FsTest, CopyReplacesOnlyWhenAskedAndKeepsPermissionsAndTime) {
    const std::string bytes("new\0bytes", 9);
    const QString src = writeFile("src.txt", bytes);
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeGroup;
    QFile::setPermissions(src, perms);
    const QDateTime stamp = setModified(src, "2020-01-02T03:04:05");
    const QString dst = writeFile("dst.txt", "old");
    QFile::setPermissions(dst, QFileDevice::ReadOwner);

    EXPECT_FALSE(copyFile(src, dst, false));
    EXPECT_EQ(readFile(dst), "old");
    EXPECT_TRUE(copyFile(src, dst, true)); // read-only target replaced
    EXPECT_EQ(readFile(dst), bytes);
    EXPECT_EQ(stored(dst), perms);
    EXPECT_EQ(QFileInfo(dst).lastModified(), stamp);

    EXPECT_FALSE(copyFile(src, src, true));
    EXPECT_EQ(readFile(src), bytes);
    EXPECT_FALSE(copyFile(path("missing"), path("x"), true));
    EXPECT_FALSE(copyFile(src, path("src.txt/below"), true)); // a file where a folder should be
    EXPECT_EQ(filesIn(dir_.path()), QStringList({"dst.txt", "src.txt"})); // no temporary files left
}

// A source that is no regular file is refused at once; the target stays.
TEST_F(FsTest, CopyRefusesASourceThatIsNoFileAtOnce) {
    writeFile("dst.txt", "kept");
    for (const test::Special kind : test::kSpecials) {
        ASSERT_TRUE(test::makeSpecial(kind, path("src"))) << test::specialName(kind);
        test::PipeWatch watch(path("src"));
        EXPECT_FALSE(copyFile(path("src"), path("dst.txt"), true)) << test::specialName(kind);
        EXPECT_FALSE(watch.blocked()) << test::specialName(kind);
        EXPECT_EQ(readFile(path("dst.txt")), "kept") << test::specialName(kind);
    }
}

// A save never puts a regular file in place of a pipe or socket, named
// directly or through a link (as root it would replace a device the same way).
TEST_F(FsTest, ReplaceFileReplacesOnlyRegularFiles) {
    for (const test::Special kind : {test::Special::Pipe, test::Special::Socket}) {
        ASSERT_TRUE(test::makeSpecial(kind, path("special"))) << test::specialName(kind);
        ASSERT_EQ(::symlink("special", QFile::encodeName(path("link")).constData()), 0);
        for (const char* name : {"special", "link"}) {
            EXPECT_FALSE(replaceFile(path(name), QByteArrayView("text"))) << test::specialName(kind) << " " << name;
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(path("special")).constData(), &st), 0);
            EXPECT_FALSE(S_ISREG(st.st_mode)) << test::specialName(kind) << " " << name;
        }
        ::unlink(QFile::encodeName(path("link")).constData());
    }
}

TEST_F(FsTest, RenameNeverReplacesAndDeleteLeavesFolders) {
    const QString a = writeFile("a.txt", "A");
    const QString b = writeFile("b.txt", "B");
    EXPECT_FALSE(renamePath(a, b));
    EXPECT_EQ(readFile(b), "B");
    EXPECT_TRUE(renamePath(a, path("c.txt")));
    EXPECT_EQ(readFile(path("c.txt")), "A");
    EXPECT_TRUE(forceDirectories(path("d/x/y")));
    EXPECT_FALSE(forceDirectories(path("b.txt/sub")));
    EXPECT_FALSE(deleteFile(path("d")));
    EXPECT_TRUE(deleteFile(b));
}

// Absolute links, permissions and bad paths are covered through SaveStringToFile.
TEST_F(FsTest, ReplaceFileFollowsRelativeLinksAndLeavesNothingOnFailure) {
    const QString target = writeFile("real/target.txt", "old");
    ASSERT_TRUE(QFile::link("real/target.txt", path("link.txt")));
    EXPECT_TRUE(replaceFile(path("link.txt"), [](FileWriter& out) { return out.write("new", 3); }));
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(readFile(target), "new");

    EXPECT_FALSE(replaceFile(target, [](FileWriter& out) { return out.write("partial", 7) && false; }));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(filesIn(path("real")), QStringList({"target.txt"}));
}

// A save killed half-way leaves ".name.<hex>.tmp" beside the file; the next
// save of that file clears those away, and only those.
TEST_F(FsTest, NextSaveRemovesItsFilesTemporariesOfKilledSaves) {
    const QString file = writeFile("doc.txt", "old");
    const struct {
        const char* name;
        const char* modified;
        bool removed;
    } others[] = {
        {".doc.txt.1f2e3d4c.tmp", "2001-01-01T00:00:00", true},
        {".doc.txt.99999999.tmp", "2001-01-01T00:00:00", true},
        {".doc.txt.999999999.tmp", "2001-01-01T00:00:00", false}, // longer than a save's number
        {".doc.txt.xyz.tmp", "2001-01-01T00:00:00", false},       // not a number
        {".doc.txt.ABC.tmp", "2001-01-01T00:00:00", false},       // saves write small digits
        {".doc.txt.old.12.tmp", "2001-01-01T00:00:00", false},    // another file's ("doc.txt.old")
        {".other.txt.12.tmp", "2001-01-01T00:00:00", false},
        {"doc.txt.12.tmp", "2001-01-01T00:00:00", false},
        {".doc.txt.abc.tmp", "2099-01-01T00:00:00", false}, // newer than this save's own
    };
    for (const auto& o : others)
        setModified(writeFile(o.name, "left"), o.modified);
    QDir().mkpath(path(".doc.txt.12.tmp/inner")); // a folder of that name is not touched

    ASSERT_TRUE(replaceFile(file, [](FileWriter& out) { return out.write("new", 3); }));
    EXPECT_EQ(readFile(file), "new");
    for (const auto& o : others)
        EXPECT_EQ(exists(path(o.name)), !o.removed) << o.name;
    EXPECT_TRUE(exists(path(".doc.txt.12.tmp/inner")));
}

// Whatever way a save ends, its own temporary file is gone.
TEST_F(FsTest, NoSaveLeavesItsTemporaryFileBehind) {
    const QString file = writeFile("keep/doc.txt", "old");
    const std::function<bool(FileWriter&)> writers[] = {
        [](FileWriter& out) { return out.write("new", 3); },
        [](FileWriter& out) { return out.write("partial", 7) && false; },
        [](FileWriter& out) -> bool {
            out.write("partial", 7);
            throw std::bad_alloc();
        },
    };
    for (const auto& write : writers) {
        try {
            replaceFile(file, write);
        } catch (const std::bad_alloc&) {
        }
        EXPECT_EQ(filesIn(path("keep")), QStringList({"doc.txt"}));
    }
    EXPECT_EQ(readFile(file), "new");
}

// A file saved back where it was read is looked at once more after everything
// but the rename: a link or another file that took its place by then, or its
// going away, fails the save and nothing is written there or anywhere else.
TEST_F(FsTest, ReplaceFileSavedBackWhereReadChecksAfterEverythingButTheRename) {
    const auto renameOver = [](const QString& from, const QString& to) {
        ASSERT_EQ(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
    };
    const struct {
        const char* what;
        std::function<void(const QString& file)> meanwhile; // none: the save goes through
    } cases[] = {
        {"nothing", nullptr},
        {"removed", [](const QString& file) { QFile::remove(file); }},
        {"link renamed over it",
         [&](const QString& file) {
             ASSERT_TRUE(QFile::link(path("outside.txt"), path("t/swap")));
             renameOver(path("t/swap"), file);
         }},
        {"another file renamed over it", [&](const QString& file) { renameOver(writeFile("t/other", "other"), file); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path("t")).removeRecursively();
        const QString file = writeFile("t/f.txt", "old");
        const QString outside = writeFile("outside.txt", "outside");
        struct stat read {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &read), 0);
        ReplaceOptions options;
        options.beforeReplace = [&] {
            if (c.meanwhile)
                c.meanwhile(file);
        };
        options.unchangedSinceRead = [&read](const struct stat& now) {
            return now.st_dev == read.st_dev && now.st_ino == read.st_ino;
        };
        const bool saves = !c.meanwhile;
        ReplaceFailure failure = ReplaceFailure::Other;
        EXPECT_EQ(replaceFile(file, QByteArray("new"), options, &failure), saves);
        EXPECT_EQ(failure, saves ? ReplaceFailure::None : ReplaceFailure::Changed);
        EXPECT_EQ(readFile(outside), "outside");
        if (saves) {
            EXPECT_EQ(readFile(file), "new");
        }
        EXPECT_EQ(exists(file), std::string(c.what) != "removed");
        EXPECT_TRUE(filesIn(path("t")).filter(".tmp").isEmpty());
    }
}

// A temporary is owner-only from its creation until the text is in it: only
// then does it take the mode the file keeps.
TEST_F(FsTest, TemporaryIsOwnerOnlyWhileWrittenAndTheFileGetsItsMode) {
    const mode_t mask = ::umask(022);
    const struct {
        const char* what;
        std::optional<mode_t> existing; // none: a new file
        std::optional<QFileDevice::Permissions> permissions;
        mode_t final;
    } cases[] = {
        {"owner-only file", 0600, {}, 0600},
        {"file others may read", 0644, {}, 0644},
        {"new owner-only file", {}, QFileDevice::ReadOwner | QFileDevice::WriteOwner, 0600},
        {"new file", {}, {}, 0644},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path("m")).removeRecursively();
        QDir().mkpath(path("m"));
        const QString file = path("m/f.txt");
        if (c.existing) {
            writeFile("m/f.txt", "old");
            ::chmod(QFile::encodeName(file).constData(), *c.existing);
        }
        ReplaceOptions options;
        options.permissions = c.permissions;
        mode_t whileWritten = 0;
        const auto write = [&](FileWriter& out) {
            for (const QString& name : filesIn(path("m")).filter(".tmp"))
                whileWritten |= modeAt(path("m/" + name));
            return out.write("new", 3);
        };
        ASSERT_TRUE(replaceFile(file, write, options));
        EXPECT_EQ(whileWritten, mode_t(0600));
        EXPECT_EQ(modeAt(file), c.final);
    }
    ::umask(mask);
}

// An append looks at what the path is before it changes anything: something
// that is not a regular file keeps its mode and is not written.
TEST_F(FsTest, AppendLeavesWhatIsNoRegularFileAsItWas) {
    ASSERT_TRUE(test::makeSpecial(test::Special::Pipe, path("pipe")));
    ASSERT_TRUE(test::makeSpecial(test::Special::Socket, path("socket")));
    QDir().mkpath(path("folder"));
    ASSERT_TRUE(QFile::link(path("pipe"), path("link to pipe")));
    for (const char* name : {"pipe", "socket", "folder", "link to pipe"}) {
        SCOPED_TRACE(name);
        ::chmod(QFile::encodeName(path(name)).constData(), 0444);
        EXPECT_FALSE(appendToFile(path(name), "x"));
        EXPECT_EQ(modeAt(path(name)), mode_t(0444));
    }
}
