#include "app/projectjob.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/error.h"
#include "tests/support/testutil.h"

namespace {

// The main window and the options dialog as the project commands see them.
class FakeHost : public TProjectHost {
public:
    QString lastProject = QStringLiteral("New project");
    QString folder;
    bool saveProject = true;
    bool saveOptions = true;
    int titleUpdates = 0;
    int optionsSaved = 0;
    QStringList chooserAnswers; // taken from the front; none left = Cancel
    int chooserCalls = 0;
    bool lastChooserForSaving = false;

    QString LastProject() const override { return lastProject; }
    void SetLastProject(const QString& path) override { lastProject = path; }
    void UpdateProjectName() override { ++titleUpdates; }
    QString ProjectFolder() const override { return folder; }
    QString ChooseFile(bool forSaving, const QString&, const QString&, const QString&) override {
        ++chooserCalls;
        lastChooserForSaving = forSaving;
        return chooserAnswers.isEmpty() ? QString() : chooserAnswers.takeFirst();
    }
    bool AutoSaveProject() const override { return saveProject; }
    bool AutoSaveOptions() const override { return saveOptions; }
    void SaveOptions() override { ++optionsSaved; }
};

// A whole job and the controller over it.
struct Job : TProjectJob {
    FakeHost host;
    TProjectController projects{host, Sections(), {}};

    void Fill() {
        Tree.AddFileList({QStringLiteral("/data/a.txt"), QStringLiteral("/data/sub/b.txt")});
        Tree.AddFolder(QStringLiteral("/data/more"));
        Header.SetText("first line\r\nsecond\r\n");
        for (int i = 0; i < 3; ++i) {
            auto rule = std::make_unique<TSRInfo>();
            rule->Source.ssText = QStringLiteral("find %1").arg(i);
            rule->Target.tsText = QStringLiteral("put %1").arg(i);
            Rules.Append(i != 1, std::move(rule));
        }
        Scheme.AddStep(3);
        Scheme.AddStep(7);
    }

    QByteArray TreeBytes() const {
        QBuffer b;
        b.open(QIODevice::WriteOnly);
        Tree.SaveToStream(b);
        return b.data();
    }
    std::vector<std::string> RuleTexts() const {
        std::vector<std::string> out;
        for (int i = 0; i < Rules.Count(); ++i)
            out.push_back((Rules.Checked(i) ? "+" : "-") + RuleToText(Rules.Rule(i)));
        return out;
    }
};

class ProjectTest : public bw::test::TempDirTest {
protected:
    // The bytes of a saved project of a filled job.
    std::string SavedProject(Job& job, const QString& name) {
        job.Fill();
        job.host.lastProject = path(name);
        job.projects.ASaveProjectExecute();
        return readFile(path(name));
    }
};

TEST_F(ProjectTest, AJobRoundTripsAndOpeningTwiceReplacesRatherThanAdds) {
    Job source;
    SavedProject(source, QStringLiteral("jobs/one.bwp"));
    EXPECT_EQ(source.host.titleUpdates, 1);

    Job target;
    target.Scheme.AddStep(5); // steps already on the page go
    target.Tree.AddFileList({QStringLiteral("/old/file.txt")});
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(target.projects.OpenProject(path("jobs/one.bwp")));
        EXPECT_EQ(target.TreeBytes(), source.TreeBytes());
        EXPECT_EQ(target.Header.Lines(), source.Header.Lines());
        EXPECT_EQ(target.RuleTexts(), source.RuleTexts());
        EXPECT_EQ(target.Scheme.Steps(), source.Scheme.Steps()) << "round " << round;
    }
    EXPECT_EQ(target.host.lastProject, path("jobs/one.bwp"));
    EXPECT_FALSE(target.projects.Damaged());
    EXPECT_TRUE(prompt.asked().empty());

