// Speed of the In Files page over a tree of 100,000 files (100 folders of
// 1,000 empty files each), under offscreen Qt with the page shown: each
// command through the page (tree, item model and view, events handled) next
// to the same work on the tree core alone.
//   - Full view and back to Brief;
//   - the list of files to process from Brief view;
//   - loading a structured list of the 100,000 files, each marked include.

#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "files/ui/fpfilemanager.h"
#include "files/ui/fselectfolder.h"
#include "files/ui/fofiles.h"
#include "platform/prompt.h"
#include "platform/ui/chooser.h"

#include "bench/widgetmain.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

const QString& root() {
    static const QString r = [] {
        const QString base = scratch().path() + "/files";
        for (int d = 0; d < 100; ++d) {
            const QString folder = base + QString("/d%1").arg(d, 3, 10, QChar('0'));
            QDir().mkpath(folder);
            for (int f = 0; f < 1000; ++f) {
                const QByteArray name = (folder + QString("/file%1.txt").arg(f, 4, 10, QChar('0'))).toLocal8Bit();
                const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                if (fd >= 0)
                    ::close(fd);
            }
        }
        return base;
    }();
    return r;
}

// A structured list of every file, each marked include.
const QString& structuredList() {
    static const QString file = [] {
        TFileVTreeView tree;
        tree.FileFilter.Recursive = true;
        tree.AddFolder(root());
        QStringList files;
        tree.GetFileList(files);
        TFileVTreeView marked;
        marked.AddFileList(files);
        const QString name = scratch().path() + "/all.lst";
        SaveStructuredFileList(name, marked);
        return name;
    }();
    return file;
}

void settle() { QCoreApplication::processEvents(); }

// The page with the folder added (subfolders on, every file) and shown.
struct Page {
    TFSelectFolder dialog;
    TFPFileManager page;
    Page() {
        TFSelectFolder::ExecHook = [](TFSelectFolder& d) {
            d.CBSubFolders->setChecked(true);
            d.SelectTreePath(root());
            d.BOk->click();
            return d.result();
        };
        page.AAddDir->trigger();
        TFSelectFolder::ExecHook = nullptr;
        page.resize(800, 600);
        page.show();
        settle();
    }
};

TFileVTreeView& coreTree() {
    static TFileVTreeView* tree = [] {
        auto* t = new TFileVTreeView;
        t->FileFilter.Recursive = true;
        t->AddFolder(root());
        return t;
    }();
    return *tree;
}

void BM_FullAndBack_Page(benchmark::State& state) {
    Page p;
    for (auto _ : state) {
        p.page.AFull->trigger();
        settle();
        p.page.ABrief->trigger();
        settle();
    }
}

void BM_FullAndBack_Core(benchmark::State& state) {
    TFileVTreeView& tree = coreTree();
    for (auto _ : state) {
        tree.SetViewMode(ftvmFull);
        tree.SetViewMode(ftvmBrief);
    }
}

void BM_FilesToProcess_Page(benchmark::State& state) {
    Page p;
    QStringList files;
    for (auto _ : state) {
        p.page.GetFilesToProcess(files);
        settle();
    }
    state.counters["files"] = double(files.size());
}

void BM_FilesToProcess_Core(benchmark::State& state) {
    TFileVTreeView& tree = coreTree();
    QStringList files;
    for (auto _ : state)
        tree.GetFileList(files);
    state.counters["files"] = double(files.size());
}

void BM_LoadStructuredList_Page(benchmark::State& state) {
    const QString list = structuredList();
    Page p;
    bw::ScriptedChooser chooser;
    bw::ScopedChooser scoped(chooser);
    for (auto _ : state) {
        chooser.pushFiles({list});
        p.page.ALoadFileList->trigger();
        settle();
    }
}

void BM_LoadStructuredList_Core(benchmark::State& state) {
    const QString list = structuredList();
    TFileVTreeView tree;
    for (auto _ : state)
        LoadStructuredFileList(list, tree);
}

BENCHMARK(BM_FullAndBack_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullAndBack_Core)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilesToProcess_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilesToProcess_Core)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStructuredList_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStructuredList_Core)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv, [] { root(); }); }
