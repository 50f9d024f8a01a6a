// The processing run against its peers, each a whole process on an identical
// copy of a generated tree, timed in pairs: sed -i and perl -0777 -pi over the
// files grep -rl lists for the replace rules; grep -c -r (one core) and
// ripgrep (every core) for a report-only rule, and the run with its
// read-ahead against the run with the loop alone. Each figure is the median of
// the ratios of the pairs over the rounds; the run's peak memory is taken
// from the kernel's account of the child process.
//
//   bench_run_peers [work folder, default /tmp] [rounds, default 5] [trees, default all]
//
// Trees (Windows-1251 Russian and English text, CR LF and LF, a match in half
// the files): small 20,000 x 5 KiB, medium 5,000 x 20 KiB, large 50 x 4 MiB,
// huge one 256 MiB file; half-small (10,000 x 5 KiB) and half-large
// (50 x 2 MiB) give the growth per doubling; mib is 100 files of 3 to 7.5 MiB,
// each over the read-ahead's file limit (1 MiB), so that the read-ahead leaves
// every one to the loop: its "read-ahead" pair times the loop alone on both
// sides. "gen <folder> <tree>" only writes a tree.
//
// The run goes through this program started again as
//   bench_run_peers ours <tree folder> <literal|pattern|report> <workers: 0 all, 1 one, n that many reading ahead>

#include "app/processrun.h"
#include "bench/headless.h"
#include "app/rerichrunengine.h"
#include "engine/processstate.h"
#include "platform/cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// About `size` bytes of text; with matches, "needle" and "id=<digits>" come
// about every 400 bytes.
std::string TreeText(std::mt19937& rng, std::size_t size, bool matches, bool crlf) {
    static const std::vector<std::function<std::string(std::mt19937&)>> kinds = {
        [](std::mt19937&) { return std::string("needle"); },
        [](std::mt19937& g) { return "id=" + std::to_string(g() % 100000); }};
    return GenerateText(rng, size, crlf, 80, matches ? kinds : decltype(kinds){});
}

struct TreeShape {
    const char* name;
    int files;
    std::size_t bytes;        // per file
    std::size_t maxBytes = 0; // when set, each file's size is drawn from bytes to this
};
const TreeShape kTrees[] = {
    {"small", 20000, 5 << 10},   {"medium", 5000, 20 << 10},   {"large", 50, 4 << 20},
    {"huge", 1, 256u << 20},     {"half-small", 10000, 5 << 10}, {"half-large", 50, 2 << 20},
    {"mib", 100, 3 << 20, 15 << 19},
};

void Generate(const QString& root, const TreeShape& shape) {
    std::mt19937 rng(20261208);
    for (int i = 0; i < shape.files; ++i) {
        const std::size_t bytes = shape.maxBytes ? shape.bytes + rng() % (shape.maxBytes - shape.bytes + 1) : shape.bytes;
        const std::string text = TreeText(rng, bytes, shape.files == 1 || i % 2 == 0, i % 4 < 2);
        WriteBytes(root + QStringLiteral("/d%1/e%2/f%3.txt").arg(i % 10).arg(i % 7).arg(i), text);
    }
}

// ---------------------------------------------------------------------------
// The run, in the child process.

int RunOurs(const QString& root, const QString& kind, int workers) {
    TSRInfo r;
    r.Source.ssCLBCP = QStringLiteral("Win-1251");
    r.Source.sbCaseSensitive = true;
    r.Target.tbConfirmReplace = false;
    r.Target.tbShowHint = false;
    r.SearchActionType = ofatReplace;
    if (kind == QLatin1String("literal")) {
        r.Source.ssText = QStringLiteral("needle");
        r.Target.tsText = QStringLiteral("NEEDLE");
    } else if (kind == QLatin1String("pattern")) {
        r.Source.ssText = QStringLiteral("id=[D1]");
        r.Target.tsText = QStringLiteral("ID:[1B]");
        r.Source.sbAS = r.Target.tbAS = true;
    } else {
        r.Source.ssText = QStringLiteral("needle");
        r.SearchActionType = ofatDontChange;
    }
    HeadlessRun headless(root, r);
    headless.run.ReadAhead = workers != 1;
    if (workers > 1)
        headless.run.ReadAheadWorkers = workers;
    headless.run.AStartExecute();
    return headless.report.Count() > 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------
// The parent: copies, peers, pairs.

struct Timed {
    double seconds = -1;
    long maxRssKiB = 0;
    int exitCode = -1;
};

Timed Spawn(const std::vector<std::string>& args, const QString& cwd = {}) {
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!cwd.isEmpty() && chdir(QFile::encodeName(cwd).constData()) != 0)
            _exit(127);
        setenv("LC_ALL", "C", 1);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) {
        std::fprintf(stderr, "failed: %s\n", args.back().c_str());
        return {};
    }
    Timed out;
    out.seconds = double(t.nsecsElapsed()) / 1e9;
    out.maxRssKiB = usage.ru_maxrss;
    out.exitCode = WEXITSTATUS(status);
    // grep -c exits 1 when a file has no match; that is no failure here.
    if (WEXITSTATUS(status) > 1)
        std::fprintf(stderr, "exit %d: %s\n", WEXITSTATUS(status), args.back().c_str());
    return out;
}

Timed Shell(const std::string& script, const QString& cwd = {}) { return Spawn({"/bin/bash", "-c", script}, cwd); }

std::string Q(const QString& s) { return "'" + s.toStdString() + "'"; }

// A fresh copy of the pristine tree, written out before any timing.
void Reset(const QString& from, const QString& to) {
    Shell("rm -rf " + Q(to) + " && cp -a " + Q(from) + " " + Q(to) + " && sync");
}

