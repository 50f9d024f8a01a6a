// Times Apply through the plug-in host over a generated tree of files with
// "Simple Changer" set to CR LF -> LF, against dos2unix over an identical copy
// of the tree (files found with find, one dos2unix process per xargs batch),
// both single-threaded, and compares the two trees byte for byte. Each run
// starts from a freshly written tree. Ours is timed with backups off (the
// comparison) and with backups on.
//
//   bench_pluginhost [files, default 5000] [MiB in all, default 100] [runs, default 3] [work folder]

#include "app/pluginhost.h"
#include "app/simplechanger.h"
#include "app/ui/pluginspage.h"
#include "services/backupmanager.h"
#include "services/fileroutines.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kWords[] = {
    "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xF2\xE5\xEA\xF1\xF2", "\xE4\xE0",
    "\xED\xE5\xF2", "\xE4\xEE\xEC", "\xCC\xEE\xF1\xEA\xE2\xE0", "\xDF\xED\xE2\xE0\xF0\xFC", "the", "quick",
    "brown", "fox", "jumps", "over", "lazy", "dog", "lorem", "ipsum",
};
constexpr std::size_t kWordCount = sizeof kWords / sizeof *kWords;

// CR LF line ends and no lone CR; some empty lines.
std::string GenerateFile(std::mt19937& rng, std::size_t size) {
    std::string out;
    out.reserve(size + 128);
    while (out.size() < size) {
        if (rng() % 12 == 0) {
            out += "\r\n";
            continue;
        }
        const unsigned words = 1 + rng() % 14;
        for (unsigned w = 0; w < words; ++w) {
            if (w)
                out += ' ';
            out += kWords[rng() % kWordCount];
        }
        out += "\r\n";
    }
    return out;
}

struct TFile {
    QString Relative;
    std::string Bytes;
};

bool WriteTree(const QString& root, const std::vector<TFile>& files) {
    QDir(root).removeRecursively();
    for (const TFile& f : files) {
        const QString path = root + f.Relative;
        if (!QDir().mkpath(QFileInfo(path).path()) || !SaveStringToFile(path, f.Bytes))
            return false;
    }
    return true;
}

