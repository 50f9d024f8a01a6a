#pragma once

#include <memory>

#include "app/processrun.h"
#include "engine/rerichedit.h"

// The engine as the processing run sees it.
class TRERichEditRunEngine : public TRunEngine {
public:
    // Owns an engine of its own (headless runs).
    TRERichEditRunEngine();
    // Drives the processing window's engine.
    explicit TRERichEditRunEngine(TRERichEdit& engine) : engine_(engine) {}

    TRERichEdit& Engine() { return engine_; }
    // The processing window's replacement box, shown when a rule asks for hints.
    TRERichEdit::THintMemo* Hint = nullptr;

    void ResetCounters() override { engine_.ResetCounters(); }
    void ResetPassCounters() override { engine_.ResetPassCounters(); }
    TRunCounters Counters() const override;
    void SetCounters(const TRunCounters& counters) override;

    QString FileName() const override { return engine_.FileName; }
    void SetFileName(const QString& path) override { engine_.FileName = path; }
    void LoadFromString(const std::string& bytes) override { engine_.LoadFromString(bytes); }
    const std::string& Text() const override { return engine_.Text(); }
    void MoveInText(std::string&& bytes) override { engine_.LoadFromString(std::move(bytes)); }
    std::string MoveOutText() override { return engine_.TakeText(); }
    bool MayAskTheUser() const override {
        return engine_.OnBeforeReplace || engine_.OnAfterFound || engine_.OnBeforeProcessAll;
    }
    bool Modified() const override { return engine_.Modified(); }
    void SetModified(bool on) override { engine_.SetModified(on); }

    void SetOptions(bool maskedSource, bool maskedTarget, bool ignoreMode) override;
    void SetFolders(const QString& outFolder, const QString& inFolder) override;
    void SetSearchOptions(bool matchCase, bool wholeWord) override;
    void SetSourceText(const std::string& bytes) override { engine_.SetSourceText(bytes); }
    void SetTargetText(const std::string& bytes) override { engine_.SetTargetText(bytes); }
    TOnFoundActionType Action() const override { return engine_.ActionMode.OnFoundActionType; }
    void SetAction(TOnFoundActionType action) override { engine_.ActionMode.OnFoundActionType = action; }
    void SetHintShown(bool on) override { engine_.HintMemo = on ? Hint : nullptr; }

    bool ProcessPasses(bool repeat, const std::function<bool()>& goOn) override {
        return engine_.ProcessAllRepeated(repeat, goOn).CapReached;
    }
    QString RenameError() const override { return engine_.RenameError(); }
    bool Aborted() const override { return engine_.ActionMode.amAbort; }
    void ClearAbort() override { engine_.ActionMode.amAbort = false; }
    void SetRunFileIndex(int index) override;


private:
    std::unique_ptr<TRERichEdit> own_;
    TRERichEdit& engine_;
};
