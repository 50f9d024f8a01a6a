// Speed of the engine's finds.
//
// Find over a large mixed Russian and English text, next to glibc memmem on
// the same text and needle; full report-only passes of pattern finds over
// growing texts; and texts built to make the pattern and ignore-mode finds
// work hard. Run a few at a time with --benchmark_filter.

#include "engine/rerichedit.h"
#include "platform/cp1251.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t MiB = 1024 * 1024;

// Mixed Russian and English words with blanks, punctuation, numbers and CR LF line ends.
const std::string& mixedText() {
    static const std::string text = [] {
        const char* const utf8Words[] = {
            "и", "в", "не", "на", "что", "он", "с", "как", "это", "по", "но", "они", "мы", "был",
            "Москва", "город", "время", "человек", "работа", "слово", "место", "жизнь", "дело", "рука",
            "сегодня", "говорить", "знать", "хороший", "большой", "новый", "первый", "последний",
            "the", "of", "and", "to", "in", "is", "you", "that", "it", "was", "for", "on", "are",
            "with", "as", "his", "they", "be", "at", "one", "have", "this", "from", "word", "text",
            "search", "replace", "file", "folder", "window", "rule", "pattern", "Brindlewick", "HTML", "foo", "bar"};
        std::vector<std::string> words;
        for (const char* w : utf8Words)
            words.push_back(bw::encode1251(QString::fromUtf8(w)));
        std::mt19937 rng(7);
        std::string out;
        out.reserve(64 * MiB + 64);
        std::size_t lineLength = 0;
        while (out.size() < 64 * MiB) {
            const unsigned r = rng() % 100;
            if (lineLength == 0 && r < 3)
                out += "abc";
            else if (r < 3)
                out += std::to_string(rng() % 10000);
            else if (r < 4)
                out += "x-" + std::to_string(rng() % 10) + "-y" + std::to_string(rng() % 100);
            else
                out += words[rng() % words.size()];
            lineLength += 8;
            const unsigned s = rng() % 100;
            if (lineLength > 70) {
                out += ".\r\n";
                lineLength = 0;
            } else if (s < 6) {
                out += ", ";
            } else {
                out += ' ';
            }
        }
        out.resize(64 * MiB);
        return out;
    }();
    return text;
}

const std::string kAbsentRussian = bw::encode1251(QString::fromUtf8("проверкой"));

void findOver(benchmark::State& state, const std::string& needle, TSearchTypes options) {
    TRERichEdit re;
    re.SetText(mixedText());
    re.SearchOptions = options;
    for (auto _ : state) {
        const std::int32_t p = re.Find(needle, 0, re.TextLength());
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * re.TextLength());
}

void memmemOver(benchmark::State& state, const std::string& needle) {
    const std::string& text = mixedText();
    for (auto _ : state) {
        const void* p = memmem(text.data(), text.size(), needle.data(), needle.size());
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void BM_Memmem_Russian(benchmark::State& s) { memmemOver(s, kAbsentRussian); }
void BM_Find_Russian_MatchCase(benchmark::State& s) { findOver(s, kAbsentRussian, stMatchCase); }
void BM_Find_Russian_AnyCase(benchmark::State& s) { findOver(s, kAbsentRussian, 0); }
void BM_Memmem_English(benchmark::State& s) { memmemOver(s, "together"); }
void BM_Find_English_MatchCase(benchmark::State& s) { findOver(s, "together", stMatchCase); }
void BM_Find_English_AnyCase(benchmark::State& s) { findOver(s, "together", 0); }
void BM_Find_English_AnyCaseWholeWord(benchmark::State& s) { findOver(s, "together", stWholeWord); }
BENCHMARK(BM_Memmem_Russian)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_Russian_MatchCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_Russian_AnyCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_English)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_English_MatchCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_English_AnyCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_English_AnyCaseWholeWord)->Unit(benchmark::kMillisecond);

// One report-only pass: every match from the start to the end of the text.
std::int64_t pass(TRERichEdit& re, bool masked, const std::string& search) {
    std::int64_t finds = 0;
    std::int32_t start = 0;
    for (;;) {
        const std::int32_t p = masked ? re.MaskedFind(start) : re.Find(search, start, re.TextLength() - start);
        if (p < 0)
            break;
        ++finds;
        start = p + std::max(re.LastFindLength, 1);
    }
    return finds;
}