QStringList ListTree(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

bool Sh(const QString& command) {
    const int rc = std::system(("LC_ALL=C " + command).toLocal8Bit().constData());
    if (rc != 0)
        std::fprintf(stderr, "failed (%d): %s\n", rc, qPrintable(command));
    return rc == 0;
}

struct TTimes {
    double Wall = 1e9;
    double Cpu = 1e9; // processor time of this process alone
};

void Time(TTimes& best, const std::function<bool()>& step, bool& ok) {
    QElapsedTimer t;
    const std::clock_t c0 = std::clock();
    t.start();
    ok = step() && ok;
    const double wall = double(t.nsecsElapsed()) / 1e9;
    best.Wall = std::min(best.Wall, wall);
    best.Cpu = std::min(best.Cpu, double(std::clock() - c0) / CLOCKS_PER_SEC);
}

class NoGaugeView : public TGaugeView {
public:
    QString Title() const override { return title_; }
    void SetTitle(const QString& t) override { title_ = t; }
    void SetPanelText(const QString&) override {}
    void SetProgress(int, int) override {}
    void SetGaugeVisible(bool) override {}

private:
    QString title_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int fileCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const int mib = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    QTemporaryDir tmp(argc > 4 ? QString::fromLocal8Bit(argv[4]) + "/pluginhost_XXXXXX" : QString());
    if (!tmp.isValid()) {
        std::fprintf(stderr, "no work folder\n");
        return 1;
    }
    const QString dir = tmp.path() + "/";
    // The plug-in's own settings go to the work folder.
    qputenv("BRINDLEWICK_HOME", QFile::encodeName(dir + "home"));
    QDir().mkpath(dir + "home");

    std::printf("generating %d files, %d MiB in all ...\n", fileCount, mib);
    std::mt19937 rng(20261208);
    const std::size_t each = (std::size_t(mib) << 20) / std::size_t(fileCount);
    std::vector<TFile> files;
    std::size_t total = 0;
    for (int i = 0; i < fileCount; ++i) {
        // Sizes spread between half and one and a half times the mean.
        const std::size_t size = each / 2 + rng() % (each + 1);
        TFile f{QString("d%1/e%2/file%3.txt").arg(i % 25).arg(i % 7).arg(i), GenerateFile(rng, size)};
        total += f.Bytes.size();
        files.push_back(std::move(f));
    }
    std::printf("%zu bytes\n", total);

    // "Simple Changer" as the user left it: option 1 only, checked on the page.
    TPluginHost host(BuiltInPlugins());
    host.Link();
    if (host.Count() < 1 || host.Name(0) != QLatin1String(SimpleChangerName))
        return 1;
    host.SetChecked(0, true);
    {
        TPluginSelection selection(SimpleChangerOptionCount, false);
        selection[1] = true;
        PluginIniFile(QString::fromLatin1(SimpleChangerIniName), SimpleChangerOptionCount).Write(selection);
    }

    const QString ours = dir + "ours/";
    const QString theirs = dir + "theirs/";
    TBackupManager backups;
    backups.SetBackupFolder(dir + "backups");
    backups.SetMaxBackupCount(5);

    NoGaugeView view;
    TReport report;
    TMyReporter reporter(report);
    TMyGauge gauge(view, {});
    QStringList filesToProcess;
    TApplyParts parts(filesToProcess);
    parts.GetFilesToProcess = [&](QStringList& out) { out = ListTree(ours); };
    parts.BeforeRun = [&] {
        gauge.Start(int(filesToProcess.size()));
        report.Clear();
    };
    parts.AfterRun = [&] { gauge.Finish(); };
    parts.PumpEvents = [] { QCoreApplication::processEvents(); };
    parts.Gauge = &gauge;
    parts.Reporter = &reporter;

    TTimes oursOff, oursOn, peer;
    bool ok = true;
    for (int r = 0; r < runs; ++r) {
        ok = WriteTree(ours, files) && WriteTree(theirs, files) && ok;
        Sh("sync");
        parts.MakeBackup = {};
        Time(oursOff, [&] { host.Apply(parts); return report.Count() == fileCount; }, ok);
        Time(peer, [&] { return Sh("find '" + theirs + "' -type f -print0 | xargs -0 dos2unix -q"); }, ok);
    }
    bool same = ok;
    for (const TFile& f : files) {
        std::string a, b;
        if (!LoadFileToString(ours + f.Relative, a) || !LoadFileToString(theirs + f.Relative, b) || a != b) {
            same = false;
            std::fprintf(stderr, "differs: %s\n", qPrintable(f.Relative));
            break;
        }
        if (a.find('\r') != std::string::npos)
            same = false;
    }
    for (int r = 0; r < runs; ++r) {
        ok = WriteTree(ours, files) && ok;
        QDir(dir + "backups").removeRecursively();
        Sh("sync");
        parts.MakeBackup = [&](const QString& p) { return backups.MakeBackup(p); };
        Time(oursOn, [&] { host.Apply(parts); return report.Count() == fileCount; }, ok);
    }

    const double mibTotal = double(total) / (1 << 20);
    std::printf("\n%-34s %9s %9s %9s\n", "best of runs", "wall s", "cpu s", "MiB/s");
    std::printf("%-34s %9.3f %9.3f %9.1f\n", "Apply, backups off", oursOff.Wall, oursOff.Cpu, mibTotal / oursOff.Wall);
    std::printf("%-34s %9.3f %9s %9.1f\n", "find | xargs dos2unix", peer.Wall, "-", mibTotal / peer.Wall);
    std::printf("%-34s %9.3f %9.3f %9.1f\n", "Apply, backups on", oursOn.Wall, oursOn.Cpu, mibTotal / oursOn.Wall);
    std::printf("\nratio ours/dos2unix (backups off): %.2f (goal: at most 1.00)\noutputs: %s\n",
                oursOff.Wall / peer.Wall, same ? "equal" : "DIFFER");
    return ok && same ? 0 : 1;
}
