// The processing run against its peers, each a whole process on an identical
// copy of a generated tree, timed in pairs: sed -i and perl -0777 -pi over the
// files grep -rl lists for the replace rules; grep -c -r (one core) and
// ripgrep (every core) for a report-only rule. Each figure is the median of
// the ratios of the pairs over the rounds; the run's peak memory is taken
// from the kernel's account of the child process.
//
//   bench_run_peers [work folder, default /tmp] [rounds, default 5] [trees, default all]
//
// Trees (Windows-1251 Russian and English text, CR LF and LF, a match in half
// the files): small 20,000 x 5 KiB, medium 5,000 x 20 KiB, large 50 x 4 MiB,
// huge one 256 MiB file; half-small (10,000 x 5 KiB) and half-large
// (50 x 2 MiB) give the growth per doubling. "gen <folder> <tree>" only
// writes a tree.
//
// The run goes through this program started again as
//   bench_run_peers ours <tree folder> <literal|pattern|report> <workers: 0 all, 1 one>

#include "app/processrun.h"
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
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kRussian[] = {
    "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xF2\xE5\xEA\xF1\xF2", "\xE4\xE0",
    "\xED\xE5\xF2", "\xE4\xEE\xEC", "\xEA\xEE\xF2", "\xE3\xEE\xF0\xEE\xE4", "\xF0\xE5\xEA\xE0", "\xEB\xE5\xF1",
    "\xCC\xEE\xF1\xEA\xE2\xE0", "\xF7\xE8\xF2\xE0\xF2\xFC", "\xEF\xE8\xF1\xE0\xF2\xFC",
};
const char* const kEnglish[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "lorem", "ipsum",
                                "idle", "need", "value", "size"};

// About `size` bytes of text; with matches, "needle" and "id=<digits>" come
// about every 400 bytes.
std::string GenerateText(std::mt19937& rng, std::size_t size, bool matches, bool crlf) {
    std::string out;
    out.reserve(size + 64);
    int word = 0;
    while (out.size() < size) {
        const unsigned r = rng() % 80;
        if (matches && r == 0)
            out += "needle";
        else if (matches && r == 1)
            out += "id=" + std::to_string(rng() % 100000);
        else if (r % 2)
            out += kRussian[rng() % std::size(kRussian)];
        else
            out += kEnglish[rng() % std::size(kEnglish)];
        out += (++word % 11 == 0) ? (crlf ? "\r\n" : "\n") : " ";
    }
    return out;
}

struct TreeShape {
    const char* name;
    int files;
    std::size_t bytes; // per file
};
const TreeShape kTrees[] = {
    {"small", 20000, 5 << 10},   {"medium", 5000, 20 << 10},   {"large", 50, 4 << 20},
    {"huge", 1, 256u << 20},     {"half-small", 10000, 5 << 10}, {"half-large", 50, 2 << 20},
};