void passOver(benchmark::State& state, std::string text, const std::string& search, bool masked,
              bool ignoreMode) {
    TRERichEdit re;
    re.SetText(std::move(text));
    re.Options.soIgnoreMode = ignoreMode;
    re.SearchPattern().Masked = masked;
    re.SearchPattern().SetText(search);
    re.RecompileAll();
    std::int64_t finds = 0;
    for (auto _ : state) {
        re.RecompileAll(); // every pass starts from a fresh compilation, as the processing loop does
        finds = pass(re, masked, search);
    }
    state.counters["finds"] = double(finds);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * re.TextLength());
}

std::string mixedPrefix(std::int64_t mib) { return mixedText().substr(0, std::size_t(mib) * MiB); }

void BM_Pass_AStarB(benchmark::State& s) { passOver(s, mixedPrefix(s.range(0)), "a[*]b", true, false); }
void BM_Pass_Digits(benchmark::State& s) { passOver(s, mixedPrefix(s.range(0)), "[D]", true, false); }
void BM_Pass_LineStartAbc(benchmark::State& s) { passOver(s, mixedPrefix(s.range(0)), "[LB]abc", true, false); }
void BM_Pass_X3Y_Digits(benchmark::State& s) { passOver(s, mixedPrefix(s.range(0)), "x[3?]y[D]", true, false); }
void BM_Pass_IgnoreFooBar(benchmark::State& s) { passOver(s, mixedPrefix(s.range(0)), "foo bar", false, true); }
#define GROWTH(name) BENCHMARK(name)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)
GROWTH(BM_Pass_AStarB);
GROWTH(BM_Pass_Digits);
GROWTH(BM_Pass_LineStartAbc);
GROWTH(BM_Pass_X3Y_Digits);
GROWTH(BM_Pass_IgnoreFooBar);

// Texts built against the finds; sizes in KiB.
std::string theWithoutEnd(std::int64_t kib) {
    std::string out;
    while (out.size() < std::size_t(kib) * 1024)
        out += "the  abcd\n"; // "the" every ten bytes, "end" never
    out.resize(std::size_t(kib) * 1024);
    return out;
}

std::string randomOf(std::int64_t kib, const char* alphabet, char last) {
    std::mt19937 rng(11);
    const std::size_t n = std::strlen(alphabet);
    std::string out(std::size_t(kib) * 1024, ' ');
    for (char& c : out)
        c = alphabet[rng() % n];
    out.back() = last;
    return out;
}

void BM_Hard_IgnoreTheEnd(benchmark::State& s) { passOver(s, theWithoutEnd(s.range(0)), "the end", false, true); }
void BM_Hard_AStarBAnyC(benchmark::State& s) {
    passOver(s, randomOf(s.range(0), "ab", 'a'), "a[*]b[?]c", true, false);
}
void BM_Hard_RareLast_Gap(benchmark::State& s) { passOver(s, randomOf(s.range(0), "ab", 'z'), "a[*]z", true, false); }
void BM_Hard_RareLast_Fixed(benchmark::State& s) {
    passOver(s, randomOf(s.range(0), "ab", 'z'), "a[2?]z", true, false);
}
void BM_Hard_RareLast_Run(benchmark::State& s) {
    passOver(s, randomOf(s.range(0), "a1b2", 'z'), "a[D]z", true, false);
}
void BM_Hard_RareLast_ShortGaps(benchmark::State& s) {
    passOver(s, randomOf(s.range(0), "ab", 'z'), "a[-9*]b[-9*]z", true, false);
}
void BM_Hard_RareLast_TwoGaps(benchmark::State& s) {
    passOver(s, randomOf(s.range(0), "ab", 'z'), "a[*]b[3?]a[*]z", true, false);
}
#define HARD(name) BENCHMARK(name)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond)
HARD(BM_Hard_IgnoreTheEnd);
HARD(BM_Hard_AStarBAnyC);
HARD(BM_Hard_RareLast_Gap);
HARD(BM_Hard_RareLast_Fixed);
HARD(BM_Hard_RareLast_Run);
HARD(BM_Hard_RareLast_ShortGaps);
HARD(BM_Hard_RareLast_TwoGaps);

} // namespace

BENCHMARK_MAIN();
