// A rule-list file that is no file: the page says it cannot be read, at once,
// and keeps its rules.

#include <QDir>

#include "rules/ui/fpsrmanager.h"
#include "tests/rules/ui/rulesui.h"
#include "tests/support/specialfiles.h"

namespace {

class SpecialRuleListTest : public bw::test::TempDirTest {
protected:
    SpecialRuleListTest() { page.Editor = &editor; }
    bw::test::ScriptEditor editor;
    TFPSRManager page;
};

TEST_F(SpecialRuleListTest, ARuleListThatIsNoFileCannotBeReadAndTheListStays) {
    editor.script.push_back([](TSRInfo& r) {
        r.Source.ssText = QStringLiteral("kept");
        return true;
    });
    page.AAdd->trigger();
    ASSERT_EQ(page.Count(), 1);
    const QString file = path("list.lsr");
    for (const bw::test::Special kind : bw::test::kSpecials) {
        const char* what = bw::test::specialName(kind);
        ASSERT_TRUE(bw::test::makeSpecial(kind, file)) << what;
        const std::size_t before = prompt.asked().size();
        bw::test::PipeWatch watch(file);
        EXPECT_FALSE(page.LoadFromFile(file)) << what;
        EXPECT_FALSE(watch.blocked()) << what;
        ASSERT_EQ(prompt.asked().size(), before + 1) << what;
        EXPECT_TRUE(prompt.asked()[before].text.contains(QDir::toNativeSeparators(file))) << what;
        ASSERT_EQ(page.Count(), 1) << what;
        EXPECT_EQ(page.Rule(0).Source.ssText, "kept") << what;
    }
}

} // namespace