double Median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Pair {
    std::vector<double> ours, peer, ratio;
    long oursRss = 0;
};

// One round of a pair; the order alternates so that neither side always goes first.
void Round(Pair& p, int round, const std::function<Timed()>& ours, const std::function<Timed()>& peer) {
    Timed o, q;
    if (round % 2) {
        q = peer();
        o = ours();
    } else {
        o = ours();
        q = peer();
    }
    p.ours.push_back(o.seconds);
    p.peer.push_back(q.seconds);
    p.ratio.push_back(o.seconds / q.seconds);
    p.oursRss = std::max(p.oursRss, o.maxRssKiB);
}

// Cases can be picked with RUN_PEERS_CASES (a list of literal, pattern, report).
bool Wanted(const char* kind) {
    const QByteArray only = qgetenv("RUN_PEERS_CASES");
    return only.isEmpty() || only.contains(kind);
}

void Print(const char* tree, const char* what, const char* peer, const Pair& p) {
    std::printf("%-11s %-26s %-13s ours %8.3f s  peer %8.3f s  ratio %5.2f  (median of %zu pairs; ours peak %ld MiB)\n",
                tree, what, peer, Median(p.ours), Median(p.peer), Median(p.ratio), p.ratio.size(), p.oursRss / 1024);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 5 && std::strcmp(argv[1], "ours") == 0)
        return RunOurs(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]), std::atoi(argv[4]));
    if (argc >= 4 && std::strcmp(argv[1], "gen") == 0) {
        for (const TreeShape& s : kTrees)
            if (std::strcmp(argv[3], s.name) == 0)
                Generate(QString::fromLocal8Bit(argv[2]), s);
        return 0;
    }

    const QString work = QString::fromLocal8Bit(argc > 1 ? argv[1] : "/tmp") + "/run_peers";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<std::string> wanted;
    for (int i = 3; i < argc; ++i)
        wanted.push_back(argv[i]);
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    qputenv("BRINDLEWICK_HOME", (work + "/home").toLocal8Bit());
    QDir().mkpath(work);

    for (const TreeShape& shape : kTrees) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), shape.name) == wanted.end())
            continue;
        const QString pristine = work + "/" + shape.name;
        if (!QFileInfo::exists(pristine + "/d0"))
            Generate(pristine, shape);
        const QString a = work + "/a", b = work + "/b";
        if (shape.maxBytes)
            std::printf("\n%s: %d files of %zu to %zu KiB\n", shape.name, shape.files, shape.bytes >> 10,
                        shape.maxBytes >> 10);
        else
            std::printf("\n%s: %d files of %zu KiB\n", shape.name, shape.files, shape.bytes >> 10);

        struct Replace {
            const char* what;
            const char* kind;
            std::string grep, sed, perl;
        };
        const Replace replaces[] = {
            {"literal needle -> NEEDLE", "literal", "-e needle", "-e 's/needle/NEEDLE/g'", "-e 's/needle/NEEDLE/g'"},
            {"pattern id=[D1] -> ID:[1B]", "pattern", "-E -e 'id=[0-9]'", "", "-e 's/id=(\\d+)/ID:$1/g'"},
        };
        for (const Replace& c : replaces) {
            for (const char* peerName : {"sed -i", "perl -0777 -pi"}) {
                const bool sed = peerName[0] == 's';
                if ((sed && c.sed.empty()) || !Wanted(c.kind))
                    continue;
                const std::string tool = sed ? "sed -i " + c.sed : "perl -0777 -pi " + c.perl;
                Pair p;
                for (int r = 0; r < rounds; ++r) {
                    Reset(pristine, a);
                    Reset(pristine, b);
                    Round(
                        p, r, [&] { return Spawn({self, "ours", a.toStdString(), c.kind, "0"}); },
                        [&] { return Shell("grep -rlZ " + c.grep + " . | xargs -0 -r " + tool, b); });
                    if (r == 0 && Shell("diff -rq " + Q(a) + " " + Q(b) + " > /dev/null").exitCode != 0)
                        std::printf("   OUTPUTS DIFFER from %s\n", peerName);
                }
                Print(shape.name, c.what, peerName, p);
            }
        }

        // Report-only: nothing is written, one copy serves every round.
        if (!Wanted("report"))
            continue;
        Reset(pristine, a);
        struct Report {
            const char* what;
            const char* workers;
            std::string peer;
            const char* peerName;
        };
        const Report reports[] = {
            // Into a file: GNU grep stops at the first match when its output is /dev/null.
            {"report-only, one core", "1", "grep -c -r needle . > " + Q(work + "/peer.out"), "grep -c -r"},
            {"report-only, every core", "0", "rg -c needle . > " + Q(work + "/peer.out"), "rg -c"},
        };
        for (const Report& c : reports) {
            Pair p;
            for (int r = 0; r < rounds; ++r)
                Round(
                    p, r, [&] { return Spawn({self, "ours", a.toStdString(), "report", c.workers}); },
                    [&] { return Shell(c.peer, a); });
            Print(shape.name, c.what, c.peerName, p);
        }
        // The read-ahead against the loop alone: it must never be the slower.
        Pair p;
        for (int r = 0; r < rounds; ++r)
            Round(
                p, r, [&] { return Spawn({self, "ours", a.toStdString(), "report", "0"}); },
                [&] { return Spawn({self, "ours", a.toStdString(), "report", "1"}); });
        Print(shape.name, "report-only, read-ahead", "loop alone", p);
    }
    Shell("rm -rf " + Q(work + "/a") + " " + Q(work + "/b"));
    return 0;
}
