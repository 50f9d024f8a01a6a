// A rule-list file that is no file: the page says it cannot be read, at once,
// and keeps its rules.

#include "rules/ui/fpsrmanager.h"
#include "tests/rules/ui/rulesui.h"
#include "tests/support/specialfiles.h"

namespace {

class SpecialRuleListTest : public bw::test::TempDirTest {};

TEST_F(SpecialRuleListTest, ARuleListThatIsNoFileCannotBeReadAndTheListStays) {
    bw::test::ScriptEditor editor;
    TFPSRManager page;
    page.Editor = &editor;
    editor.script.push_back([](TSRInfo& r) {
        r.Source.ssText = QStringLiteral("kept");
        return true;
    });
    page.AAdd->trigger();
    ASSERT_EQ(page.Count(), 1);
    const QString file = path("list.lsr");
    bw::test::readEachSpecial(prompt, {{"rule list", file, [&] {
        return !page.LoadFromFile(file) && page.Count() == 1 && page.Rule(0).Source.ssText == "kept";
    }, true}});
}

} // namespace
