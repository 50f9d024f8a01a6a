// Speed of the text page's library menus and of inserting a large file.
//
// A library of 20,000 ".txt" files in 500 folders three deep: dropping down
// the Favorites menu and opening one sub-menu (again, as a user does, and the
// first time on a new page), next to a QDir listing of the same two folders
// (the menu reads no folder before it opens). Inserting a
// 16 MiB file through the page's File command, next to decoding it onto a
// bare QPlainTextEdit.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "bench/widgetmain.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "platform/cp1251.h"
#include "platform/ui/chooser.h"
#include "rules/ui/fptextedit.h"
#include "services/fileroutines.h"

namespace {

constexpr int kTop = 5, kMiddle = 9, kLeaf = 10, kFilesPerFolder = 40;

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

void writeFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Base of the library; 500 folders (5 + 45 + 450), 40 files in each.
QString libraryBase() {
    static const QString base = [] {
        const QString root = workDir().filePath(QStringLiteral("Favorites/"));
        const QString source = root + QStringLiteral("Source/");
        auto fill = [](const QString& folder) {
            QDir().mkpath(folder);
            for (int f = 0; f < kFilesPerFolder; ++f)
                writeFile(folder + QStringLiteral("snippet %1.txt").arg(f), "text");
        };
        for (int a = 0; a < kTop; ++a) {
            const QString top = source + QStringLiteral("group %1/").arg(a);
            fill(top);
            for (int b = 0; b < kMiddle; ++b) {
                const QString middle = top + QStringLiteral("part %1/").arg(b);
                fill(middle);
                for (int c = 0; c < kLeaf; ++c)
                    fill(middle + QStringLiteral("leaf %1/").arg(c));
            }
        }
        return root;
    }();
    return base;
}

void BM_LibraryMenuAndOneSubMenu(benchmark::State& state) {
    TFPTextEdit page;
    page.SetLibraryPath(libraryBase());
    int items = 0;
    for (auto _ : state) {
        page.PMFavoritesPopup(page.PMFavorites);
        QMenu* sub = page.PMFavorites->actions().first()->menu();
        Q_EMIT sub->aboutToShow();
        items = static_cast<int>(page.PMFavorites->actions().size() + sub->actions().size());
        benchmark::DoNotOptimize(items);
    }
    // The sub-menu's own folders stay unread until they open.
    QMenu* sub = page.PMFavorites->actions().first()->menu();
    QMenu* unopened = sub->actions().last()->menu();
    state.counters["items"] = items;
    state.counters["unopened_items"] = unopened ? static_cast<double>(unopened->actions().size()) : -1;
}

// The first drop of a page's menu: every item and sub-menu is made.
void BM_LibraryMenuFirstDrop(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<TFPTextEdit>();
        page->SetLibraryPath(libraryBase());
        state.ResumeTiming();
        page->PMFavoritesPopup(page->PMFavorites);
        QMenu* sub = page->PMFavorites->actions().first()->menu();
        Q_EMIT sub->aboutToShow();
        benchmark::DoNotOptimize(sub->actions().size());
        state.PauseTiming();
        page.reset();
        state.ResumeTiming();
    }
}

void BM_QDirListingOfTheSameFolders(benchmark::State& state) {
    const QString source = libraryBase() + QStringLiteral("Source/");
    for (auto _ : state) {
        const QFileInfoList top = QDir(source).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        const QFileInfoList sub =
            QDir(source + QStringLiteral("group 0/")).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        benchmark::DoNotOptimize(top.size() + sub.size());
    }
}

// A 16 MiB Windows-1251 text with CR LF line ends.
QString bigFile() {
    static const QString path = [] {
        std::mt19937 rng(3);
        std::string text;
        text.reserve(16u << 20);
        const std::string words[] = {bw::encode1251(QString::fromUtf8("слово")), "word", "text",
                                     bw::encode1251(QString::fromUtf8("поиск")), "replace", "12345"};
        std::size_t line = 0;
        while (text.size() < (16u << 20)) {
            const std::string& w = words[rng() % std::size(words)];
            text += w;
            line += w.size();
            if (line > 70) {
                text += "\r\n";
                line = 0;
            } else {
                text += ' ';
            }
        }
        text.resize(16u << 20);
        const QString p = workDir().filePath(QStringLiteral("big.txt"));
        writeFile(p, text);
        return p;
    }();
    return path;
}

void BM_PageLoadsFile(benchmark::State& state) {
    const QString file = bigFile();
    TFPTextEdit page;
    bw::ScriptedChooser chooser;
    bw::ScopedChooser scoped(chooser);
    for (auto _ : state) {
        chooser.pushFiles({file});
        page.ALoadFile->trigger();
        benchmark::DoNotOptimize(page.SEText->document()->blockCount());
        state.PauseTiming();
        page.SEText->clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (16 << 20));
}

void BM_BareEditDecodesFile(benchmark::State& state) {
    const QString file = bigFile();
    QPlainTextEdit edit;
    for (auto _ : state) {
        std::string bytes;
        LoadFileToString(file, bytes);
        edit.setPlainText(bw::decode1251(bytes));
        benchmark::DoNotOptimize(edit.document()->blockCount());
        state.PauseTiming();
        edit.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (16 << 20));
}

BENCHMARK(BM_LibraryMenuAndOneSubMenu)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibraryMenuFirstDrop)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_QDirListingOfTheSameFolders)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageLoadsFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BareEditDecodesFile)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
