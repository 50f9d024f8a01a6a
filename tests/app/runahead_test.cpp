// The run with files read and searched ahead on worker threads against the
// same run with every file going through the loop: over random trees and
// random rule lists both must leave the same files, report, counters and
// output files, byte for byte.

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <random>

#include "app/processrun.h"
#include "app/quietprocesswindow.h"
#include "app/processrun_ahead.h"
#include "app/rerichrunengine.h"
#include "engine/codepages.h"
#include "engine/processstate.h"
#include "platform/cp1251.h"
#include "tests/app/runfixture.h"
#include "tests/support/testutil.h"

namespace bw::test {
namespace {

// Windows-1251 words, English and Russian; "ab" and the Cyrillic "äà" are
// what the rules mostly look for.
const std::vector<std::string> kWords = {
    "ab", "abc", "xab", "id=12", "id=7", "the", "fox", "\xE4\xE0", "\xE4\xE0\xEC", "\xEC\xE8\xF0", "\xCC\xE8\xF0",
    "\xF2\xE5\xEA\xF1\xF2", "AB", "b", "a", "1", "2002"};

std::string RandomText(std::mt19937& rng, bool withMatches) {
    std::string out;
    const int words = int(rng() % 40);
    for (int i = 0; i < words; ++i) {
        std::string w = kWords[rng() % kWords.size()];
        // Files without matches keep away from what the rules look for.
        if (!withMatches && (w.find('a') != std::string::npos || w.find('\xE4') != std::string::npos ||
                             w.find("id") != std::string::npos || w == "AB" || w.find('1') != std::string::npos))
            w = "zz";
        out += w;
        out += (rng() % 5 == 0) ? (rng() % 2 ? "\r\n" : "\n") : " ";
    }
    return out;
}

std::string Encode(const std::string& text, int codePage) {
    if (codePage == cpWin1251)
        return text;
    TConversionContext ctx;
    return ConvertText(text, FindConversion(cpWin1251, codePage), ctx);
}

TSRInfo RandomRule(std::mt19937& rng, bool first) {
    static const char* const searches[] = {"ab", "\xE4\xE0", "id=[D1]", "[LB]a", "b[FE]", "x", "[?1]b", "AB"};
    static const bool masked[] = {false, false, true, true, true, false, true, false};
    static const char* const targets[] = {"AB", "", "ID:[1B]", "[O\"out.txt\"]<[1B]>[O]-", "[QC\"names.txt\"]",
                                          "\xC4\xC0", "abab"};
    static const char* const pages[] = {"Win-1251", "KOI8-R", "866", "UTF-8", "Automatic"};
    static const TOnFoundActionType actions[] = {ofatDontChange, ofatReplace,      ofatDelete,      ofatInsertBefore,
                                                 ofatInsertAfter, ofatWriteToFile, ofatRenameFile};
    TSRInfo r;
    const std::size_t s = rng() % std::size(searches);
    r.Source.ssText = bw::decode1251(searches[s]);
    r.Source.sbAS = masked[s];
    r.Target.tbAS = rng() % 3 != 0;
    r.Target.tsText = bw::decode1251(targets[rng() % std::size(targets)]);
    r.SearchActionType = actions[rng() % std::size(actions)];
    if (first && r.SearchActionType == ofatDontChange && rng() % 2)
        r.SearchActionType = ofatReplace;
    if (r.SearchActionType == ofatRenameFile)
        r.Target.tsText = QStringLiteral("renamed%1.txt").arg(rng() % 3);
    if (r.SearchActionType == ofatDelete)
        r.Target.tsText.clear();
    QStringList cps;
    for (int n = 1 + int(rng() % 2); n > 0; --n)
        cps << pages[rng() % std::size(pages)];
    r.Source.ssCLBCP = cps.join(',');
    r.Source.sbCaseSensitive = rng() % 2;
    r.Source.sbWholeWords = rng() % 4 == 0;
    r.Source.sbIgnoreMode = !r.Source.sbAS && rng() % 5 == 0;
    r.Source.sbSaveCP = rng() % 2;
    r.Source.sbStopCPChange = rng() % 2;
    r.Source.siCharCount = rng() % 3 == 0 ? 4 : 0;
    r.Target.tbRepeat = rng() % 4 == 0;
    r.Target.tbConfirmReplace = false;
    r.Target.tbShowHint = false;
    return r;
}

// Every file below a folder: relative path and bytes.
std::map<QString, std::string> Snapshot(const QString& root) {
    std::map<QString, std::string> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        QFile f(p);
        std::string bytes;
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray a = f.readAll();
            bytes.assign(a.constData(), std::size_t(a.size()));
        }
        out[QDir(root).relativeFilePath(p)] = bytes;
    }
    return out;
}

