// Speed of the folder filter.
//
// Matches over 1,000,000 generated names (ASCII and Cyrillic, mixed case) with
// the ten default masks of the filter panels in use, next to glibc fnmatch with
// FNM_CASEFOLD over the same names and masks (UTF-8 locale); and the same
// filter with and without a change-date range.

#include "files/filefilter.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <clocale>
#include <fnmatch.h>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kMasks[] = {"*.ASP", "*.HTM", "*.HTML", "*.INC", "*.JS",
                              "*.PHP", "*.RTF", "*.SHTM", "*.SHTML", "*.TXT"};

struct Names {
    std::vector<bw::FileEntry> entries;
    std::vector<std::string> utf8;
};

const Names& names() {
    static const Names n = [] {
        const char* const stems[] = {"index", "Report", "README", "main", "отчёт", "Письмо", "ДАННЫЕ", "page_01",
                                     "Счёт-фактура", "style", "photo", "архив", "Makefile", "notes"};
        const char* const exts[] = {".htm", ".HTML", ".txt", ".Txt", ".php", ".js", ".css", ".png", ".jpg",
                                    ".bak", "", ".shtml", ".rtf", ".doc", ".тхт", ".ASP", ".inc", ".md"};
        std::mt19937 rng(11);
        Names out;
        out.entries.reserve(1'000'000);
        out.utf8.reserve(1'000'000);
        const QDateTime base(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC); // as listings give them
        for (int i = 0; i < 1'000'000; ++i) {
            QString name = QString::fromUtf8(stems[rng() % std::size(stems)]);
            if (rng() % 2)
                name += QString::number(rng() % 1000);
            name += QString::fromUtf8(exts[rng() % std::size(exts)]);
            out.utf8.push_back(name.toStdString());
            out.entries.push_back(bw::FileEntry{name, qint64(rng() % 100000), bw::faArchive,
                                                base.addSecs(qint64(rng() % (5 * 365 * 86400)))});
        }
        return out;
    }();
    return n;
}

TFileFilter defaultFilter() {
    TFileFilter f;
    QStringList masks;
    for (const char* m : kMasks)
        masks << m;
    f.SetIMasks(masks);
    f.IUseMasks = true;
    return f;
}

void BM_FilterMatches(benchmark::State& state) {
    const Names& n = names();
    TFileFilter f = defaultFilter();
    if (state.range(0)) {
        f.IDate1 = double(QDate(1899, 12, 30).daysTo(QDate(2021, 1, 1)));
        f.IDate2 = double(QDate(1899, 12, 30).daysTo(QDate(2023, 12, 31)));
    }
    std::size_t hits = 0;
    for (auto _ : state)
        for (const bw::FileEntry& e : n.entries)
            hits += f.Matches(e);
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations() * std::int64_t(n.entries.size()));
    state.SetLabel(state.range(0) ? "masks + date range" : "masks");
}
BENCHMARK(BM_FilterMatches)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Fnmatch(benchmark::State& state) {
    const Names& n = names();
    std::setlocale(LC_ALL, "C.UTF-8");
    std::size_t hits = 0;
    for (auto _ : state)
        for (const std::string& s : n.utf8) {
            for (const char* m : kMasks)
                if (fnmatch(m, s.c_str(), FNM_CASEFOLD) == 0) {
                    ++hits;
                    break;
                }
        }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations() * std::int64_t(n.utf8.size()));
}
BENCHMARK(BM_Fnmatch)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
