#pragma once

// A headless main window for the processing run: files, rules, scheme,
// options, gauge and pump as plain data; the real engine and processing-window
// controller, the window answered from a script.

#include <QDir>
#include <QFile>
#include <QMap>
#include <algorithm>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

#include "app/processrun.h"
#include "app/rerichrunengine.h"
#include "engine/processengine.h"
#include "engine/processstate.h"
#include "engine/processcontroller.h"
#include "engine/textfiles.h"
#include "platform/error.h"
#include "services/fileroutines.h"
#include "tests/support/testutil.h"

namespace bw::test {

// Short, recognisable texts so each line shows which key and arguments made it.
// Keys left out give the empty text (the run's own lines then use English).
inline TextSource FakeTexts() {
    static const QMap<QString, QString> texts{
        {"szFoundFile", "found %s %d"}, {"szChangedFile", "changed %s C%d F%d"},
        {"szNotChangedFile1", "nothing %s %d"}, {"szNotChangedFile2", "declined %s %d"},
        {"szReport", "REPORT"}, {"szReportPlus", "PLUS"}, {"szProcessed", "processed %d of %d"},
        {"szChanged", "changed files %d of %d"}, {"szChanging", "changes %d of %d"},
        {"szFoundFiles", "files with finds %d"}, {"szFoundEnterings", "finds %d"},
        {"szConvertedFile", "converted %s (%s)"}, {"szAbortOp", "Stop?"}, {"szCantDoPreparing", "rule %d failed."},
        {"szAbortOperation", "Stopped."}, {"szCheckSourceText", "Search text: "}, {"szNoTransformation", "No scheme"},
        {"szFProcessing", "Processing"}, {"szProcessing", "Working"}};
    return [](const QString& key) { return texts.value(key); };
}

// The processing window answered from a script: each showing runs the next step.
class ScriptedView : public TProcessView {
public:
    using Step = std::function<void(TProcessController&)>;
    TProcessController* controller = nullptr;
    std::deque<Step> script;
    int shows = 0;
    QString caption;

    int ShowModal() override {
        ++shows;
        shown_ = true;
        result_ = mrCancel;
        if (script.empty())
            ADD_FAILURE() << "the processing window was shown more often than scripted";
        else {
            Step step = script.front();
            script.pop_front();
            step(*controller);
        }
        shown_ = false;
        return result_;
    }
    void CloseModal(int result) override { result_ = result; }
    bool IsShown() const override { return shown_; }
    void PumpMessages() override {}
    QString Caption() const override { return caption; }
    void SetCaption(const QString& c) override { caption = c; }
    void ApplyLayout(const TProcessLayout&) override {}
    void SetEditCaption(const QString&) override {}
    void SetReadOnly(bool) override {}
    void ShowText(const std::string&, int, int) override {}
    void ClearText() override {}
    std::string ViewText() const override { return {}; }
    int SelStart() const override { return 0; }
    int SelLength() const override { return 0; }
    void SetSelection(int, int) override {}
    void FocusText() override {}
    int CodePageNumber() const override { return TProcessCodePages::NoConversion; }

private:
    bool shown_ = false;
    int result_ = mrCancel;
};

inline ScriptedView::Step Answer(void (TProcessController::*action)()) {
    return [action](TProcessController& c) { (c.*action)(); };
}

// The main window's side of a run.
class FakeHost : public TRunWindow, public TRunFiles, public TRunRules, public TRunScheme, public TGaugeView {
public:
    QStringList files;
    std::vector<std::pair<bool, TSRInfo>> rules;
    TConversionScheme scheme;
    bool selectedStep = false; // a source and a target are selected on the conversion page
    TRunOptions options;
    std::function<void()> onPump;
    std::function<void()> onAutoSave;
    QStringList pages;
    int stepsShown = 0;
    QString title = "Brindlewick";
    bool running = false;

