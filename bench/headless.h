#pragma once

// For the benchmarks of the run: generated texts, and the main window of a
// headless run (the files of one folder, one checked rule, no questions,
// nothing shown).

#include "app/processrun.h"
#include "app/quietprocesswindow.h"
#include "app/rerichrunengine.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <random>
#include <string>
#include <vector>

// Windows-1251 bytes of the Russian words.
inline const char* const kRussian[] = {
    "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xF2\xE5\xEA\xF1\xF2", "\xE4\xE0",
    "\xED\xE5\xF2", "\xE4\xEE\xEC", "\xEA\xEE\xF2", "\xE3\xEE\xF0\xEE\xE4", "\xF0\xE5\xEA\xE0", "\xEB\xE5\xF1",
    "\xCC\xEE\xF1\xEA\xE2\xE0", "\xF7\xE8\xF2\xE0\xF2\xFC", "\xEF\xE8\xF1\xE0\xF2\xFC",
};
inline const char* const kEnglish[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "lorem", "ipsum",
                                       "idle", "need", "id", "value"};

// About `size` bytes of Russian and English words, eleven to a line ending
// in CR LF or LF. With matches, of every `period` words one of each match
// takes the place of a word.
inline std::string GenerateText(std::mt19937& rng, std::size_t size, bool crlf, unsigned period,
                                const std::vector<std::function<std::string(std::mt19937&)>>& matches) {
    std::string out;
    out.reserve(size + 64);
    int word = 0;
    while (out.size() < size) {
        const unsigned r = rng() % period;
        if (r < matches.size())
            out += matches[r](rng);
        else if (r % 2)
            out += kRussian[rng() % std::size(kRussian)];
        else
            out += kEnglish[rng() % std::size(kEnglish)];
        out += (++word % 11 == 0) ? (crlf ? "\r\n" : "\n") : " ";
    }
    return out;
}

inline bool WriteBytes(const QString& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

inline QStringList ListFiles(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// The rest of a run's window, quiet: default options, no title, no progress
// shown, no step added to the scheme.
class QuietRunWindow : public TRunWindow, public TRunScheme, public TGaugeView {
public:
    TConversionScheme scheme;
    TRunOptions Options() const override { return {}; }
    TConversionScheme& Scheme() override { return scheme; }
    bool AddSelectedStep() override { return false; }
    QString Title() const override { return {}; }
    void SetTitle(const QString&) override {}
    void SetPanelText(const QString&) override {}
    void SetProgress(int, int) override {}
    void SetGaugeVisible(bool) override {}
};

// The files below root and one checked rule, over the run's interfaces of
// files and rules (or pages that extend them).
template <class Files, class Rules>
class TreeOneRule : public Files, public Rules {
public:
    QString root;
    TSRInfo rule;
    void GetFilesToProcess(QStringList& files) override { files = ListFiles(root); }
    void RemoveAll() override {}
    int Count() const override { return 1; }
    bool Checked(int) const override { return true; }
    const TSRInfo& Rule(int) const override { return rule; }
    bool HasCheckedRules() override { return true; }
    void DeleteAll() override {}
};

class HeadlessHost : public TreeOneRule<TRunFiles, TRunRules>, public QuietRunWindow {};

// Everything a headless run needs, over the files below root with one rule.
struct HeadlessRun {
    HeadlessRun(const QString& root, const TSRInfo& rule) {
        host.root = root;
        host.rule = rule;
    }
    HeadlessHost host;
    TRERichEditRunEngine engine;
    TQuietProcessWindow window;
    TMyGauge gauge{host, {}};
    TReport report;
    TProcessRun run{{host, host, host, host, engine, window, gauge, report, {}, {}}};
};
