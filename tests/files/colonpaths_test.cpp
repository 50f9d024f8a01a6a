#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "tests/files/filestest.h"
#include "tests/support/testutil.h"

#include <QDir>

using namespace bw;
using bw::test::dumpTree;

namespace {

class ColonPathsTest : public test::TempDirTest {};

// A line starting with ':' is a file beside the list like any relative one,
// not a Qt resource.
TEST_F(ColonPathsTest, PlainListLinesStartingWithAColonAreFilesBesideTheList) {
    const QString list = writeFile("l/list.lst", ":a.txt\r\nsub/:b.txt\r\n:c/../d.txt\r\n/:abs/e.txt\r\n");
    const QStringList expected = {path("l/:a.txt"), path("l/sub/:b.txt"), path("l/d.txt"), "/:abs/e.txt"};
    EXPECT_EQ(ReadPlainFileList(list).paths, expected);

    TFileVTreeView tree;
    tree.LoadPlainList(list);
    EXPECT_EQ(tree.SkippedNames(), 0);
    const QStringList dump = dumpTree(tree);
    EXPECT_TRUE(dump.contains("  :abs")) << dump.join('\n').toStdString();
    EXPECT_EQ(dump.filter(":a.txt+").size(), 1) << dump.join('\n').toStdString();
}

} // namespace
