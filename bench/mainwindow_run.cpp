// Times a processing run started from the main window (F9, offscreen)
// against the headless run over an identical tree, and how long a report of
// 100,000 lines takes to reach the report memo.
//
//   bench_mainwindow_run [files, default 5000] [MiB, default 100] [runs, default 3] [work folder]
//
// File creation on a disk file system varies much from run to run; a work
// folder in memory (/dev/shm) shows the difference of the two runs better.

#include "app/mainunit.h"
#include "app/processrun.h"
#include "app/quietprocesswindow.h"
#include "app/rerichrunengine.h"
#include "app/ui/fmain.h"
#include "app/ui/mainpages.h"
#include "app/ui/programentry.h"
#include "bench/headless.h"
#include "platform/prompt.h"
#include "services/backupmanager.h"
#include "services/ui/datamodule.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

// Processor time of the thread that runs (user and system), in seconds:
// less at the mercy of other programs on the machine than the time on the clock.
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Timing {
    double wall = 0, cpu = 0;
};

const char* const kWords[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "lorem", "ipsum",
                              "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xE4\xEE\xEC"};

// Files of about `total / files` bytes each; every other file holds "needle"
// about every 300 bytes; 50 folders in two levels.
void Generate(const QString& root, int files, std::size_t total) {
    std::mt19937 rng(20261208);
    const std::size_t average = total / std::size_t(files);
    for (int i = 0; i < files; ++i) {
        const std::size_t size = average / 2 + rng() % average;
        std::string text;
        text.reserve(size + 16);
        int word = 0;
        while (text.size() < size) {
            const unsigned r = rng() % 64;
            text += (i % 2 == 0 && r == 0) ? "needle" : kWords[rng() % (sizeof kWords / sizeof *kWords)];
            text += (++word % 11 == 0) ? "\n" : " ";
        }
        const QString path = root + QStringLiteral("/d%1/e%2/f%3.txt").arg(i % 10).arg(i % 5).arg(i);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text.data(), qint64(text.size()));
    }
}

