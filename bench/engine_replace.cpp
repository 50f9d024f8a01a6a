// Times one rule over one large file, load to save, against perl and sed run on
// identical copies of the same file, and checks that all outputs are equal.
//
//   bench_engine_replace [size in MiB, default 64] [rounds, default 5] [work folder, default a temp folder]
//
// Then a rule that writes each of 100,000 matches to one output file, against
// the same rule without its output block.

#include "engine/rerichedit.h"
#include "services/fileroutines.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// Mixed Latin and Windows-1251 Cyrillic words in CR LF lines, with "id=<digits>"
// and the literal "needle" placed so that each occurs about once per 64 bytes.
std::string generateText(std::size_t size) {
    static const char* const words[] = {
        "the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "lorem", "ipsum",
        "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xD2\xE5\xEA\xF1\xF2", "\xE4\xE0",
        "idx", "id", "i=d", "needl", "eedle",
    };
    std::mt19937 rng(12345);
    std::string out;
    out.reserve(size + 256);
    std::size_t line = 0;
    while (out.size() < size) {
        const unsigned r = rng() % 12;
        if (r == 0)
            out += "id=" + std::to_string(rng() % 1000000);
        else if (r == 1)
            out += "needle";
        else
            out += words[rng() % (sizeof(words) / sizeof(words[0]))];
        if (++line % 12 == 0)
            out += "\r\n";
        else
            out += ' ';
    }
    out.resize(size);
    return out;
}

bool writeBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::string readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray a = f.readAll();
    return std::string(a.constData(), static_cast<std::size_t>(a.size()));
}

// Runs a command and returns its wall time in seconds, or -1 when it failed.
double timeCommand(const QString& program, const QStringList& args) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return -1;
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

struct EngineRun {
    double seconds = -1;
    double load = 0, process = 0, save = 0;
    int replacements = 0;
};

// Load, one pass of the rule without confirmation, save: what the run does for one file.
EngineRun timeEngine(const QString& path, const std::string& search, bool maskedSource,
                     const std::string& target, bool maskedTarget) {
    EngineRun result;
    QElapsedTimer t;
    t.start();
    std::string text;
    if (!LoadFileToString(path, text))
        return result;
    TRERichEdit engine;
    engine.LoadFromString(std::move(text));
    engine.Options.soMaskedSource = maskedSource;
    engine.Options.soMaskedTarget = maskedTarget;
    engine.SearchOptions = {stMatchCase};
    engine.ActionMode.OnFoundActionType = ofatReplace;
    engine.SetSourceText(search);
    engine.SetTargetText(target);
    result.load = static_cast<double>(t.nsecsElapsed()) / 1e9;
    engine.StartPos = 0;
    engine.ProcessAll();
    result.process = static_cast<double>(t.nsecsElapsed()) / 1e9 - result.load;
    if (engine.Modified() && !SaveStringToFile(path, engine.Text()))
        return result;
    result.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    result.save = result.seconds - result.load - result.process;
    result.replacements = engine.Counters.PassCounters.PassReplacements;
    return result;
}

