// A last project or a rule list that names no regular file: start-up opens
// nothing, without a message, and the title still names the project, as for a
// missing one; the rules page says the list cannot be read and keeps its rules.

#include <QCheckBox>
#include <QLineEdit>

#include "app/ui/fmain_commands.h"
#include "options/ui/foptions.h"
#include "rules/ui/fpsrmanager.h"
#include "tests/app/ui/mainwindow_support.h"
#include "tests/rules/ui/rulesui.h"
#include "tests/support/specialfiles.h"

namespace bw::test {
namespace {

class StartUpSpecial : public ProgramTest {};

TEST_F(StartUpSpecial, ALastProjectOrRuleListThatIsNoFileOpensNothing) {
    const QString project = path("Projects/last.bwp"), list = path("list.lsr");
    Start();
    main->ELastProject->setText(project);
    program->FOptions->CBOpenLastProject->setChecked(true);
    ASSERT_TRUE(program->FOptions->Cycle().OptionsSet());
    program.reset();
    ScriptEditor editor;
    TFPSRManager page;
    page.Editor = &editor;
    editor.script.push_back([](TSRInfo& r) {
        r.Source.ssText = QStringLiteral("kept");
        return true;
    });
    page.AAdd->trigger();
    ASSERT_EQ(page.Count(), 1);

    readEachSpecial(prompt, {
        {"last project", project, [&] {
             files.files = {path("kept.txt")};
             Start();
             // The start-up's new project empties the page; the title names the project.
             const bool ok = main->ELastProject->text() == project && main->windowTitle() == "Brindlewick - last" &&
                             files.files.isEmpty();
             program.reset();
             return ok;
         }},
        {"rule list", list, [&] {
             return !page.LoadFromFile(list) && page.Count() == 1 && page.Rule(0).Source.ssText == "kept";
         }, true},
    });
}

} // namespace
} // namespace bw::test
