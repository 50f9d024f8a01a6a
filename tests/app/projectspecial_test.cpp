// A project path that names no regular file: Open says it cannot be read, at
// once; the start-up's opening of the last project opens nothing, as for a
// missing one.

#include <QDir>
#include <gtest/gtest.h>

#include "app/projectjob.h"
#include "platform/error.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

namespace {

class Host : public TProjectHost {
public:
    QString lastProject = QStringLiteral("New project");
    int titleUpdates = 0;
    QString LastProject() const override { return lastProject; }
    void SetLastProject(const QString& path) override { lastProject = path; }
    void UpdateProjectName() override { ++titleUpdates; }
    QString ProjectFolder() const override { return QString(); }
    QString ChooseFile(bool, const QString&, const QString&, const QString&) override { return QString(); }
    bool AutoSaveProject() const override { return false; }
    bool AutoSaveOptions() const override { return false; }
    void SaveOptions() override {}
};

struct Job : TProjectJob {
    Host host;
    TProjectController projects{host, Sections(), {}};
    Job() { Tree.AddFileList({QStringLiteral("/data/a.txt")}); }
};

class ProjectSpecialTest : public bw::test::TempDirTest {};

TEST_F(ProjectSpecialTest, AProjectThatIsNoFileCannotBeOpenedAndOpensNothingAtStartUp) {
    const QString project = path("job.bwp");
    for (const bw::test::Special kind : bw::test::kSpecials) {
        const char* what = bw::test::specialName(kind);
        ASSERT_TRUE(bw::test::makeSpecial(kind, project)) << what;
        {
            Job job;
            bw::test::PipeWatch watch(project);
            QString error;
            try {
                job.projects.OpenProject(project);
            } catch (const bw::Error& e) {
                error = e.message();
            }
            EXPECT_FALSE(watch.blocked()) << what;
            EXPECT_TRUE(error.contains(QDir::toNativeSeparators(project))) << what << ": " << error.toStdString();
            EXPECT_EQ(job.Tree.TopCount(), 1) << what << ": the job stays";
            EXPECT_EQ(job.host.lastProject, project) << what;
        }
        {
            Job job;
            bw::test::PipeWatch watch(project);
            bool opened = true;
            EXPECT_NO_THROW(opened = job.projects.OpenLastProject(project)) << what;
            EXPECT_FALSE(watch.blocked()) << what;
            EXPECT_FALSE(opened) << what;
            EXPECT_EQ(job.Tree.TopCount(), 1) << what;
            EXPECT_EQ(job.host.lastProject, project) << what;
            EXPECT_EQ(job.host.titleUpdates, 1) << what << ": the title names it";
        }
    }
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
