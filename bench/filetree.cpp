// Speed and memory of the file tree.
//
// A generated tree of 100,000 files in 5,000 folders (mixed extensions, sizes
// and dates, some Cyrillic names), warm cache:
//   - an added recursive folder with include masks *.htm and *.txt, the list
//     of files from Brief view, next to GNU find with the same -iname tests;
//   - the same with a size range and a date range, next to find with -size
//     and -newermt;
//   - one folder of 50,000 files (compare the time per file with the first);
//   - saving and loading those 100,000 files all marked, as a tree block and
//     as a plain list;
//   - the memory the whole tree takes in Full view.

#include "files/filetree.h"
#include "files/plainfilelist.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

void makeFile(const QByteArray& path, qint64 size, time_t mtime) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0)
        return;
    if (size > 0 && ::ftruncate(fd, size) != 0) {
        // a file of the wrong size only shifts the figures a little
    }
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

// root/dNN/sMMM: 50 x 100 folders of 20 files each.
const QString& bigTree() {
    static const QString root = [] {
        const QString r = scratch().path() + "/big";
        const char* const exts[] = {".htm", ".txt", ".css", ".js", ".png", ".HTM", ".TXT", ".php", ".html", ""};
        const char* const stems[] = {"index", "page", "отчёт", "Report", "data", "Письмо", "style", "notes"};
        std::mt19937 rng(3);
        const time_t base = QDateTime(QDate(2019, 1, 1), QTime(0, 0)).toSecsSinceEpoch();
        for (int d = 0; d < 50; ++d)
            for (int s = 0; s < 100; ++s) {
                const QString folder = QStringLiteral("%1/d%2/s%3").arg(r).arg(d).arg(s);
                QDir().mkpath(folder);
                const QByteArray f = QFile::encodeName(folder) + '/';
                for (int i = 0; i < 20; ++i) {
                    const QString name = QString::fromUtf8(stems[rng() % std::size(stems)]) + QString::number(i) +
                                         QString::fromUtf8(exts[rng() % std::size(exts)]);
                    makeFile(f + name.toUtf8(), qint64(rng() % 20000), base + time_t(rng() % (5 * 365 * 86400)));
                }
            }
        return r;
    }();
    return root;
}

const QString& wideFolder() {
    static const QString root = [] {
        const QString r = scratch().path() + "/wide";
        QDir().mkpath(r);
        const QByteArray f = QFile::encodeName(r) + '/';
        std::mt19937 rng(4);
        const char* const exts[] = {".htm", ".txt", ".css", ".js", ".png"};
        for (int i = 0; i < 50000; ++i)
            makeFile(f + "file" + QByteArray::number(i) + exts[rng() % std::size(exts)], 100, 1'600'000'000);
        return r;
    }();
    return root;
}

double day(int y, int m, int d) { return double(QDate(1899, 12, 30).daysTo(QDate(y, m, d))); }

void addRoot(TFileVTreeView& tree, const QString& folder, bool ranges) {
    tree.FileFilter.SetIMasks({"*.htm", "*.txt"});
    tree.FileFilter.IUseMasks = true;
    tree.FileFilter.Recursive = true;
    if (ranges) {
        tree.FileFilter.ISize1 = 1000;
        tree.FileFilter.ISize2 = 15000;
        tree.FileFilter.IDate1 = day(2020, 1, 1);
        tree.FileFilter.IDate2 = day(2022, 12, 31);
    }
    tree.AddFolder(folder);
}

void BM_TreeFileList(benchmark::State& state) {
    const bool ranges = state.range(0);
    const QString& root = state.range(1) ? wideFolder() : bigTree();
    std::size_t files = 0;
    for (auto _ : state) {
        TFileVTreeView tree;
        addRoot(tree, root, ranges);
        QStringList list;
        tree.GetFileList(list);
        files = std::size_t(list.size());
    }
    state.counters["files listed"] = double(files);
    state.counters["entries"] = state.range(1) ? 50000 : 100000;
    state.SetItemsProcessed(state.iterations() * (state.range(1) ? 50000 : 100000));
}
BENCHMARK(BM_TreeFileList)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Unit(benchmark::kMillisecond);

void BM_Find(benchmark::State& state) {
    const bool ranges = state.range(0);
    QString cmd = "find '" + bigTree() + "' -type f \\( -iname '*.htm' -o -iname '*.txt' \\)";
    if (ranges)
        cmd += " -size +999c -size -15001c -newermt '2020-01-01 00:00' ! -newermt '2023-01-01 00:00'";
    std::size_t lines = 0;
    for (auto _ : state) {
        FILE* p = ::popen(cmd.toUtf8().constData(), "r");
        char buf[65536];
        lines = 0;
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            for (std::size_t i = 0; i < n; ++i)
                lines += buf[i] == '\n';
        ::pclose(p);
    }
    state.counters["files listed"] = double(lines);
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Find)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

QStringList allFiles() {
    TFileVTreeView tree;
    tree.FileFilter.Recursive = true;
    tree.AddFolder(bigTree());
    QStringList list;
    tree.GetFileList(list);
    return list;
}

void BM_SaveLoadMarked(benchmark::State& state) {
    static const QStringList files = allFiles();
    TFileVTreeView tree;
    tree.AddFileList(files);
    const QString plain = scratch().path() + "/all.lst";
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0: {
            QBuffer buf;
            buf.open(QIODevice::WriteOnly);
            tree.SaveToStream(buf);
            benchmark::DoNotOptimize(buf.data().size());
            break;
        }
        case 1: {
            state.PauseTiming();
            QBuffer buf;
            buf.open(QIODevice::ReadWrite);
            tree.SaveToStream(buf);
            buf.seek(0);
            TFileVTreeView back;
            state.ResumeTiming();
            back.LoadFromStream(buf);
            state.PauseTiming();
            { TFileVTreeView gone; } // freeing is not loading
            state.ResumeTiming();
            break;
        }
        case 2: {
            QStringList list;
            tree.GetFileList(list);
            WritePlainFileList(plain, list);
            break;
        }
        case 3: {
            TFileVTreeView back;
            back.LoadPlainList(plain);
            benchmark::DoNotOptimize(back.TopCount());
            break;
        }
        }
    }
    const char* const what[] = {"save block", "load block", "save plain list", "load plain list"};
    state.SetLabel(what[state.range(0)]);
    state.counters["files"] = double(files.size());
}
BENCHMARK(BM_SaveLoadMarked)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_FullViewMemory(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        TFileVTreeView tree;
        tree.FileFilter.Recursive = true;
        tree.AddFolder(bigTree());
        tree.SetViewMode(ftvmFull);
        state.PauseTiming();
        state.counters["MiB above the empty tree"] = double(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
        state.counters["nodes"] = double(tree.NodeCount());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FullViewMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
