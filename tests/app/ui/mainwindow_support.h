#pragma once

// The program as ProgramEntry builds it, over a temporary home, with pages
// that stand in for the "In Files" and rule-list pages.

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/mainunit.h"
#include "app/ui/fmain.h"
#include "app/ui/mainpages.h"
#include "app/ui/programentry.h"
#include "engine/processstate.h"
#include "services/fileroutines.h"
#include "tests/support/testutil.h"

namespace bw::test {

class FakeFilesPage : public TMainFilesPage {
public:
    ~FakeFilesPage() override { delete page; }
    QPointer<QWidget> page = new QWidget; // the main window takes it when docked
    QStringList files;
    bool sr = true, convert = false;
    int focused = 0;

    QWidget* Page() override { return page; }
    bool SRChecked() const override { return sr; }
    bool ConvertChecked() const override { return convert; }
    void SetOperations(bool s, bool c) {
        sr = s;
        convert = c;
        if (OnCheckVisibility)
            OnCheckVisibility();
    }
    void FocusTree() override { ++focused; }
    bool TreeHasNodes() const override { return !files.isEmpty(); }
    void GetFilesToProcess(QStringList& out) override { out = files; }
    void RemoveAll() override { files.clear(); }
    // A project's tree block: the paths, each a length-prefixed string, after their count.
    void SaveTreeToStream(QIODevice& out) override {
        WriteStreamString(std::to_string(files.size()), out);
        for (const QString& f : files)
            WriteStreamString(f.toStdString(), out);
    }
    void LoadTreeFromStream(QIODevice& in) override {
        std::string s;
        ReadStreamString(in, s);
        QStringList read;
        for (int n = std::stoi(s); n > 0; --n) {
            ReadStreamString(in, s);
            read << QString::fromStdString(s);
        }
        files = read;
    }
    void AddDropped(const QStringList& f, const QStringList& folders) override {
        files << f;
        dropped.push_back({f, folders});
    }
    std::vector<std::pair<QStringList, QStringList>> dropped;
};

class FakeRulesPage : public TMainRulesPage {
public:
    ~FakeRulesPage() override { delete page; }
    QPointer<QWidget> page = new QWidget;
    std::vector<std::pair<bool, TSRInfo>> rules;

    QWidget* Page() override { return page; }
    int Count() const override { return int(rules.size()); }
    bool Checked(int row) const override { return rules[std::size_t(row)].first; }
    const TSRInfo& Rule(int row) const override { return rules[std::size_t(row)].second; }
    bool HasCheckedRules() override {
        for (const auto& r : rules)
            if (r.first)
                return true;
        return false;
    }
    void DeleteAll() override { rules.clear(); }
    void Clear() override { rules.clear(); }
    void FocusList() override {}
    // A project's rule block: the count, then each rule's check mark and text.
    void SaveToStream(QIODevice& out) override {
        WriteStreamString(std::to_string(rules.size()), out);
        for (const auto& [checked, rule] : rules)
            WriteStreamString((checked ? "1" : "0") + RuleToText(rule), out);
    }
    void LoadFromStream(QIODevice& in) override {
        std::string s;
        ReadStreamString(in, s);
        rules.clear();
        for (int n = std::stoi(s); n > 0; --n) {
            ReadStreamString(in, s);
            TSRInfo rule;
            TextToRule(rule, s.substr(1));
            rules.emplace_back(s[0] == '1', rule);
        }
    }
};

inline TSRInfo MakeRule(const QString& search, const QString& target, bool confirm,
                        const QString& codePages = QStringLiteral("Win-1251")) {
    TSRInfo r;
    r.Source.ssText = search;
    r.Source.ssCLBCP = codePages;
    r.Target.tsText = target;
    r.Target.tbConfirmReplace = confirm;
    r.Target.tbShowHint = false;
    r.SearchActionType = target.isEmpty() ? ofatDontChange : ofatReplace;
    return r;
}

// Starts the program over the temporary home; the pages are the fakes.
class ProgramTest : public TempDirTest {
protected:
    ProgramTest() {
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        InitializeMainUnit();
    }
    ~ProgramTest() override {
        program.reset();
        FinalizeMainUnit();
    }
    // Creates the windows, as ProgramEntry does, and shows the main window.
    // With realPages the program's own pages stay docked.
    void Start(bool show = true, bool realPages = false) {
        program = std::make_unique<TProgram>();
        main = program->FMain;
        if (!realPages)
            main->SetPages(&files, &rules);
        if (show) {
            main->show();
            QApplication::processEvents();
        }
    }
    QString AddFile(const QString& name, const std::string& bytes) {
        const QString p = writeFile(name, bytes);
        files.files << p;
        return p;
    }
    // Calls f every few milliseconds while the event loop runs (also inside
    // the run's pumps and the processing window's modal loop).
    QTimer* Every(std::function<void()> f, int ms = 5) {
        auto* t = new QTimer(main);
        QObject::connect(t, &QTimer::timeout, main, f);
        t->start(ms);
        return t;
    }

    FakeFilesPage files;
    FakeRulesPage rules;
    std::unique_ptr<TProgram> program;
    TFMain* main = nullptr;
};

} // namespace bw::test
