#include "platform/appdirs.h"
#include "platform/diskpath.h"
#include "platform/inifile.h"
#include "platform/openfile.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>

using namespace bw;

class OpenFileTest : public test::TempDirTest {};

TEST_F(OpenFileTest, ReadsRegularFilesAndLinksToThemAndRefusesEverythingElseAtOnce) {
    const QString file = writeFile("real.txt", "content");
    ASSERT_TRUE(QFile::link(file, path("link.txt")));
    ASSERT_TRUE(QFile::link(path("gone"), path("dangling")));
    writeFile("sub/x", "");
    for (const test::Special kind : test::kSpecials)
        ASSERT_TRUE(test::makeSpecial(kind, path(test::specialName(kind))));
    ASSERT_TRUE(QFile::link(path("named pipe"), path("pipe-link")));

    const struct Case {
        QString path;
        OpenFailure failure;
    } cases[] = {
        {file, OpenFailure::None},
        {path("link.txt"), OpenFailure::None},
        {path("missing"), OpenFailure::Missing},
        {path("dangling"), OpenFailure::Missing},
        {path("real.txt/below"), OpenFailure::Missing},
        {QString(), OpenFailure::Missing},
        {path("sub"), OpenFailure::NotAFile},
        {path("named pipe"), OpenFailure::NotAFile},
        {path("pipe-link"), OpenFailure::NotAFile},
        {path("socket"), OpenFailure::NotAFile},
        {path("device"), OpenFailure::NotAFile},
        {QStringLiteral("/dev/zero"), OpenFailure::NotAFile},
        {path("link loop"), OpenFailure::NotAFile},
    };
    for (const Case& c : cases) {
        const std::string what = c.path.toStdString();
        const char* read = c.failure == OpenFailure::None ? "content" : "nothing";
        test::PipeWatch watch(path("named pipe"));
        OpenFailure why = OpenFailure::Unreadable, whyOpen = OpenFailure::Unreadable;
        const std::optional<QByteArray> bytes = readWholeFile(c.path, &why);
        QFile f;
        EXPECT_EQ(openForReading(f, c.path, &whyOpen), c.failure == OpenFailure::None) << what;
        EXPECT_FALSE(watch.blocked()) << what;
        EXPECT_EQ(int(why), int(c.failure)) << what;
        EXPECT_EQ(int(whyOpen), int(c.failure)) << what;
        EXPECT_EQ(bytes.value_or("nothing").toStdString(), read) << what;
        EXPECT_EQ(f.isOpen() ? f.readAll().toStdString() : "nothing", read) << what;
    }
}

// The descriptor handed out waits like any other (reads of a slow disk are
// whole) and does not outlive an exec.
TEST_F(OpenFileTest, TheDescriptorIsAnOrdinaryBlockingOneClosedOnExec) {
    const int fd = openRegularFile(writeFile("a.txt", "abc"));
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
}

// A settings file is read whole when opened: anything but a regular file in
// its place reads at once as a missing one, an empty file.
TEST_F(OpenFileTest, SettingsFilesThatAreNoFilesReadAsEmptyAtOnce) {
    const QString file = path("Brindlewick.ini");
    test::readEachSpecial(prompt, {
        {"settings file", file, [&] { return IniFile(file).sections().isEmpty(); }},
        {"one setting", file, [&] { return readIniString(file, "FOptions", "Value", "default") == "default"; }},
    });
}

// diskPath joins a relative path to its folder (the current one when none) as text.
TEST_F(OpenFileTest, RelativePathsGoBelowTheFolderAsText) {
    const struct Case {
        QString path, folder, expected;
    } cases[] = {
        {"/a/b.txt", "/x", "/a/b.txt"},
        {"", "/x", ""},
        {":a.txt", "/x", "/x/:a.txt"},
        {":a.txt", "/x/", "/x/:a.txt"},
        {"a/./b/", "/x", "/x/a/./b/"},
        {":a.txt", "", QDir::currentPath() + "/:a.txt"},
        {":a.txt", ":y", QDir::currentPath() + "/:y/:a.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(diskPath(c.path, c.folder), c.expected) << c.path.toStdString() << " in " << c.folder.toStdString();
    // Without a folder: the current one, for a relative path only.
    EXPECT_EQ(diskPath(""), "");
    EXPECT_EQ(diskPath("/a/b.txt"), "/a/b.txt");
    EXPECT_EQ(diskPath("a/b.txt"), QDir::currentPath() + "/a/b.txt");
}

// Names starting with ':' (which Qt's file classes take for resources) are
// found below the current folder: by Qt through diskPath, by the reader, and
// as the program's home.
TEST_F(OpenFileTest, ColonNamesAreFoundBelowTheCurrentFolder) {
    writeFile(":a.txt", "from disk");
    qputenv("BRINDLEWICK_HOME", ":home");
    test::CurrentFolder here(path(""));
    EXPECT_TRUE(QFileInfo(diskPath(":a.txt")).isFile());
    EXPECT_EQ(readWholeFile(":a.txt").value_or("unread").toStdString(), "from disk");
    EXPECT_EQ(homeDir(), path(":home") + "/");
    EXPECT_TRUE(QFileInfo(path(":home")).isDir());
}
