// File lists named by the user: anything but a regular file in their place is
// "cannot be read" at once, never waited on, and the tree stays as it was.

#include <QDir>

#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "tests/files/filestest.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class SpecialFileListTest : public test::TempDirTest {};

TEST_F(SpecialFileListTest, PlainAndStructuredListsThatAreNoFilesCannotBeRead) {
    const QString list = path("list.lst");
    const QString expected = "The file list " + QDir::toNativeSeparators(list) + " cannot be read.";
    const struct Reader {
        const char* name;
        std::function<void(TFileVTreeView&)> read;
    } readers[] = {
        {"plain list", [&](TFileVTreeView&) { ReadPlainFileList(list); }},
        {"plain list into the tree", [&](TFileVTreeView& tree) { tree.LoadPlainList(list); }},
        {"structured list", [&](TFileVTreeView& tree) { LoadStructuredFileList(list, tree); }},
    };
    for (const Reader& r : readers) {
        for (const test::Special kind : test::kSpecials) {
            const std::string what = std::string(r.name) + " / " + test::specialName(kind);
            ASSERT_TRUE(test::makeSpecial(kind, list)) << what;
            TFileVTreeView tree;
            tree.AddFileList({QStringLiteral("/data/a.txt")});
            const QStringList before = test::dumpTree(tree);
            test::PipeWatch watch(list);
            const QString error = test::errorOf([&] { r.read(tree); });
            EXPECT_FALSE(watch.blocked()) << what;
            EXPECT_EQ(error, expected) << what;
            EXPECT_EQ(test::dumpTree(tree), before) << what;
        }
    }
}

} // namespace
