#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "platform/appdirs.h"
#include "platform/diskpath.h"
#include "platform/openfile.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class DiskPathTest : public test::TempDirTest {};

TEST_F(DiskPathTest, RelativePathsGoBelowTheFolderAsText) {
    struct Case {
        QString path;
        QString folder;
        QString expected;
    };
    const Case cases[] = {
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
}

// Names starting with ':' (which Qt's file classes take for resources) are
// found below the current folder: by Qt through diskPath, by the reader, and
// as the program's home.
TEST_F(DiskPathTest, ColonNamesAreFoundBelowTheCurrentFolder) {
    writeFile(":a.txt", "from disk");
    qputenv("BRINDLEWICK_HOME", ":home");
    test::CurrentFolder here(path(""));
    EXPECT_TRUE(QFileInfo(diskPath(":a.txt")).isFile());
    EXPECT_EQ(readWholeFile(":a.txt").value_or("unread").toStdString(), "from disk");
    EXPECT_EQ(homeDir(), path(":home") + "/");
    EXPECT_TRUE(QFileInfo(path(":home")).isDir());
}

} // namespace
