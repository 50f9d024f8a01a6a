#include "app/processrun.h"
#include "files/filetree.h"
#include "files/plainfilelist.h"

#include <QDir>
#include "tests/app/runfixture.h"
#include "tests/files/filestest.h"

using namespace bw::test;

namespace {

using ColonFoldersTest = RunTest;

// Relative names starting with ':' are files and folders on disk, never Qt
// resources: a plain list's lines are files beside the list, and a rule's
// folders lie below the current folder (line files read, outputs written).
TEST_F(ColonFoldersTest, PlainListLinesStartingWithAColonAreFilesBesideTheList) {
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

TEST_F(ColonFoldersTest, RelativeRuleFoldersAreTakenAgainstTheCurrentFolder) {
    const QString a = AddFile("a.txt", "cat cat");
    writeFile(":in/names.txt", "one\r\ntwo\r\n");
    TSRInfo rule = ReplaceRule("cat", "[Q1\"names.txt\"][O\"log.txt\"]x[O]");
    rule.Target.tbAS = true;
    rule.Target.OutFolder = ":out/";
    rule.Target.InFolder = ":in/";
    AddRule(rule);
    {
        CurrentFolder here(path(""));
        run.AStartExecute();
    }

    EXPECT_EQ(readFile(a), "onex twox");
    EXPECT_EQ(readFile(path(":out/log.txt")), "xx");
    ExpectIdle();
}

// Each rule's folders, made absolute once per run, stay its own at every file.
TEST_F(ColonFoldersTest, EachRuleKeepsItsOwnRelativeFoldersAtEveryFile) {
    const QString a = AddFile("a.txt", "cat"), b = AddFile("b.txt", "cat");
    const struct {
        const char *search, *target, *out;
    } rules[] = {{"cat", "[O\"log.txt\"]1[O]", ":o1/"}, {"1", "[O\"log.txt\"]2[O]", "o2/"}};
    for (const auto& r : rules) {
        TSRInfo rule = ReplaceRule(r.search, r.target);
        rule.Target.tbAS = true;
        rule.Target.OutFolder = r.out;
        AddRule(rule);
    }
    {
        CurrentFolder here(path(""));
        run.AStartExecute();
    }

    EXPECT_EQ(readFile(a) + readFile(b), "22");
    EXPECT_EQ(readFile(path(":o1/log.txt")), "11");
    EXPECT_EQ(readFile(path("o2/log.txt")), "22");
}

} // namespace