// A run that has not ended by then is taken as hung: it is stopped, and fails.
constexpr qint64 kHungAfterMs = 60000;

class RunAheadTest : public TempDirTest {
protected:
    struct Outcome {
        QStringList report;
        std::map<QString, std::string> tree, outputs;
        int steps = 0;
        bool hung = false;
    };
    // How the read-ahead runs; off: every file goes through the loop.
    struct Ahead {
        bool on = false;
        std::int64_t budget = 0, fileLimit = 0; // 0: its own
        // Called at every pump with the copy's folder and the files done.
        std::function<void(const QString& root, int done)> onPump;
    };

    // One run over a copy of the tree in `name`; the report with the copy's
    // folder written as "<root>".
    Outcome Run(const QString& name, const std::map<QString, std::string>& tree, const QStringList& order,
                std::vector<TSRInfo> rules, const std::vector<bool>& checked, const TRunOptions& options,
                const QVector<int>& scheme, const Ahead& ahead) {
        const QString root = path(name + "/tree");
        const QString out = path(name + "/out");
        writeFile(name + "/in/names.txt", "one\r\ntwo\r\nthree\r\n");
        for (const auto& [rel, bytes] : tree)
            writeFile(name + "/tree/" + rel, bytes);
        FakeHost host;
        for (const QString& rel : order)
            host.files << root + "/" + rel;
        for (TSRInfo& r : rules) {
            r.Target.OutFolder = out + "/";
            r.Target.InFolder = path(name + "/in") + "/";
        }
        for (std::size_t i = 0; i < rules.size(); ++i)
            host.rules.emplace_back(checked[i], rules[i]);
        host.options = options;
        for (int row : scheme)
            host.scheme.AddStep(row);
        TRERichEditRunEngine engine;
        TQuietProcessWindow window;
        TMyGauge gauge(host, {});
        TReport report;
        TProcessRun run({host, host, host, host, engine, window, gauge, report, FakeTexts(), {}, {}});
        run.ReadAhead = ahead.on;
        run.ReadAheadWorkers = 3;
        run.ReadAheadBudget = ahead.budget;
        run.ReadAheadFileLimit = ahead.fileLimit;
        Outcome o;
        // The loop pumps while it waits for the read-ahead: a run that
        // waits for ever is stopped here and fails rather than blocks.
        QElapsedTimer clock;
        clock.start();
        host.onPump = [&] {
            if (clock.elapsed() > kHungAfterMs && !o.hung) {
                o.hung = true;
                run.RequestStop();
            }
            if (ahead.onPump)
                ahead.onPump(root, host.stepsShown);
        };
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        run.AStartExecute();
        o.report = report.Lines();
        o.report.replaceInStrings(root, "<root>").replaceInStrings(out, "<out>");
        o.tree = Snapshot(root);
        o.outputs = Snapshot(out);
        o.steps = host.stepsShown;
        return o;
    }
};

TEST_F(RunAheadTest, RandomRunsGiveWhatTheLoopAloneGives) {
    static const int pages[] = {cpWin1251, cpKOI8R, cp866, cpUTF8};
    int passedOver = 0;
    for (unsigned seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        std::map<QString, std::string> tree;
        QStringList order;
        const int files = 2 + int(rng() % 20);
        for (int i = 0; i < files; ++i) {
            const QString rel = QStringLiteral("d%1/f%2.txt").arg(i % 3).arg(i);
            tree[rel] = Encode(RandomText(rng, rng() % 2 == 0), pages[rng() % 4]);
            order << rel;
        }
        if (rng() % 4 == 0)
            order << order[int(rng() % order.size())]; // a file listed twice
        if (rng() % 4 == 0)
            order << "missing.txt";
        std::vector<TSRInfo> rules;
        std::vector<bool> checked;
        for (int n = 1 + int(rng() % 3); n > 0; --n) {
            rules.push_back(RandomRule(rng, rules.empty()));
            checked.push_back(rng() % 5 != 0);
        }
        checked[0] = true;
        TRunOptions options;
        options.Convert = rng() % 4 == 0;
        QVector<int> scheme;
        if (options.Convert)
            scheme << FindConversion(cpAutomatic, rng() % 2 ? cpWin1251 : cpUTF8);

        const Outcome loop = Run(QStringLiteral("s%1/loop").arg(seed), tree, order, rules, checked, options, scheme,
                                 {});
        const Outcome ahead = Run(QStringLiteral("s%1/ahead").arg(seed), tree, order, rules, checked, options, scheme,
                                  {true, 0, 0, {}});
        EXPECT_EQ(ahead.report, loop.report);
        EXPECT_TRUE(ahead.tree == loop.tree);
        EXPECT_TRUE(ahead.outputs == loop.outputs);
        EXPECT_EQ(ahead.steps, loop.steps);
        passedOver += int(std::count_if(loop.tree.begin(), loop.tree.end(),
                                        [&](const auto& f) { return tree.count(f.first) && tree.at(f.first) == f.second; }));
    }
    EXPECT_GT(passedOver, 0); // some files were left as they were
}

