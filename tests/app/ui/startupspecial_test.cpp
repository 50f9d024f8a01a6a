// Start-up with a last project that names no regular file: nothing opens, no
// message, and the title still names it, as for a missing one.

#include <QCheckBox>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "app/ui/fmain_commands.h"
#include "options/ui/foptions.h"
#include "tests/app/ui/mainwindow_support.h"
#include "tests/support/specialfiles.h"

namespace bw::test {
namespace {

class StartUpSpecial : public ProgramTest {};

TEST_F(StartUpSpecial, ALastProjectThatIsNoFileOpensNothing) {
    const QString project = path("Projects/last.bwp");
    Start();
    main->ELastProject->setText(project);
    program->FOptions->CBOpenLastProject->setChecked(true);
    ASSERT_TRUE(program->FOptions->Cycle().OptionsSet());
    program.reset();

    readEachSpecial(prompt, {{"last project", project, [&] {
        files.files = {path("kept.txt")};
        Start();
        // The start-up's new project empties the page; the title names the project.
        const bool ok = main->ELastProject->text() == project && main->windowTitle() == "Brindlewick - last" &&
                        files.files.isEmpty();
        program.reset();
        return ok;
    }}});
}

} // namespace
} // namespace bw::test
