// Helper of the end-to-end test: makes the job the program then opens, and
// reads a project back for the comparison afterwards.
//
//   bw_e2e_tool make <project.bwp> <file>...
//       A project naming the files, with two rules without confirmation
//       ("cat" -> "dog", and "one" -> "two") and one conversion step; then the
//       settings file of BRINDLEWICK_HOME written with that project as the
//       last one, opened at start-up.
//   bw_e2e_tool dump <project.bwp>
//       The project's files, rules and scheme steps, one per line; exit code 1
//       when the project does not read whole.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <cstdio>
#include <memory>

#include "app/mainunit.h"
#include "app/projectjob.h"
#include "app/ui/fmain.h"
#include "app/ui/programentry.h"
#include "options/ui/foptions.h"
#include "platform/error.h"

namespace {

std::unique_ptr<TSRInfo> Rule(const char* search, const char* target) {
    auto r = std::make_unique<TSRInfo>();
    r->Source.ssText = QString::fromLatin1(search);
    r->Source.ssCLBCP = QStringLiteral("Win-1251");
    r->Target.tsText = QString::fromLatin1(target);
    r->Target.tbConfirmReplace = false;
    r->Target.tbShowHint = false;
    r->SearchActionType = ofatReplace;
    return r;
}

int Make(const QString& project, const QStringList& files) {
    TProjectJob job;
    job.Tree.AddFileList(files);
    job.Rules.Append(true, Rule("cat", "dog"));
    job.Rules.Append(true, Rule("one", "two"));
    job.Scheme.AddStep(3);
    SaveProjectFile(project, job.Sections(), {});

    // The settings file as the program writes it, naming the project.
    InitializeMainUnit();
    {
        TProgram program;
        program.FMain->show();
        QApplication::processEvents();
        program.FMain->ELastProject->setText(project);
        program.FOptions->CBOpenLastProject->setChecked(true);
        program.FOptions->AOSaveExecute();
    }
    FinalizeMainUnit();
    return 0;
}

int Dump(const QString& project) {
    TProjectJob job;
    QFile file(project);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(project));
        return 1;
    }
    const TProjectReadResult result = ReadProject(file, job.Sections());
    QStringList files;
    job.Tree.GetFileList(files);
    for (const QString& f : files)
        std::printf("file %s\n", f.toUtf8().constData());
    for (int i = 0; i < job.Rules.Count(); ++i)
        std::printf("rule %d %s\n", job.Rules.Checked(i) ? 1 : 0, RuleToText(job.Rules.Rule(i)).c_str());
    for (int step : job.Scheme.Steps())
        std::printf("step %d\n", step);
    return result.Damaged() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    try {
        if (args.size() >= 2 && args[0] == "make")
            return Make(args[1], args.mid(2));
        if (args.size() == 2 && args[0] == "dump")
            return Dump(args[1]);
    } catch (const bw::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    std::fprintf(stderr, "usage: bw_e2e_tool make <project> <file>... | dump <project>\n");
    return 2;
}