// Files as large as the read-ahead's budget and its file limit, in random
// order, with finds in every file, in none or in some: every run ends, and
// gives what the loop alone gives, also when files grow after the workers
// read them.
TEST_F(RunAheadTest, RunsOverFilesAroundTheBudgetEndAndGiveWhatTheLoopAloneGives) {
    constexpr std::int64_t kBudget = 48 << 10, kLimit = 80 << 10;
    static const std::int64_t sizes[] = {kBudget / 2 - 1, kBudget / 2, kBudget / 2 + 1, kBudget - 1, kBudget,
                                         kBudget + 1,     kLimit - 1,  kLimit,          kLimit + 1};
    static const int pages[] = {cpWin1251, cpKOI8R, cp866, cpUTF8};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed * 7919);
        const int finds = int(seed % 3); // 0: in no file, 1: in every file, 2: in some
        std::map<QString, std::string> tree;
        QStringList order;
        const int files = 8 + int(rng() % 17);
        for (int i = 0; i < files; ++i) {
            const QString rel = QStringLiteral("d%1/f%2.txt").arg(i % 3).arg(i);
            const bool withMatches = finds == 1 || (finds == 2 && rng() % 2);
            // Near the budget's quarters, its half and whole, and the file limit.
            const std::int64_t size = rng() % 3 ? std::int64_t(kBudget / 8 + rng() % (kLimit + kBudget / 4))
                                                : sizes[rng() % std::size(sizes)];
            std::string bytes;
            while (std::int64_t(bytes.size()) < size)
                bytes += Encode(RandomText(rng, withMatches), pages[rng() % 4]) + " ";
            bytes.resize(std::size_t(size), ' ');
            tree[rel] = bytes;
            order << rel;
        }
        std::shuffle(order.begin(), order.end(), rng);
        std::vector<TSRInfo> rules;
        std::vector<bool> checked;
        for (int n = 1 + int(rng() % 2); n > 0; --n) {
            TSRInfo r = RandomRule(rng, rules.empty());
            // Actions that write beside the tree or rename are the other test's.
            if (r.SearchActionType == ofatWriteToFile || r.SearchActionType == ofatRenameFile)
                r.SearchActionType = ofatReplace;
            r.Target.tbRepeat = false;
            rules.push_back(r);
            checked.push_back(true);
        }
        // Once the loop is past the first file, the odd files after the one
        // it is at grow, some beyond the file limit and with a find.
        bool grown = seed % 4 != 0;
        const auto onPump = [&](const QString& root, int done) {
            if (grown || done < 1)
                return;
            grown = true;
            for (int k = done + 1; k < order.size(); k += 2) {
                QFile f(root + "/" + order[k]);
                ASSERT_TRUE(f.open(QIODevice::Append));
                f.write(" ab id=5 ");
                f.write(QByteArray(k * 7919 % (kLimit / 2), 'z'));
            }
        };
        const Outcome loop = Run(QStringLiteral("b%1/loop").arg(seed), tree, order, rules, checked, {}, {},
                                 {false, 0, 0, onPump});
        grown = seed % 4 != 0;
        const Outcome ahead = Run(QStringLiteral("b%1/ahead").arg(seed), tree, order, rules, checked, {}, {},
                                  {true, kBudget, kLimit, onPump});
        ASSERT_FALSE(ahead.hung);
        EXPECT_EQ(ahead.report, loop.report);
        EXPECT_TRUE(ahead.tree == loop.tree);
        EXPECT_EQ(ahead.steps, loop.steps);
    }
}