bool Reset(const QString& from, const QString& to) {
    QProcess p;
    p.start(QStringLiteral("/bin/bash"),
            {QStringLiteral("-c"), QStringLiteral("rm -rf '%2' && cp -a '%1' '%2' && sync").arg(from, to)});
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

TSRInfo NeedleRule() {
    TSRInfo r;
    r.Source.ssText = QStringLiteral("needle");
    r.Target.tsText = QStringLiteral("NEEDLE");
    r.Source.sbCaseSensitive = true;
    r.Source.ssCLBCP = QStringLiteral("Win-1251");
    r.Target.tbConfirmReplace = false;
    r.Target.tbShowHint = false;
    r.SearchActionType = ofatReplace;
    return r;
}

// The pages of the main window: the tree's files, one rule; for the
// headless run also the rest of the window, quiet.
class Pages : public TreeOneRule<TMainFilesPage, TMainRulesPage>, public QuietRunWindow {
public:
    Pages() { rule = NeedleRule(); }
    QWidget* Page() override { return nullptr; }
    bool SRChecked() const override { return true; }
    bool ConvertChecked() const override { return false; }
    void FocusTree() override {}
    void Clear() override {}
    void FocusList() override {}
};


// The same backup store as the window's: the copies go to the same folders.
Timing Headless(Pages& pages, TBackupManager& backups, int& lines) {
    TRERichEditRunEngine engine;
    TQuietProcessWindow window;
    TMyGauge gauge(pages, {});
    TReport report;
    TProcessRun run({pages, pages, pages, pages, engine, window, gauge, report, {},
                     [&backups](const QString& path) { return backups.MakeBackup(path); }});
    QElapsedTimer t;
    const double cpu = CpuSeconds();
    t.start();
    run.AStartExecute();
    const Timing s{double(t.nsecsElapsed()) / 1e9, CpuSeconds() - cpu};
    lines = report.Count();
    return s;
}

Timing Windowed(TFMain& main, int& lines) {
    QElapsedTimer t;
    const double cpu = CpuSeconds();
    t.start();
    main.AStart->trigger();
    const Timing s{double(t.nsecsElapsed()) / 1e9, CpuSeconds() - cpu};
    lines = main.MReport->document()->blockCount();
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int mib = argc > 2 ? std::atoi(argv[2]) : 100;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    QTemporaryDir tmp(argc > 4 ? QString::fromLocal8Bit(argv[4]) + "/mainwindow_run_XXXXXX" : QString());
    if (!tmp.isValid())
        return 1;
    qputenv("BRINDLEWICK_HOME", (tmp.path() + "/home").toLocal8Bit());
    bw::ScriptedPrompt prompt; // nothing may ask; counted below
    bw::ScopedPrompt scoped(prompt);
    const QString dir = tmp.path();
    std::printf("generating %d files, %d MiB ...\n", files, mib);
    Generate(dir + "/pristine", files, std::size_t(mib) << 20);

    InitializeMainUnit();
    SetUpApplication();
    bool ok = true;
    {
        TProgram program;
        Pages pages;
        pages.root = dir + "/work";
        program.FMain->show();
        QApplication::processEvents();
        program.FMain->SetPages(&pages, &pages);
        if (qEnvironmentVariableIsSet("BENCH_NO_BACKUP"))
            program.DMDataModule->BackupManager->Active = false;

        std::vector<Timing> headless, windowed;
        TBackupManager& backups = *program.DMDataModule->BackupManager;
        int copiesHeadless = 0, copiesWindow = 0;
        int headlessLines = 0, windowLines = 0;
        for (int r = 0; r < runs; ++r) {
            // Taken in turns, so neither side always finds the caches warm.
            for (int side = 0; side < 2; ++side) {
                ok &= Reset(dir + "/pristine", dir + "/work");
                const QByteArray only = qgetenv("BENCH_ONLY"); // "headless" or "window": one side only
                if (!only.isEmpty() && (only == "headless") != ((side + r) % 2 == 0))
                    continue;
                const int before = int(ListFiles(backups.BackupFolder()).size());
                if ((side + r) % 2 == 0)
                    headless.push_back(Headless(pages, backups, headlessLines));
                else
                    windowed.push_back(Windowed(*program.FMain, windowLines));
                (((side + r) % 2 == 0) ? copiesHeadless : copiesWindow) =
                    int(ListFiles(backups.BackupFolder()).size()) - before;
            }
        }
        const auto best = [](const std::vector<Timing>& v, double Timing::*field) {
            double b = -1;
            for (const Timing& t : v)
                if (b < 0 || t.*field < b)
                    b = t.*field;
            return b;
        };
        const double h = best(headless, &Timing::wall), hc = best(headless, &Timing::cpu);
        const double w = best(windowed, &Timing::wall), wc = best(windowed, &Timing::cpu);
        std::printf("\n%-40s %10s %10s\n", "run (best of runs)", "seconds", "processor");
        std::printf("%-40s %10.3f %10.3f   %d report lines\n", "headless core", h, hc, headlessLines);
        std::printf("%-40s %10.3f %10.3f   %d report lines\n", "main window, F9", w, wc, windowLines);
        std::printf("%-40s %10.3f %10.3f   (goal 1.15)\n", "main window / headless", w / h, wc / hc);

        // The same run: both made the same number of backup copies.
        std::printf("%-40s %10d %10d\n", "backup copies (headless, window)", copiesHeadless, copiesWindow);
        ok &= copiesHeadless == copiesWindow;

        // A report of 100,000 lines into the memo.
        program.FMain->Report.Clear();
        for (int i = 0; i < 100000; ++i)
            program.FMain->Report.Append(QStringLiteral("C:/work/folder %1/file %1.txt: 3 changes of 3 finds").arg(i));
        QElapsedTimer t;
        t.start();
        program.FMain->RefreshReport();
        QApplication::processEvents();
        const double memo = double(t.nsecsElapsed()) / 1e9;
        std::printf("%-40s %10.3f   %d lines shown (goal < 1 s)\n", "100,000 report lines to the memo", memo,
                    program.FMain->MReport->document()->blockCount());
        ok &= program.FMain->MReport->document()->blockCount() == 100000;
        ok &= prompt.asked().empty();
    }
    FinalizeMainUnit();
    std::printf("\n%s\n", ok ? "all checks passed" : "CHECKS FAILED");
    return ok ? 0 : 1;
}