    // An empty job too: empty tree, rules and scheme come back.
    Job empty;
    empty.host.lastProject = path("empty.bwp");
    empty.projects.ASaveProjectExecute();
    ASSERT_TRUE(target.projects.OpenProject(path("empty.bwp")));
    EXPECT_TRUE(target.Tree.IsEmpty());
    EXPECT_EQ(target.Rules.Count(), 0);
    EXPECT_TRUE(target.Scheme.IsEmpty());
}

TEST_F(ProjectTest, AMissingProjectKeepsItsPathOpensNothingAndTheTitleNamesIt) {
    Job job;
    job.Fill();
    const QByteArray before = job.TreeBytes();
    EXPECT_FALSE(job.projects.OpenProject(path("gone.bwp")));
    EXPECT_EQ(job.host.lastProject, path("gone.bwp"));
    EXPECT_EQ(job.host.titleUpdates, 1);
    EXPECT_EQ(job.TreeBytes(), before);
    EXPECT_EQ(job.Rules.Count(), 3);
    // Save project then writes exactly there.
    job.projects.ASaveProjectExecute();
    EXPECT_TRUE(exists(path("gone.bwp")));
}

// A project named relatively, ':' first too, is saved below the current
// folder, never taken for a Qt resource.
TEST_F(ProjectTest, ARelativeProjectIsSavedBelowTheCurrentFolder) {
    Job job;
    const std::string expected = SavedProject(job, QStringLiteral("plain.bwp"));
    job.host.lastProject = QStringLiteral(":p.bwp");
    {
        bw::test::CurrentFolder here(path(""));
        job.projects.ASaveProjectExecute();
    }
    EXPECT_EQ(readFile(path(":p.bwp")), expected);
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(ProjectTest, AFailedSaveLeavesTheOldFileWholeAndStopsAutoSave) {
    Job job;
    const std::string old = SavedProject(job, QStringLiteral("p.bwp"));

    // A section that fails half-way through its write.
    TFunctionSection broken;
    broken.Save = [](QIODevice& out) {
        out.write("partial");
        throw bw::Error(QStringLiteral("disk full"));
    };
    TProjectController failing(job.host, TProjectSections(job.TreeSection, broken, job.SchemeSection,
                                                           job.OptionsSection), {});
    try {
        failing.AAutoSaveExecute();
        ADD_FAILURE() << "no error";
    } catch (const bw::Error& e) {
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path("p.bwp")))) << e.message().toStdString();
    }
    EXPECT_EQ(readFile(path("p.bwp")), old);
    EXPECT_EQ(job.host.optionsSaved, 0) << "the settings wait for a project that saved";
    EXPECT_EQ(QDir(path(".")).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file is left";

    // A project folder that cannot be made (a file stands where it would be).
    writeFile(QStringLiteral("blocker"), "x");
    job.host.lastProject = path("blocker/sub/p.bwp");
    EXPECT_THROW(job.projects.ASaveProjectExecute(), bw::Error);
    EXPECT_EQ(job.host.lastProject, path("blocker/sub/p.bwp"));

    // Save as to such a place keeps the project where it was.
    job.host.lastProject = path("p.bwp");
    job.host.chooserAnswers = {path("blocker/q.bwp")};
    EXPECT_THROW(job.projects.ASaveProjectAsExecute(), bw::Error);
    EXPECT_EQ(job.host.lastProject, path("p.bwp"));
}

