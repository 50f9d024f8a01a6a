#include "platform/inifile.h"
#include "platform/openfile.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>

using namespace bw;

namespace {

const char* failureName(OpenFailure f) {
    switch (f) {
    case OpenFailure::None:
        return "none";
    case OpenFailure::Missing:
        return "missing";
    case OpenFailure::NotAFile:
        return "not a file";
    case OpenFailure::Unreadable:
        return "unreadable";
    }
    return "?";
}

} // namespace

class OpenFileTest : public test::TempDirTest {};

TEST_F(OpenFileTest, ReadsRegularFilesAndLinksToThemAndRefusesEverythingElseAtOnce) {
    const QString file = writeFile("real.txt", "content");
    ASSERT_TRUE(QFile::link(file, path("link.txt")));
    ASSERT_TRUE(QFile::link(path("gone"), path("dangling")));
    writeFile("sub/x", "");
    ASSERT_TRUE(test::makeSpecial(test::Special::Pipe, path("pipe")));
    ASSERT_TRUE(QFile::link(path("pipe"), path("pipe-link")));
    ASSERT_TRUE(test::makeSpecial(test::Special::Socket, path("socket")));
    ASSERT_TRUE(test::makeSpecial(test::Special::Device, path("device")));
    ASSERT_TRUE(test::makeSpecial(test::Special::LinkLoop, path("loop")));

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
        {path("pipe"), OpenFailure::NotAFile},
        {path("pipe-link"), OpenFailure::NotAFile},
        {path("socket"), OpenFailure::NotAFile},
        {path("device"), OpenFailure::NotAFile},
        {QStringLiteral("/dev/zero"), OpenFailure::NotAFile},
        {path("loop"), OpenFailure::NotAFile},
    };
    for (const Case& c : cases) {
        test::PipeWatch watch(path("pipe"));
        OpenFailure why = OpenFailure::Unreadable;
        const std::optional<QByteArray> bytes = readWholeFile(c.path, &why);
        EXPECT_FALSE(watch.blocked()) << c.path.toStdString();
        EXPECT_EQ(failureName(why), failureName(c.failure)) << c.path.toStdString();
        EXPECT_EQ(bytes.has_value(), c.failure == OpenFailure::None) << c.path.toStdString();
        if (bytes) {
            EXPECT_EQ(bytes->toStdString(), "content");
        }

        QFile f;
        why = OpenFailure::Unreadable;
        EXPECT_EQ(openForReading(f, c.path, &why), c.failure == OpenFailure::None) << c.path.toStdString();
        EXPECT_EQ(failureName(why), failureName(c.failure)) << c.path.toStdString();
        if (f.isOpen()) {
            EXPECT_EQ(f.readAll().toStdString(), "content");
        }
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

// Relative names are taken from the current folder, also one that begins with
// ':' (which Qt's file classes would take for a resource).
TEST_F(OpenFileTest, RelativeNamesAreTakenFromTheCurrentFolder) {
    {
        QFile f(dir_.path() + "/:colon.txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("from disk") == 9);
    }
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    const std::optional<QByteArray> bytes = readWholeFile(QStringLiteral(":colon.txt"));
    QDir::setCurrent(before);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->toStdString(), "from disk");
}

// A settings file is read whole when opened: anything but a regular file in
// its place reads at once as a missing one, an empty file.
TEST_F(OpenFileTest, SettingsFilesThatAreNoFilesReadAsEmptyAtOnce) {
    for (const test::Special kind : test::kSpecials) {
        const QString file = path("Brindlewick.ini");
        ASSERT_TRUE(test::makeSpecial(kind, file)) << test::specialName(kind);
        test::PipeWatch watch(file);
        const IniFile ini(file);
        const QString one = readIniString(file, "FOptions", "Value", "default");
        EXPECT_FALSE(watch.blocked()) << test::specialName(kind);
        EXPECT_TRUE(ini.sections().isEmpty()) << test::specialName(kind);
        EXPECT_EQ(ini.fileName(), file);
        EXPECT_EQ(one, "default") << test::specialName(kind);
    }
}
