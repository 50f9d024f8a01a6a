#include "app/processrun.h"

#include <QDir>
#include "tests/app/runfixture.h"

using namespace bw::test;

namespace {

using ColonFoldersTest = RunTest;

// A rule's folders given relatively, ':' first included, are folders below
// the current one: line files are read and outputs written there, never
// looked up among Qt's resources.
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

} // namespace