// The workers: a file in which no rule finds anything in any of its code
// pages is told apart from one with a find in any of them; what they cannot
// take (missing, too big, left to the loop) stays unknown.
TEST_F(RunAheadTest, WorkersTellFilesWithoutFindsApart) {
    const QString plain = writeFile("plain.txt", "nothing here");
    const QString koi = writeFile("koi.txt", Encode("\xE4\xE0", cpKOI8R));
    const QString hit = writeFile("hit.txt", "id=5");
    const QString skipped = writeFile("skipped.txt", "nothing");
    const QString big = writeFile("big.txt", std::string(std::size_t(TReadAhead::kFileLimit) + 1, 'z'));
    TSRInfo cyr = ReplaceRule(bw::decode1251("\xE4\xE0"), "x", "Win-1251,KOI8-R");
    TSRInfo pattern = ReplaceRule("id=[D1]", "x");
    pattern.Source.sbAS = true;
    std::vector<TReadAhead::TRule> rules;
    ASSERT_TRUE(TReadAhead::MakeRules({&cyr, &pattern}, rules));
    TReadAhead ahead({plain, koi, hit, skipped, big, path("none.txt")}, rules, {false, false, false, true, false, false},
                     2);
    const auto wait = [&](int k) {
        TFileStamp stamp;
        return ahead.Wait(k, stamp, [] { return true; });
    };
    using F = TReadAhead::TFinding;
    EXPECT_EQ(wait(0), F::NoFinds);
    EXPECT_EQ(wait(1), F::Finds);
    EXPECT_EQ(wait(2), F::Finds);
    EXPECT_EQ(wait(3), F::Unknown);
    EXPECT_EQ(wait(4), F::Unknown);
    EXPECT_EQ(wait(5), F::Unknown);
    // A file with finds is handed over as it was read, once.
    std::string text;
    TFileStamp stamp;
    EXPECT_TRUE(ahead.TakeText(2, text, stamp));
    EXPECT_EQ(text, "id=5");
    EXPECT_TRUE(FileMatchesStamp(hit, stamp));
    EXPECT_FALSE(ahead.TakeText(2, text, stamp));
    EXPECT_FALSE(ahead.TakeText(0, text, stamp)); // nothing kept of a file without finds

    TSRInfo broken = ReplaceRule("[D", "x");
    broken.Source.sbAS = true;
    EXPECT_FALSE(TReadAhead::MakeRules({&cyr, &broken}, rules));
}

// Texts kept for files the loop has had never hold the budget against a
// later one, not even one larger than the whole budget; and what is handed
// over is what the files hold.
TEST_F(RunAheadTest, FilesHandedOverNeverHoldTheBudgetAgainstTheNext) {
    TSRInfo rule = ReplaceRule("id=5", "x");
    std::vector<TReadAhead::TRule> rules;
    ASSERT_TRUE(TReadAhead::MakeRules({&rule}, rules));
    constexpr std::int64_t kBudget = 64 << 10;
    QStringList files;
    std::vector<std::string> bytes;
    for (std::int64_t size : {10 << 10, 10 << 10, 10 << 10, 10 << 10, 10 << 10, 10 << 10, 100 << 10, 40 << 10}) {
        bytes.push_back("id=5 " + std::string(std::size_t(size - 5), char('a' + bytes.size())));
        files << writeFile(QStringLiteral("f%1.txt").arg(bytes.size()), bytes.back());
    }
    TReadAhead ahead(files, rules, std::vector<bool>(bytes.size(), false), 3, {1 << 20, kBudget});
    QElapsedTimer clock;
    clock.start();
    // The loop has each file without taking its text: the next must still come.
    for (int k = 0; k < files.size(); ++k) {
        TFileStamp stamp;
        EXPECT_EQ(ahead.Wait(k, stamp, [&] { return clock.elapsed() < 10000; }), TReadAhead::TFinding::Finds) << k;
    }
    for (int k = 0; k < files.size(); ++k) {
        std::string text;
        TFileStamp stamp;
        if (ahead.TakeText(k, text, stamp)) {
            EXPECT_EQ(text, bytes[std::size_t(k)]) << k;
        }
    }
}

} // namespace
} // namespace bw::test