    TRunOptions Options() const override { return options; }
    void AutoSave() override {
        if (onAutoSave)
            onAutoSave();
    }
    void ShowPage(TRunPage page) override { pages << QString::number(int(page)); }
    bool PageVisible(TRunPage page) const override { return page != TRunPage::Convert || options.Convert; }
    void SetRunning(bool on) override { running = on; }
    void PumpEvents() override {
        if (onPump)
            onPump();
    }

    void GetFilesToProcess(QStringList& out) override { out = files; }
    void RemoveAll() override { files.clear(); }

    int Count() const override { return int(rules.size()); }
    bool Checked(int row) const override { return rules[std::size_t(row)].first; }
    const TSRInfo& Rule(int row) const override { return rules[std::size_t(row)].second; }
    bool HasCheckedRules() override {
        return std::any_of(rules.begin(), rules.end(), [](const auto& r) { return r.first; });
    }
    void DeleteAll() override { rules.clear(); }

    TConversionScheme& Scheme() override { return scheme; }
    bool AddSelectedStep() override { return selectedStep && scheme.AddStep(FindConversion(cpWin1251, cpKOI8R)); }

    QString Title() const override { return title; }
    void SetTitle(const QString& t) override { title = t; }
    void SetPanelText(const QString&) override {}
    void SetProgress(int progress, int) override { stepsShown = progress; }
    void SetGaugeVisible(bool) override {}
};

// A replace rule over the given code pages; an empty target makes it a find.
inline TSRInfo ReplaceRule(const QString& search, const QString& target, const QString& codePages = "Win-1251",
                           bool confirm = false) {
    TSRInfo r;
    r.Source.ssText = search;
    r.Source.ssCLBCP = codePages;
    r.Target.tsText = target;
    r.Target.tbConfirmReplace = confirm;
    r.SearchActionType = target.isEmpty() ? ofatDontChange : ofatReplace;
    return r;
}

// Everything a run needs, over files in a fresh temporary folder.
class RunTest : public TempDirTest {
protected:
    RunTest() {
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        view.controller = &controller;
        ConnectProcessWindow(engine.Engine(), controller);
        controller.MakeBackup = [this](const QString& p) { return run.BackupOnce(p); };
        controller.GetText = texts;
    }

    // Writes a file and adds it to the list of files to process.
    QString AddFile(const QString& name, const std::string& bytes) {
        const QString p = writeFile(name, bytes);
        host.files << p;
        return p;
    }
    void AddRule(const TSRInfo& rule, bool checked = true) { host.rules.emplace_back(checked, rule); }
    // After a run, however it ended: nothing is left running or cached.
    void ExpectIdle() {
        EXPECT_FALSE(run.Running());
        EXPECT_FALSE(host.running);
        EXPECT_TRUE(run.FilesToProcess.isEmpty());
        EXPECT_EQ(TextFilesCache, nullptr);
    }

    TextSource source = FakeTexts(); // where the texts come from
    TextSource texts = [this](const QString& key) { return source(key); };
    TRERichEditRunEngine engine;
    TREProcessEngine processEngine{engine.Engine()};
    ScriptedView view;
    TProcessController controller{processEngine, view};
    TControllerProcessWindow window{controller, view};
    FakeHost host;
    TMyGauge gauge{host, texts};
    TReport report;
    // The backup store: the files it was asked to copy, and its answer.
    QStringList backups;
    std::function<bool(const QString&)> backup = [this](const QString& p) {
        backups << p;
        return true;
    };
    // The save; unset: the real one.
    std::function<bool(const QString&, const std::string&)> save;
    TProcessRun run{{host, host, host, host, engine, window, gauge, report, texts,
                     [this](const QString& p) { return backup(p); },
                     [this](const QString& p, TFileStamp& stamp, const std::string& t, bool check) {
                         if (!save)
                             return SaveStringToReadFile(p, stamp, t, check);
                         if (!save(p, t))
                             return TReadFileSave::NotSaved;
                         stamp = TakeFileStamp(p);
                         return TReadFileSave::Saved;
                     }}};
};

} // namespace bw::test