TEST_F(ProjectTest, SaveAsCancelledOrDeclinedWritesNothing) {
    Job job;
    job.Fill();
    // A never-saved project goes to Save as; Cancel writes nothing.
    EXPECT_EQ(job.projects.ASaveProjectExecute(), TProjectController::TSaveResult::Cancelled);
    EXPECT_TRUE(job.host.lastChooserForSaving);
    EXPECT_EQ(job.host.lastProject, QStringLiteral("New project"));

    // Auto-save of a never-saved project asks every time; Cancel lets the action go on.
    job.projects.AAutoSaveExecute();
    EXPECT_EQ(job.host.chooserCalls, 2);
    EXPECT_EQ(job.host.optionsSaved, 1);

    // An existing file: No keeps it and the project's path.
    const QString taken = writeFile(QStringLiteral("taken.bwp"), "someone else's");
    job.host.chooserAnswers = {taken};
    prompt.push(bw::Answer::No);
    EXPECT_EQ(job.projects.ASaveProjectAsExecute(), TProjectController::TSaveResult::Cancelled);
    EXPECT_EQ(readFile(taken), "someone else's");
    EXPECT_EQ(job.host.lastProject, QStringLiteral("New project"));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(taken)));

    job.host.chooserAnswers = {taken};
    prompt.push(bw::Answer::Yes);
    EXPECT_EQ(job.projects.ASaveProjectAsExecute(), TProjectController::TSaveResult::Saved);
    EXPECT_EQ(job.host.lastProject, taken);
    EXPECT_NE(readFile(taken), "someone else's");
}

TEST_F(ProjectTest, AutoSaveFollowsBothOptions) {
    struct Case {
        bool project, options;
    };
    for (const Case c : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        Job job;
        job.host.lastProject = path("auto.bwp");
        QFile::remove(path("auto.bwp"));
        job.host.saveProject = c.project;
        job.host.saveOptions = c.options;
        job.projects.AAutoSaveExecute();
        EXPECT_EQ(exists(path("auto.bwp")), c.project);
        EXPECT_EQ(job.host.optionsSaved, c.options ? 1 : 0);
    }
}

// Little-endian 32-bit count.
std::string Int32(qint32 n) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[std::size_t(i)] = char((quint32(n) >> (8 * i)) & 0xFF);
    return s;
}

TEST_F(ProjectTest, ADamagedProjectLoadsWhatReadsSaysSoOnceAndIsNotAutoSavedOver) {
    Job source;
    const std::string whole = SavedProject(source, QStringLiteral("src.bwp"));
    const std::size_t treeEnd = 4 + std::size_t(quint32(quint8(whole[0])) | quint32(quint8(whole[1])) << 8 |
                                                quint32(quint8(whole[2])) << 16 | quint32(quint8(whole[3])) << 24);
    const std::size_t optionsStart = whole.size() - 4;

    struct Case {
        const char* name;
        std::string bytes;
        bool treeLoaded;
        int rulesLoaded; // -1: not checked
    };
    const std::vector<Case> cases = {
        {"empty file", "", false, 0},
        {"cut in the tree", whole.substr(0, treeEnd / 2), false, 0},
        {"cut in the rules", whole.substr(0, treeEnd + (optionsStart - treeEnd) / 2), true, -1},
        {"cut in the scheme", whole.substr(0, optionsStart - 2), true, 3},
        {"cut in the options", whole.substr(0, optionsStart + 2), true, 3},
        {"tree claims 2 GiB", Int32(0x7FFFFFF0) + whole.substr(4), false, -1},
        {"another file", "[Options]\r\nLanguage=English\r\nSomething else entirely\r\n", false, 0},
        {"bytes after the options", whole + "tail", true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = writeFile(QStringLiteral("damaged.bwp"), c.bytes);
        Job job;
        job.Tree.AddFileList({QStringLiteral("/before/x.txt")});
        const std::size_t asked = prompt.asked().size();
        ASSERT_TRUE(job.projects.OpenProject(file));
        EXPECT_EQ(job.host.lastProject, file);
        EXPECT_EQ(job.host.titleUpdates, 1);
        ASSERT_EQ(prompt.asked().size(), asked + 1);
        EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(file)));
        if (c.treeLoaded)
            EXPECT_EQ(job.TreeBytes(), source.TreeBytes());
        else
            EXPECT_TRUE(job.Tree.IsEmpty()) << "nothing of the job opened before stays";
        if (c.rulesLoaded >= 0)
            EXPECT_EQ(job.Rules.Count(), c.rulesLoaded);
        else
            EXPECT_LE(job.Rules.Count(), 3);
        EXPECT_TRUE(job.projects.Damaged());

        // Auto-save leaves the damaged file alone, the settings are still saved.
        job.projects.AAutoSaveExecute();
        EXPECT_EQ(readFile(file), c.bytes);
        EXPECT_EQ(job.host.optionsSaved, 1);
        // Saved by hand, it is the user's project again.
        job.projects.ASaveProjectExecute();
        EXPECT_FALSE(job.projects.Damaged());
        EXPECT_NE(readFile(file), c.bytes);
    }
}

