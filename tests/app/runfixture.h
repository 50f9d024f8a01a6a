#pragma once

// A headless main window for the processing run: files, rules, scheme,
// options, gauge and pump as plain data, the real processing-window
// controller answered from a script, and a small literal engine.

#include <QDir>
#include <QFile>
#include <QMap>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

#include "app/processrun.h"
#include "engine/processcontroller.h"
#include "platform/error.h"
#include "tests/support/testutil.h"

namespace bw::test {

// Short, recognisable texts so each line shows which key and arguments made it.
// Keys left out give the empty text (the run's own lines then use English).
inline TextSource FakeTexts() {
    static const QMap<QString, QString> texts{
        {"szFoundFile", "found %s %d"},
        {"szChangedFile", "changed %s C%d F%d"},
        {"szNotChangedFile1", "nothing %s %d"},
        {"szNotChangedFile2", "declined %s %d"},
        {"szReport", "REPORT"},
        {"szReportPlus", "PLUS"},
        {"szProcessed", "processed %d of %d"},
        {"szChanged", "changed files %d of %d"},
        {"szChanging", "changes %d of %d"},
        {"szFoundFiles", "files with finds %d"},
        {"szFoundEnterings", "finds %d"},
        {"szConvertedFile", "converted %s (%s)"},
        {"szAbortOp", "Stop?"},
        {"szCantDoPreparing", "rule %d failed."},
        {"szAbortOperation", "Stopped."},
        {"szCheckSourceText", "Search text: "},
        {"szNoTransformation", "No scheme"},
        {"szFProcessing", "Processing"},
        {"szProcessing", "Working"},
    };
    return [](const QString& key) { return texts.value(key); };
}

// Finds a literal text; "[" without "]" does not compile.
class FakeEngine : public TRunEngine, public TProcessEngine {
public:
    TProcessController* controller = nullptr;
    int passes = 0;
    QStringList log; // what was loaded and processed, for order checks

    void ResetCounters() override { c_ = {}; }
    void ResetPassCounters() override {
        c_.PassFinds = 0;
        c_.PassReplacements = 0;
    }
    TRunCounters Counters() const override { return c_; }
    void SetCounters(const TRunCounters& c) override { c_ = c; }
    QString FileName() const override { return file_; }
    void SetFileName(const QString& path) override { file_ = path; }
    void LoadFromString(const std::string& bytes) override {
        text_ = bytes;
        modified_ = false;
    }
    const std::string& Text() const override { return text_; }
    bool Modified() const override { return modified_; }
    void SetModified(bool on) override { modified_ = on; }
    void SetOptions(bool, bool, bool) override {}
    void SetFolders(const QString&, const QString&) override {}
    void SetSearchOptions(bool, bool) override {}
    void SetSourceText(const std::string& bytes) override {
        if (!bytes.empty() && bytes[0] == '[' && bytes.find(']') == std::string::npos)
            throw bw::Error("unclosed block");
        source_ = bytes;
    }
    void SetTargetText(const std::string& bytes) override { target_ = bytes; }
    TOnFoundActionType Action() const override { return action_; }
    void SetAction(TOnFoundActionType a) override { action_ = a; }
    void SetHintShown(bool) override {}
    bool Aborted() const override { return abort_; }
    void ClearAbort() override { abort_ = false; }
    void SetRunFileIndex(int) override {}

    QString renameError;
    QString RenameError() const override { return renameError; }
    static constexpr int kMaxPasses = 100;
    bool ProcessPasses(bool repeat) override {
        renameError.clear();
        for (int pass = 1;; ++pass) {
            const std::string before = text_;
            const int replaced = c_.PassReplacements;
            ProcessAll();
            if (!repeat || abort_ || c_.PassReplacements == replaced || text_ == before ||
                (action_ != ofatReplace && action_ != ofatDelete))
                return false;
            if (pass == kMaxPasses)
                return true;
        }
    }

    void ProcessAll() {
        ++passes;
        log << QStringLiteral("pass %1").arg(QString::fromStdString(source_));
        int finds = 0, replacements = 0;
        startPos_ = 0;
        while (!abort_ && !source_.empty()) {
            const std::size_t at = text_.find(source_, std::size_t(startPos_));
            if (at == std::string::npos)
                break;
            foundAt_ = int(at);
            foundLength_ = int(source_.size());
            ++finds;
            ++c_.PassFinds;
            if (action_ == ofatDontChange) {
                startPos_ = foundAt_ + foundLength_;
                controller->AfterFound();
                continue;
            }
            bool go = true;
            controller->BeforeReplace(go);
            if (abort_)
                break;
            if (!go) {
                startPos_ = foundAt_ + foundLength_;
                continue;
            }
            ++replacements;
            ++c_.PassReplacements;
            if (action_ == ofatRenameFile) {
                const QString renamed = QFileInfo(file_).path() + "/" + QString::fromStdString(target_);
                if (QFile::exists(renamed) || !QFile::rename(file_, renamed)) {
                    --replacements;
                    --c_.PassReplacements;
                    renameError = "a file of that name exists";
                } else {
                    file_ = renamed;
                }
                break;
            }
            text_.replace(at, source_.size(), target_);
            modified_ = true;
            startPos_ = foundAt_ + int(target_.size());
        }
        if (!abort_) {
            c_.FindsTotal += finds;
            c_.PassesWithFinds += finds > 0;
            c_.ReplacementsTotal += replacements;
            c_.PassesWithReplacements += replacements > 0;
        }
    }

    // TProcessEngine
    void SetText(const std::string& bytes) override { text_ = bytes; }
    int StartPos() const override { return startPos_; }
    void SetStartPos(int pos) override { startPos_ = pos; }
    int FoundAt() const override { return foundAt_; }
    void SetFoundAt(int pos) override { foundAt_ = pos; }
    int FoundLength() const override { return foundLength_; }
    void SetDoSettingNewStartPosition(bool) override {}
    bool ReportOnly() const override { return action_ == ofatDontChange; }
    void SetAbort() override { abort_ = true; }
    void MarkFound() override {}
    void UncountFind() override { --c_.PassFinds; }

private:
    TRunCounters c_;
    std::string text_, source_, target_;
    QString file_;
    bool modified_ = false, abort_ = false;
    TOnFoundActionType action_ = ofatDontChange;
    int startPos_ = 0, foundAt_ = -1, foundLength_ = 0;
};

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
    QStringList pages;
    int stepsShown = 0;
    QString title = "Brindlewick";
    bool running = false;

    TRunOptions Options() const override { return options; }
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
        for (const auto& r : rules)
            if (r.first)
                return true;
        return false;
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

// A replace rule over the given code pages.
inline TSRInfo ReplaceRule(const QString& search, const QString& target, const QString& codePages = "Win-1251",
                           bool confirm = false) {
    TSRInfo r;
    r.Source.ssText = search;
    r.Source.ssCLBCP = codePages;
    r.Target.tsText = target;
    r.Target.tbConfirmReplace = confirm;
    r.SearchActionType = ofatReplace;
    return r;
}

inline TSRInfo FindRule(const QString& search, const QString& codePages = "Win-1251") {
    TSRInfo r;
    r.Source.ssText = search;
    r.Source.ssCLBCP = codePages;
    return r;
}

} // namespace bw::test