bool WriteBytes(const QString& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

void Generate(const QString& root, const TreeShape& shape) {
    std::mt19937 rng(20261208);
    for (int i = 0; i < shape.files; ++i) {
        const std::string text = GenerateText(rng, shape.bytes, shape.files == 1 || i % 2 == 0, i % 4 < 2);
        WriteBytes(root + QStringLiteral("/d%1/e%2/f%3.txt").arg(i % 10).arg(i % 7).arg(i), text);
    }
}

QStringList ListFiles(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// ---------------------------------------------------------------------------
// The run, in the child process.

class Host : public TRunWindow, public TRunFiles, public TRunRules, public TRunScheme, public TGaugeView {
public:
    QString root;
    TSRInfo rule;
    TConversionScheme scheme;
    TRunOptions Options() const override { return {}; }
    void GetFilesToProcess(QStringList& files) override { files = ListFiles(root); }
    void RemoveAll() override {}
    int Count() const override { return 1; }
    bool Checked(int) const override { return true; }
    const TSRInfo& Rule(int) const override { return rule; }
    bool HasCheckedRules() override { return true; }
    void DeleteAll() override {}
    TConversionScheme& Scheme() override { return scheme; }
    bool AddSelectedStep() override { return false; }
    QString Title() const override { return {}; }
    void SetTitle(const QString&) override {}
    void SetPanelText(const QString&) override {}
    void SetProgress(int, int) override {}
    void SetGaugeVisible(bool) override {}
};

class QuietWindow : public TRunProcessWindow {
public:
    void Hide() override {}
    void PushCaption() override {}
    void PopCaption() override {}
    void SetCaption(const QString&) override {}
    void SetDefaultFont() override {}
    void PrepareFind() override {}
    void PrepareReplace() override {}
    void TextLoaded() override {}
};

int RunOurs(const QString& root, const QString& kind, int workers) {
    Host host;
    host.root = root;
    TSRInfo& r = host.rule;
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
    TRERichEditRunEngine engine;
    QuietWindow window;
    TMyGauge gauge(host, {});
    TReport report;
    TProcessRun run({host, host, host, host, engine, window, gauge, report, {}, {}});
    run.ReadAhead = workers != 1;
    run.AStartExecute();
    return report.Count() > 0 ? 0 : 1;
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
                if (sed && c.sed.empty())
                    continue;
                const std::string tool = sed ? "sed -i " + c.sed : "perl -0777 -pi " + c.perl;
                Pair p;
                for (int r = 0; r < rounds; ++r) {
                    Reset(pristine, a);
                    Reset(pristine, b);
                    // The order alternates so that neither side always goes first.
                    Timed ours, peer;
                    const auto runOurs = [&] { ours = Spawn({self, "ours", a.toStdString(), c.kind, "0"}); };
                    const auto runPeer = [&] {
                        peer = Shell("grep -rlZ " + c.grep + " . | xargs -0 -r " + tool, b);
                    };
                    if (r % 2) {
                        runPeer();
                        runOurs();
                    } else {
                        runOurs();
                        runPeer();
                    }
                    p.ours.push_back(ours.seconds);
                    p.peer.push_back(peer.seconds);
                    p.ratio.push_back(ours.seconds / peer.seconds);
                    p.oursRss = std::max(p.oursRss, ours.maxRssKiB);
                    if (r == 0 && Shell("diff -rq " + Q(a) + " " + Q(b) + " > /dev/null").exitCode != 0)
                        std::printf("   OUTPUTS DIFFER from %s\n", peerName);
                }
                Print(shape.name, c.what, peerName, p);
            }
        }

        // Report-only: nothing is written, one copy serves every round.
        Reset(pristine, a);
        struct Report {
            const char* what;
            const char* workers;
            std::string peer;
            const char* peerName;
        };
        const Report reports[] = {
            {"report-only, one core", "1", "grep -c -r needle . > /dev/null", "grep -c -r"},
            {"report-only, every core", "0", "rg -c needle . > /dev/null", "rg -c"},
        };
        for (const Report& c : reports) {
            Pair p;
            for (int r = 0; r < rounds; ++r) {
                Timed ours, peer;
                const auto runOurs = [&] { ours = Spawn({self, "ours", a.toStdString(), "report", c.workers}); };
                const auto runPeer = [&] { peer = Shell(c.peer, a); };
                if (r % 2) {
                    runPeer();
                    runOurs();
                } else {
                    runOurs();
                    runPeer();
                }
                p.ours.push_back(ours.seconds);
                p.peer.push_back(peer.seconds);
                p.ratio.push_back(ours.seconds / peer.seconds);
                p.oursRss = std::max(p.oursRss, ours.maxRssKiB);
            }
            Print(shape.name, c.what, c.peerName, p);
        }
    }
    Shell("rm -rf " + Q(work + "/a") + " " + Q(work + "/b"));
    return 0;
}
