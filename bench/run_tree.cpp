// Times the processing run, headless, over a generated tree of files with one
// rule without confirmation, against sed -i and perl -0777 -pi over identical
// copies of the tree, and checks that the output trees are equal byte for byte.
//
//   bench_run_tree [files, default 5000] [MiB, default 100] [runs, default 3] [work folder] [check]
//
// With "check" only the literal case runs, with and without the test before
// each save that the file is still the one that was read.
//
// Every run starts from a fresh copy of the generated tree. Both sides are
// single-threaded: the peers get the files from grep -rl, one process per batch.

#include "app/processrun.h"
#include "bench/headless.h"
#include "app/rerichrunengine.h"
#include "engine/codepages.h"
#include "engine/processstate.h"
#include "platform/cp1251.h"
#include "services/filestamp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string kCyrillicNeedle = "\xE8\xE3\xEB\xE0";    // игла
const std::string kCyrillicReplaced = "\xC8\xC3\xCB\xC0";  // ИГЛА

// One file's Windows-1251 text of about `size` bytes; with matches, each of
// "needle", the Cyrillic needle and "id=<digits>" comes about every 300 bytes.
std::string TreeText(std::mt19937& rng, std::size_t size, bool matches, bool crlf) {
    static const std::vector<std::function<std::string(std::mt19937&)>> kinds = {
        [](std::mt19937&) { return std::string("needle"); }, [](std::mt19937&) { return kCyrillicNeedle; },
        [](std::mt19937& g) { return "id=" + std::to_string(g() % 100000); }};
    return GenerateText(rng, size, crlf, 64, matches ? kinds : decltype(kinds){});
}

std::string ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray a = f.readAll();
    return std::string(a.constData(), std::size_t(a.size()));
}

// Relative path of file i of the tree: 50 folders in two levels.
QString RelPath(int i) { return QStringLiteral("d%1/e%2/f%3.txt").arg(i % 10).arg(i % 5).arg(i); }

