// Times saving and opening a project of 20,000 files in the tree and 1,000
// rules, against the same four sections written to and read from memory (the
// sections' own time) and against a cp of the project file.
//
//   bench_project [--benchmark_...]

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "app/projectjob.h"
#include "platform/fs.h"

namespace {

class Host : public TProjectHost {
public:
    QString path;
    QString LastProject() const override { return path; }
    void SetLastProject(const QString& p) override { path = p; }
    void UpdateProjectName() override {}
    QString ProjectFolder() const override { return {}; }
    QString ChooseFile(bool, const QString&, const QString&, const QString&) override { return {}; }
    bool AutoSaveProject() const override { return true; }
    bool AutoSaveOptions() const override { return false; }
    void SaveOptions() override {}
};

struct Job : TProjectJob {
    TProjectSections sections = Sections();
    Host host;
    TProjectController projects{host, sections, {}};
};

// 200 folders of 100 files, 1,000 rules, three scheme steps.
void Fill(Job& job) {
    QStringList files;
    for (int d = 0; d < 200; ++d)
        for (int f = 0; f < 100; ++f)
            files.append(QStringLiteral("/home/user/texts/part%1/chapter%2.txt").arg(d, 3, 10, QLatin1Char('0')).arg(f));
    job.Tree.AddFileList(files);
    job.Header.SetText("Rules of the benchmark\r\n");
    for (int i = 0; i < 1000; ++i) {
        auto rule = std::make_unique<TSRInfo>();
        rule->Source.ssText = QStringLiteral("search text number %1 [S:2]").arg(i);
        rule->Source.sbAS = true;
        rule->Source.ssCLBCP = QStringLiteral("Win-1251,KOI8-R");
        rule->Target.tsText = QStringLiteral("replacement %1").arg(i);
        job.Rules.Append(i % 3 != 0, std::move(rule));
    }
    for (int row : {1, 5, 9})
        job.Scheme.AddStep(row);
}

struct Fixture {
    QTemporaryDir dir;
    Job source;
    QString file;
    QByteArray bytes;

    Fixture() {
        Fill(source);
        file = dir.filePath(QStringLiteral("bench.bwp"));
        source.host.path = file;
        source.projects.ASaveProjectExecute();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        WriteProject(buffer, source.sections);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_SectionsToMemory(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        WriteProject(buffer, f.source.sections);
        benchmark::DoNotOptimize(bytes.size());
    }
    state.counters["bytes"] = double(f.bytes.size());
}
BENCHMARK(BM_SectionsToMemory)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state)
        f.source.projects.ASaveProjectExecute();
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_SectionsFromMemory(benchmark::State& state) {
    Fixture& f = Shared();
    Job job;
    for (auto _ : state) {
        QBuffer buffer(&f.bytes);
        buffer.open(QIODevice::ReadOnly);
        const TProjectReadResult result = ReadProject(buffer, job.sections);
        if (result.Damaged())
            state.SkipWithError("damaged");
    }
}
BENCHMARK(BM_SectionsFromMemory)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state) {
    Fixture& f = Shared();
    Job job;
    for (auto _ : state)
        job.projects.OpenProject(f.file);
    if (job.Rules.Count() != 1000 || job.projects.Damaged())
        state.SkipWithError("not the project saved");
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

// The file system's share of a save: the finished bytes through the same
// temporary file and rename.
void BM_WriteFileOnly(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state)
        if (!bw::replaceFile(f.file, f.bytes))
            state.SkipWithError("write failed");
}
BENCHMARK(BM_WriteFileOnly)->Unit(benchmark::kMillisecond);

void BM_CpOfTheFile(benchmark::State& state) {
    Fixture& f = Shared();
    const QByteArray command =
        "cp '" + f.file.toLocal8Bit() + "' '" + f.dir.filePath(QStringLiteral("copy.bwp")).toLocal8Bit() + "'";
    for (auto _ : state)
        if (std::system(command.constData()) != 0)
            state.SkipWithError("cp failed");
}
BENCHMARK(BM_CpOfTheFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
