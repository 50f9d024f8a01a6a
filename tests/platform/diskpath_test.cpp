#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "platform/diskpath.h"
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
    EXPECT_EQ(diskPath(":a.txt"), QDir::currentPath() + "/:a.txt");
}

// What comes back names the file on disk: Qt's classes find it.
TEST_F(DiskPathTest, QtFindsTheFileOnDisk) {
    writeFile(":a.txt", "x");
    test::CurrentFolder here(path(""));
    EXPECT_FALSE(QFileInfo(QStringLiteral(":a.txt")).isFile());
    EXPECT_TRUE(QFileInfo(diskPath(QStringLiteral(":a.txt"))).isFile());
}

} // namespace