struct Case {
    const char* name;
    std::string search;
    bool maskedSource;
    std::string target;
    bool maskedTarget;
    QString perlExpr;
    QString sedExpr; // empty: no sed run
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// Runs each tool `rounds` times on fresh copies and prints the median times.
bool runCase(const QDir& dir, const QString& original, const Case& c, int rounds) {
    const QString enginePath = dir.filePath("engine.txt");
    const QString perlPath = dir.filePath("perl.txt");
    const QString sedPath = dir.filePath("sed.txt");
    std::vector<double> engine, load, pass, save, perl, sed;
    EngineRun e;
    bool same = true;
    for (int round = 0; round < rounds; ++round) {
        for (const QString& p : {enginePath, perlPath, sedPath}) {
            QFile::remove(p);
            if (!QFile::copy(original, p)) {
                std::fprintf(stderr, "cannot copy %s\n", qPrintable(original));
                return false;
            }
        }
        e = timeEngine(enginePath, c.search, c.maskedSource, c.target, c.maskedTarget);
        if (e.seconds < 0)
            return false;
        engine.push_back(e.seconds);
        load.push_back(e.load);
        pass.push_back(e.process);
        save.push_back(e.save);
        perl.push_back(timeCommand("perl", {"-0777", "-pi", "-e", c.perlExpr, perlPath}));
        if (!c.sedExpr.isEmpty())
            sed.push_back(timeCommand("sed", {"-i", c.sedExpr, sedPath}));
        const std::string perlOut = readBytes(perlPath);
        same = same && readBytes(enginePath) == perlOut && perlOut != readBytes(original);
        if (!c.sedExpr.isEmpty())
            same = same && readBytes(sedPath) == perlOut;
    }
    const double enginePerl = median(engine) / median(perl);
    std::printf("%-26s replacements %8d  engine %7.3f s  perl %7.3f s", c.name, e.replacements, median(engine),
                median(perl));
    if (!c.sedExpr.isEmpty())
        std::printf("  sed %7.3f s", median(sed));
    std::printf("  engine/perl %.2f  outputs %s\n", enginePerl, same ? "equal" : "DIFFER");
    std::printf("%-26s engine: load %.3f s, pass %.3f s, save %.3f s (medians of %d)\n", "", median(load),
                median(pass), median(save), rounds);
    return same;
}

// A rule whose output block writes each of 100,000 matches to one output file,
// against the same rule without the output block; the output file must hold
// every match in order.
bool runOutputsCase(const QDir& dir, int rounds) {
    constexpr int kMatches = 100000;
    std::string text, expected;
    for (int i = 0; i < kMatches; ++i) {
        text += "id=" + std::to_string(i) + (i % 10 == 9 ? "\r\n" : " ");
        expected += "ID:" + std::to_string(i);
    }
    const QString path = dir.filePath("outputs.txt");
    const QString output = dir.filePath("out/ids.txt");
    const auto once = [&](const std::string& target) {
        QFile::remove(output);
        if (!writeBytes(path, text))
            return -1.0;
        QElapsedTimer t;
        t.start();
        std::string loaded;
        if (!LoadFileToString(path, loaded))
            return -1.0;
        TRERichEdit engine;
        engine.SetOutFolder(dir.filePath("out") + "/");
        engine.LoadFromString(std::move(loaded));
        engine.Options.soMaskedSource = true;
        engine.Options.soMaskedTarget = true;
        engine.SearchOptions = {stMatchCase};
        engine.ActionMode.OnFoundActionType = ofatReplace;
        engine.SetSourceText("id=[D1]");
        engine.SetTargetText(target);
        engine.StartPos = 0;
        engine.ProcessAll();
        if (!SaveStringToFile(path, engine.Text()) || engine.Counters.PassCounters.PassReplacements != kMatches)
            return -1.0;
        return static_cast<double>(t.nsecsElapsed()) / 1e9;
    };
    std::vector<double> with, without;
    bool same = true;
    for (int round = 0; round < rounds; ++round) {
        without.push_back(once("ID:[1B]"));
        with.push_back(once("[O\"ids.txt\"]ID:[1B][O]"));
        same = same && readBytes(output) == expected;
    }
    const double w = median(with), wo = median(without);
    std::printf("%-26s matches %8d  with outputs %7.3f s  without %7.3f s  ratio %.2f  output file %s\n",
                "[O] of every match", kMatches, w, wo, wo > 0 ? w / wo : 0.0, same ? "as expected" : "DIFFERS");
    return same && w > 0 && wo > 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::size_t mib = argc > 1 ? std::stoul(argv[1]) : 64;
    const int rounds = argc > 2 ? std::max(1, std::stoi(argv[2])) : 5;
    QTemporaryDir tmp;
    const QDir dir(argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path());
    const QString original = dir.filePath("original.txt");
    if (!writeBytes(original, generateText(mib << 20))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(original));
        return 1;
    }
    std::printf("file: %zu MiB\n", mib);
    const Case cases[] = {
        {"literal needle -> NEEDLE!", "needle", false, "NEEDLE!", false, "s/needle/NEEDLE!/g", "s/needle/NEEDLE!/g"},
        {"id=[D1] -> ID:[1B]", "id=[D1]", true, "ID:[1B]", true, "s/id=(\\d+)/ID:$1/g", ""},
    };
    bool ok = true;
    for (const Case& c : cases)
        ok = runCase(dir, original, c, rounds) && ok;
    ok = runOutputsCase(dir, rounds) && ok;
    return ok ? 0 : 1;
}
