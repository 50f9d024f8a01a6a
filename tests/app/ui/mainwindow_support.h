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
    void GetFilesToProcess(QStringList& out) override { out = files; }
    void RemoveAll() override { files.clear(); }
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