// Windows-1251 text in a code page of the tree.
std::string Encode(const std::string& text, int codePage) {
    if (codePage == cpWin1251)
        return text;
    TConversionContext ctx;
    return ConvertText(text, FindConversion(cpWin1251, codePage), ctx);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Tree {
    QString root;
    std::size_t bytes = 0;
    int files = 0;
    std::vector<std::string> expectedCyrillic; // the mixed tree: each file after the Cyrillic rule
};

Tree Generate(const QString& root, int files, std::size_t totalBytes, bool mixed) {
    Tree tree{root, 0, files, {}};
    std::mt19937 rng(20261208);
    const std::size_t average = totalBytes / std::size_t(files);
    for (int i = 0; i < files; ++i) {
        const std::size_t size = average / 2 + rng() % average;
        const std::string text = TreeText(rng, size, i % 2 == 0, i % 4 < 2);
        static const int pages[] = {cpWin1251, cp866, cpKOI8R, cpUTF8};
        const int page = mixed ? pages[i % 4] : cpWin1251;
        const std::string bytes = Encode(text, page);
        WriteBytes(root + "/" + RelPath(i), bytes);
        tree.bytes += bytes.size();
        if (mixed)
            tree.expectedCyrillic.push_back(Encode(ReplaceAll(text, kCyrillicNeedle, kCyrillicReplaced), page));
    }
    return tree;
}

bool Sh(const QString& script, const QString& cwd = QString()) {
    QProcess p;
    if (!cwd.isEmpty())
        p.setWorkingDirectory(cwd);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start("/bin/bash", {"-c", script});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s\n%s\n", qPrintable(script), p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// A fresh copy of the tree with every file dated an hour back, so that a
// rewrite shows in its modification time; written out before the timing starts.
bool Reset(const QString& from, const QString& to) {
    return Sh(QStringLiteral("rm -rf '%2' && cp -a '%1' '%2' && find '%2' -type f -exec touch -d '1 hour ago' {} + && sync")
                  .arg(from, to));
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double RunOurs(const QString& root, const TSRInfo& rule, int& lines, bool checkBeforeSaving = true,
               double* cpu = nullptr) {
    HeadlessRun headless(root, rule);
    TProcessRun& run = headless.run;
    run.CheckFilesBeforeSaving = checkBeforeSaving;
    QElapsedTimer t;
    const double cpuStart = CpuSeconds();
    t.start();
    run.AStartExecute();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    if (cpu)
        *cpu = CpuSeconds() - cpuStart;
    lines = headless.report.Count();
    return seconds;
}

double TimeSh(const QString& script) {
    QElapsedTimer t;
    t.start();
    if (!Sh(script))
        return -1;
    return double(t.nsecsElapsed()) / 1e9;
}

// Compares two trees file by file; prints the first difference.
bool SameTree(const QString& a, const QString& b) {
    const QStringList fa = ListFiles(a), fb = ListFiles(b);
    if (fa.size() != fb.size()) {
        std::fprintf(stderr, "trees differ in file count: %lld vs %lld\n", qlonglong(fa.size()), qlonglong(fb.size()));
        return false;
    }
    for (int i = 0; i < fa.size(); ++i)
        if (ReadBytes(fa[i]) != ReadBytes(fb[i])) {
            std::fprintf(stderr, "differs: %s\n", qPrintable(fa[i]));
            return false;
        }
    return true;
}

// Files whose modification time moved: those the run rewrote.
int Rewritten(const QString& root) {
    const QDateTime limit = QDateTime::currentDateTime().addSecs(-600);
    int n = 0;
    for (const QString& f : ListFiles(root))
        if (QFileInfo(f).lastModified() > limit)
            ++n;
    return n;
}

double Best(const std::vector<double>& times) {
    double best = -1;
    for (double t : times)
        if (t >= 0 && (best < 0 || t < best))
            best = t;
    return best;
}

struct Case {
    const char* name;
    TSRInfo rule;
    QString grepPattern; // for grep -rlZ (-E)
    QString sedExpr;     // empty: no sed
    QString perlExpr;
};

TSRInfo Rule(const std::string& search, const std::string& target, bool masked, const QString& codePage) {
    TSRInfo r;
    r.Source.ssText = bw::decode1251(search);
    r.Target.tsText = bw::decode1251(target);
    r.Source.sbAS = masked;
    r.Target.tbAS = masked;
    r.Source.sbCaseSensitive = true;
    r.Source.ssCLBCP = codePage;
    r.Target.tbConfirmReplace = false;
    r.Target.tbShowHint = false;
    r.SearchActionType = ofatReplace;
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int mib = argc > 2 ? std::atoi(argv[2]) : 100;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    QTemporaryDir tmp(argc > 4 ? QString::fromLocal8Bit(argv[4]) + "/run_tree_XXXXXX" : QString());
    if (!tmp.isValid()) {
        std::fprintf(stderr, "no work folder\n");
        return 1;
    }
    qputenv("BRINDLEWICK_HOME", tmp.path().toLocal8Bit());
    const QString dir = tmp.path();

    std::printf("generating %d files, %d MiB ...\n", files, mib);
    const Tree tree = Generate(dir + "/pristine", files, std::size_t(mib) << 20, false);
    const Tree mixed = Generate(dir + "/mixed", files, std::size_t(mib) << 20, true);
    std::printf("tree: %d files, %.1f MiB (Windows-1251); mixed tree %.1f MiB (1251, 866, KOI8-R, UTF-8)\n", tree.files,
                double(tree.bytes) / (1 << 20), double(mixed.bytes) / (1 << 20));

    // Peer programs with Cyrillic bytes go through script files, never through the command line.
    WriteBytes(dir + "/cyr.sed", "s/" + kCyrillicNeedle + "/" + kCyrillicReplaced + "/g\n");
    WriteBytes(dir + "/cyr.pl", "s/" + kCyrillicNeedle + "/" + kCyrillicReplaced + "/g;\n");
    WriteBytes(dir + "/cyr.grep", kCyrillicNeedle + "\n");

    const Case cases[] = {
        {"literal ASCII  needle -> NEEDLE", Rule("needle", "NEEDLE", false, "Win-1251"), "-e needle",
         "-e 's/needle/NEEDLE/g'", "-e 's/needle/NEEDLE/g'"},
        {"literal Cyrillic", Rule(kCyrillicNeedle, kCyrillicReplaced, false, "Win-1251"), "-f '" + dir + "/cyr.grep'",
         "-f '" + dir + "/cyr.sed'", "'" + dir + "/cyr.pl'"},
        {"pattern  id=[D1] -> ID:[1B]", Rule("id=[D1]", "ID:[1B]", true, "Win-1251"), "-E -e 'id=[0-9]'",
         "-E -e 's/id=([0-9]+)/ID:\\1/g'", "-e 's/id=(\\d+)/ID:$1/g'"},
    };

    bool ok = true;
    const bool onlyCheck = argc > 5 && QByteArray(argv[5]) == "check";
    double cyrillic1251 = -1;
    std::printf("\n%-34s %10s %10s %10s %8s %8s\n", "case (best of runs, seconds)", "ours", "sed -i", "perl -pi",
                "ours/sed", "ours/perl");
    for (const Case& c : cases) {
        if (onlyCheck)
            break;
        std::vector<double> ours, sed, perl;
        int lines = 0, rewritten = 0;
        for (int r = 0; r < runs; ++r) {
            ok &= Reset(tree.root, dir + "/ours");
            ours.push_back(RunOurs(dir + "/ours", c.rule, lines));
            rewritten = Rewritten(dir + "/ours");
            if (!c.sedExpr.isEmpty()) {
                ok &= Reset(tree.root, dir + "/sed");
                sed.push_back(TimeSh(QStringLiteral("cd '%1' && grep -rlZ %2 . | xargs -0 -r sed -i %3")
                                         .arg(dir + "/sed", c.grepPattern, c.sedExpr)));
            }
            ok &= Reset(tree.root, dir + "/perl");
            perl.push_back(TimeSh(QStringLiteral("cd '%1' && grep -rlZ %2 . | xargs -0 -r perl -0777 -pi %3")
                                      .arg(dir + "/perl", c.grepPattern, c.perlExpr)));
        }
        const bool sameSed = sed.empty() || SameTree(dir + "/ours", dir + "/sed");
        const bool samePerl = SameTree(dir + "/ours", dir + "/perl");
        ok &= sameSed && samePerl && rewritten == files / 2;
        const double o = Best(ours), s = Best(sed), p = Best(perl);
        std::printf("%-34s %10.3f %10.3f %10.3f %8.2f %8.2f   outputs %s, rewritten %d of %d, %d report lines\n",
                    c.name, o, s, p, s > 0 ? o / s : 0.0, p > 0 ? o / p : 0.0,
                    sameSed && samePerl ? "equal" : "DIFFER", rewritten, files, lines);
        if (&c == &cases[1])
            cyrillic1251 = o;
    }

    // The literal case with and without the test, before each save, that the
    // file is still the one read: runs alternate so both see the same machine.
    {
        std::vector<double> with, without, withCpu, withoutCpu;
        int lines = 0;
        for (int r = 0; r < 2 * runs; ++r) {
            const bool check = (r % 4 == 1 || r % 4 == 2); // without, with, with, without, ...
            ok &= Reset(tree.root, dir + "/ours");
            double cpu = 0;
            (check ? with : without).push_back(RunOurs(dir + "/ours", cases[0].rule, lines, check, &cpu));
            (check ? withCpu : withoutCpu).push_back(cpu);
            if (r == 0)
                ok &= Reset(dir + "/ours", dir + "/unchecked");
        }
        // The check alone: one stamp test per file of the tree, best of the runs.
        const QStringList all = ListFiles(dir + "/ours");
        std::vector<TFileStamp> stamps;
        for (const QString& f : all)
            stamps.push_back(TakeFileStamp(f));
        std::vector<double> checks;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            int matching = 0;
            for (int i = 0; i < all.size(); ++i)
                matching += FileMatchesStamp(all[i], stamps[std::size_t(i)]);
            checks.push_back(double(t.nsecsElapsed()) / 1e9);
            ok &= matching == all.size();
        }
        std::printf("%-34s %10.4f s for %lld files, %.2f%% of the run without it\n", "the check alone", Best(checks),
                    qlonglong(all.size()), 100.0 * Best(checks) / Best(without));
        const bool same = SameTree(dir + "/ours", dir + "/unchecked") && Rewritten(dir + "/ours") == files / 2;
        ok &= same;
        const double w = Best(with), wo = Best(without), wc = Best(withCpu), woc = Best(withoutCpu);
        std::printf("%-34s %10.3f %10.3f (without) %+.1f%%; processor time %.3f / %.3f %+.1f%%   outputs %s\n",
                    "literal ASCII, file check before save", w, wo, wo > 0 ? 100.0 * (w / wo - 1) : 0.0, wc, woc,
                    woc > 0 ? 100.0 * (wc / woc - 1) : 0.0, same ? "equal" : "DIFFER");
    }

    // The Cyrillic rule with the code page "Automatic" over the mixed tree:
    // no peer; compared with the same rule over the Windows-1251 tree.
    if (!onlyCheck) {
        TSRInfo rule = Rule(kCyrillicNeedle, kCyrillicReplaced, false, "Automatic");
        std::vector<double> ours;
        int lines = 0;
        for (int r = 0; r < runs; ++r) {
            ok &= Reset(mixed.root, dir + "/ours");
            ours.push_back(RunOurs(dir + "/ours", rule, lines));
        }
        bool same = true;
        for (int i = 0; i < files && same; ++i)
            if (ReadBytes(dir + "/ours/" + RelPath(i)) != mixed.expectedCyrillic[std::size_t(i)]) {
                std::fprintf(stderr, "automatic: differs: %s\n", qPrintable(RelPath(i)));
                same = false;
            }
        const int rewritten = Rewritten(dir + "/ours");
        ok &= same && rewritten == files / 2;
        const double o = Best(ours);
        std::printf("%-34s %10.3f %10s %10s %8s %8s   x%.2f of the Win-1251 case, outputs %s, rewritten %d of %d\n",
                    "Cyrillic, code page Automatic", o, "-", "-", "-", "-", cyrillic1251 > 0 ? o / cyrillic1251 : 0.0,
                    same ? "as expected" : "DIFFER", rewritten, files);
    }
    std::printf("\n%s\n", ok ? "all outputs checked" : "CHECKS FAILED");
    return ok ? 0 : 1;
}
