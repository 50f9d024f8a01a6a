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

    for (const Special kind : kSpecials) {
        const char* what = specialName(kind);
        ASSERT_TRUE(makeSpecial(kind, project)) << what;
        files.files = {path("kept.txt")};
        PipeWatch watch(project);
        Start();
        EXPECT_FALSE(watch.blocked()) << what;
        EXPECT_EQ(main->ELastProject->text(), project) << what;
        EXPECT_EQ(main->windowTitle(), "Brindlewick - last") << what;
        EXPECT_TRUE(files.files.isEmpty()) << what << ": the start-up's new project emptied the page";
        program.reset();
    }
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
} // namespace bw::test
