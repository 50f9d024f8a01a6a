#pragma once

#include <memory>

#include "app/processrun.h"
#include "engine/processcontroller.h"
#include "engine/rerichedit.h"

// The engine as the processing run and the processing window see it.
class TRERichEditRunEngine : public TRunEngine, public TProcessEngine {
public:
    // Owns an engine of its own (headless runs).
    TRERichEditRunEngine();
    // Drives the processing window's engine.
    explicit TRERichEditRunEngine(TRERichEdit& engine) : engine_(engine) {}

    TRERichEdit& Engine() { return engine_; }
    // Lets the processing window answer the engine's events.
    void Bind(TProcessController& controller);
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

    bool ProcessPasses(bool repeat) override { return engine_.ProcessAllRepeated(repeat).CapReached; }
    QString RenameError() const override { return engine_.RenameError(); }
    bool Aborted() const override { return engine_.ActionMode.amAbort; }
    void ClearAbort() override { engine_.ActionMode.amAbort = false; }
    void SetRunFileIndex(int index) override;

    // The processing window's side.
    void SetText(const std::string& bytes) override { engine_.SetText(bytes); }
    int StartPos() const override { return engine_.StartPos; }
    void SetStartPos(int pos) override { engine_.StartPos = pos; }
    int FoundAt() const override { return engine_.FoundAt; }
    void SetFoundAt(int pos) override { engine_.FoundAt = pos; }
    int FoundLength() const override { return engine_.FoundLength; }
    void SetDoSettingNewStartPosition(bool on) override { engine_.DoSettingNewStartPosition = on; }
    bool ReportOnly() const override { return engine_.ActionMode.OnFoundActionType == ofatDontChange; }
    void SetAbort() override { engine_.ActionMode.amAbort = true; }
    void MarkFound() override { engine_.MarkFound(); }
    void UncountFind() override { --engine_.Counters.PassCounters.PassFinds; }

private:
    std::unique_ptr<TRERichEdit> own_;
    TRERichEdit& engine_;
};