TEST_F(ProjectTest, ARuleSectionCutShortKeepsTheRulesBeforeTheDamage) {
    Job source;
    const std::string whole = SavedProject(source, QStringLiteral("src.bwp"));
    // Cut inside the third rule: the file ends where the scheme would start, minus a few bytes.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    source.Scheme.SaveScheme(buffer);
    const std::size_t schemeStart = whole.size() - 4 - std::size_t(buffer.data().size());
    const QString file = writeFile(QStringLiteral("cut.bwp"), whole.substr(0, schemeStart - 3));
    Job job;
    ASSERT_TRUE(job.projects.OpenProject(file));
    EXPECT_EQ(job.TreeBytes(), source.TreeBytes());
    ASSERT_EQ(job.Rules.Count(), 2);
    EXPECT_EQ(job.RuleTexts()[0], source.RuleTexts()[0]);
    EXPECT_EQ(job.RuleTexts()[1], source.RuleTexts()[1]);
    EXPECT_TRUE(job.Scheme.IsEmpty());
}

TEST_F(ProjectTest, ARuleSectionClaimingMoreRulesThanItHoldsKeepsTheWholeOnes) {
    Job source;
    const std::string whole = SavedProject(source, QStringLiteral("src.bwp"));
    const std::size_t treeEnd = 4 + std::size_t(quint32(quint8(whole[0])) | quint32(quint8(whole[1])) << 8 |
                                                quint32(quint8(whole[2])) << 16 | quint32(quint8(whole[3])) << 24);
    const std::string header = source.Header.GetText();
    const std::size_t countAt = treeEnd + 4 + header.size();
    ASSERT_EQ(whole.substr(countAt, 4), Int32(3));
    const QString file =
        writeFile(QStringLiteral("claims.bwp"), whole.substr(0, countAt) + Int32(100) + whole.substr(countAt + 4));
    Job job;
    const std::size_t asked = prompt.asked().size();
    ASSERT_TRUE(job.projects.OpenProject(file));
    EXPECT_EQ(job.TreeBytes(), source.TreeBytes());
    EXPECT_EQ(job.Header.GetText(), header);
    ASSERT_GE(job.Rules.Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(job.RuleTexts()[std::size_t(i)], source.RuleTexts()[std::size_t(i)]) << i;
    EXPECT_TRUE(job.projects.Damaged());
    EXPECT_EQ(prompt.asked().size(), asked + 1) << "the damage is told once";
}

TEST_F(ProjectTest, AProjectThatCannotBeOpenedIsAnErrorNamingIt) {
    Job job;
    job.Fill();
    QDir().mkpath(path("folder.bwp"));
    // A folder is no file: nothing opens, as for a missing one.
    EXPECT_FALSE(job.projects.OpenProject(path("folder.bwp")));
    if (::geteuid() != 0) {
        const QString file = writeFile(QStringLiteral("locked.bwp"), "x");
        QFile::setPermissions(file, QFileDevice::WriteOwner);
        try {
            job.projects.OpenProject(file);
            ADD_FAILURE() << "no error";
        } catch (const bw::Error& e) {
            EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(file)));
        }
        EXPECT_EQ(job.Rules.Count(), 3) << "the job stays";
    }
}

} // namespace
