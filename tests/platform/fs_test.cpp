#include "platform/fs.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using namespace bw;

namespace {

QStringList namesOf(const std::vector<FileEntry>& entries) {
    QStringList out;
    for (const FileEntry& e : entries)
        out << e.name;
    return out;
}

const FileEntry* find(const std::vector<FileEntry>& entries, const QString& name) {
    for (const FileEntry& e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

// The bits stored with the file, without Qt's view of what the current user may do.
QFileDevice::Permissions stored(const QString& file) {
    return QFileInfo(file).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

} // namespace

TEST(Wildcard, MatchesWholeNames) {
    struct Case {
        const char* name;
        const char* pattern;
        bool caseless;
        bool expected;
    } cases[] = {
        {"index.html", "*.html", false, true},
        {"index.html", "*.htm", false, false},
        {"index.HTML", "*.html", false, false},
        {"index.HTML", "*.html", true, true},
        {"noext", "*.*", false, true},
        {"a.b.c", "*.c", false, true},
        {"abc", "a?c", false, true},
        {"ac", "a?c", false, false},
        {"abc", "a*b*c", false, true},
        {"aXbYbZc", "a*b*c", false, true},
        {"ab", "a*b*c", false, false},
        {"file.txt.007", "file.txt.???", false, true},
        {"file.txt.0071", "file.txt.???", false, false},
        {"", "*", false, true},
        {"", "?", false, false},
        {"[a]", "[a]", false, true},
        {"x", "", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesWildcard(c.name, c.pattern, c.caseless ? Qt::CaseInsensitive : Qt::CaseSensitive),
                  c.expected)
            << c.name << " / " << c.pattern;
}

class FsTest : public test::TempDirTest {};

TEST_F(FsTest, ListingGivesSizesAttributesAndTimesAndHonoursTheMask) {
    writeFile("b.txt", "12345");
    writeFile("a.TXT", "");
    writeFile(".hidden", "h");
    writeFile("sub/inner.txt", "x");
    const QString ro = writeFile("ro.txt", "r");
    QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0644), 0);
    QFile::link(path("gone"), path("dangling"));
    QFile::link(path("b.txt"), path("link.txt"));
    QFile big(path("big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(5'000'000'000LL)); // sparse, beyond 32 bits
    big.close();
    const QDateTime stamp = QDateTime::fromString("2021-03-04T05:06:07", Qt::ISODate);
    {
        QFile f(path("b.txt"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    const auto all = listFolder(dir_.path(), "*", faAnyFile);
    EXPECT_EQ(namesOf(all), QStringList({".hidden", "a.TXT", "b.txt", "big.bin", "link.txt", "pipe", "ro.txt", "sub"}));
    const FileEntry* b = find(all, "b.txt");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->size, 5);
    EXPECT_EQ(b->attributes, unsigned(faArchive));
    EXPECT_EQ(b->modified, stamp);
    EXPECT_EQ(find(all, "big.bin")->size, 5'000'000'000LL);
    EXPECT_EQ(find(all, "ro.txt")->attributes, unsigned(faArchive | faReadOnly));
    EXPECT_EQ(find(all, ".hidden")->attributes, unsigned(faArchive | faHidden));
    EXPECT_EQ(find(all, "sub")->attributes, unsigned(faDirectory));
    EXPECT_EQ(find(all, "sub")->size, 0);
    EXPECT_EQ(find(all, "pipe")->attributes & faSystem, unsigned(faSystem));
    EXPECT_EQ(find(all, "link.txt")->attributes, unsigned(faArchive | faSymLink));
    EXPECT_EQ(find(all, "link.txt")->size, 5);

    // Plain files only, the way a folder scan asks for them.
    EXPECT_EQ(namesOf(listFolder(dir_.path(), "*.*", faReadOnly | faArchive)),
              QStringList({"a.TXT", "b.txt", "big.bin", "link.txt", "ro.txt"}));
    EXPECT_EQ(namesOf(listFolder(dir_.path(), "*.txt", faDirectory)), QStringList({"b.txt", "link.txt", "ro.txt"}));
    EXPECT_EQ(namesOf(listFolder(dir_.path(), "*.txt", 0, Qt::CaseInsensitive)),
              QStringList({"a.TXT", "b.txt", "link.txt", "ro.txt"}));
    EXPECT_EQ(namesOf(listFolder(dir_.path(), "*", faDirectory)).filter("sub"), QStringList({"sub"}));

    EXPECT_TRUE(listFolder(path("missing")).empty());
    EXPECT_TRUE(listFolder(path("b.txt")).empty());
    EXPECT_TRUE(listFolder(QString()).empty());
}

TEST_F(FsTest, ExistsTestsAndEntryOfOnePath) {
    const QString file = writeFile("f.txt", "abc");
    QDir().mkpath(path("d"));
    QFile::link(path("d"), path("dirlink"));
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(fileExists(path("d")));
    EXPECT_FALSE(fileExists(path("dirlink")));
    EXPECT_FALSE(fileExists(path("nothing")));
    EXPECT_FALSE(fileExists(QString()));
    EXPECT_TRUE(directoryExists(path("d")));
    EXPECT_TRUE(directoryExists(path("dirlink")));
    EXPECT_FALSE(directoryExists(file));
    EXPECT_FALSE(directoryExists(QString()));
    ASSERT_TRUE(fileEntry(file));
    EXPECT_EQ(fileEntry(file)->size, 3);
    EXPECT_EQ(fileEntry(path("dirlink"))->attributes, unsigned(faDirectory | faSymLink));
    EXPECT_FALSE(fileEntry(path("nothing")));
}

TEST_F(FsTest, ReadOnlyIsTheOwnerWriteBitAndClearingKeepsTheRest) {
    const QString file = writeFile("f.txt", "abc");
    // Others may run it, the owner may not: clearing must not give the owner more than write.
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ExeOther));
    EXPECT_TRUE(isReadOnly(file));
    EXPECT_TRUE(clearReadOnly(file));
    EXPECT_FALSE(isReadOnly(file));
    EXPECT_EQ(stored(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ExeOther);
    EXPECT_TRUE(clearReadOnly(file)); // already writable
    EXPECT_FALSE(isReadOnly(path("missing")));
    EXPECT_FALSE(clearReadOnly(path("missing")));
}

TEST_F(FsTest, CopyReplacesOnlyWhenAskedAndKeepsPermissionsAndTime) {
    const QString src = writeFile("src.txt", std::string("new\0bytes", 9));
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeGroup;
    QFile::setPermissions(src, perms);
    const QDateTime stamp = QDateTime::fromString("2020-01-02T03:04:05", Qt::ISODate);
    {
        QFile f(src);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    const QString dst = writeFile("dst.txt", "old");
    QFile::setPermissions(dst, QFileDevice::ReadOwner);

    EXPECT_FALSE(copyFile(src, dst, false));
    EXPECT_EQ(readFile(dst), "old");
    EXPECT_TRUE(copyFile(src, dst, true)); // read-only target replaced
    EXPECT_EQ(readFile(dst), std::string("new\0bytes", 9));
    EXPECT_EQ(stored(dst), perms);
    EXPECT_EQ(QFileInfo(dst).lastModified(), stamp);

    EXPECT_TRUE(copyFile(src, path("fresh.txt"), false));
    EXPECT_EQ(readFile(path("fresh.txt")), std::string("new\0bytes", 9));

    EXPECT_FALSE(copyFile(src, src, true));
    EXPECT_EQ(readFile(src), std::string("new\0bytes", 9));
    EXPECT_FALSE(copyFile(path("missing"), path("x"), true));
    EXPECT_FALSE(copyFile(src, path("src.txt/below"), true)); // a file where a folder should be
    EXPECT_FALSE(copyFile(src, path("no/such/folder/x"), true));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary files left
}

TEST_F(FsTest, RenameNeverReplacesAndDeleteSparesFolders) {
    const QString a = writeFile("a.txt", "A");
    const QString b = writeFile("b.txt", "B");
    EXPECT_FALSE(renamePath(a, b));
    EXPECT_EQ(readFile(b), "B");
    EXPECT_TRUE(renamePath(a, path("c.txt")));
    EXPECT_FALSE(exists(a));
    EXPECT_EQ(readFile(path("c.txt")), "A");
    writeFile("d1/inner.txt", "i");
    EXPECT_TRUE(renamePath(path("d1"), path("d2")));
    EXPECT_EQ(readFile(path("d2/inner.txt")), "i");
    EXPECT_FALSE(renamePath(path("missing"), path("m2")));

    EXPECT_FALSE(deleteFile(path("d2")));
    EXPECT_TRUE(directoryExists(path("d2")));
    EXPECT_TRUE(deleteFile(b));
    EXPECT_FALSE(exists(b));
    EXPECT_FALSE(deleteFile(b));
}

TEST_F(FsTest, ForceDirectoriesCreatesParentsAndFailsBelowAFile) {
    EXPECT_TRUE(forceDirectories(path("x/y/z")));
    EXPECT_TRUE(directoryExists(path("x/y/z")));
    EXPECT_TRUE(forceDirectories(path("x/y")));
    writeFile("plain", "p");
    EXPECT_FALSE(forceDirectories(path("plain/sub")));
    EXPECT_FALSE(forceDirectories(QString()));
}

TEST_F(FsTest, ReplaceFileFollowsLinksAndLeavesNothingOnFailure) {
    const QString target = writeFile("real/target.txt", "old");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(target, perms);
    ASSERT_TRUE(QFile::link("real/target.txt", path("link.txt"))); // relative link
    auto writer = [](const QByteArray& bytes) {
        return [bytes](QFileDevice& out) { return out.write(bytes) == bytes.size(); };
    };

    EXPECT_TRUE(replaceFile(path("link.txt"), writer("new")));
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(stored(target), perms);

    EXPECT_FALSE(replaceFile(target, [](QFileDevice& out) { return out.write("partial") > 0 && false; }));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(QDir(path("real")).entryList(QDir::Files | QDir::Hidden), QStringList({"target.txt"}));

    EXPECT_FALSE(replaceFile(path("real"), writer("x"))); // a folder
    EXPECT_FALSE(replaceFile(path("nowhere/x.txt"), writer("x")));
    EXPECT_FALSE(exists(path("nowhere")));
}
