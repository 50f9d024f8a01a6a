#pragma once

#include "engine/codepages.h"
#include "engine/processcontroller.h"
#include "engine/rerichedit.h"

// The processing window's view of the engine object.
class TREProcessEngine : public TProcessEngine {
public:
    explicit TREProcessEngine(TRERichEdit& engine) : engine_(engine) {}

    TRERichEdit& Engine() { return engine_; }

    const std::string& Text() const override { return engine_.Text(); }
    void SetText(const std::string& bytes) override { engine_.SetText(bytes); }
    bool Modified() const override { return engine_.Modified(); }
    void SetModified(bool on) override { engine_.SetModified(on); }
    QString FileName() const override { return engine_.FileName; }
    std::uint64_t TextVersion() const override { return engine_.TextVersion(); }
    int StartPos() const override { return engine_.StartPos; }
    void SetStartPos(int pos) override { engine_.StartPos = pos; }
    int FoundAt() const override { return engine_.FoundAt; }
    void SetFoundAt(int pos) override { engine_.FoundAt = pos; }
    int FoundLength() const override { return engine_.FoundLength; }
    void SetDoSettingNewStartPosition(bool on) override { engine_.DoSettingNewStartPosition = on; }
    bool ReportOnly() const override { return engine_.ActionMode.OnFoundActionType == ofatDontChange; }
    void SetAbort() override { engine_.ActionMode.amAbort = true; }
    void MarkFound() override { engine_.MarkFound(); }
    TMarkedRanges MarkedRanges() const override { return engine_.MarkedRanges; }
    void ResetPassCounters() override { engine_.ResetPassCounters(); }
    void UncountFind() override { --engine_.Counters.PassCounters.PassFinds; }
    bool ActionChangesText() const override {
        switch (engine_.ActionMode.OnFoundActionType) {
        case ofatDelete:
        case ofatReplace:
        case ofatInsertBefore:
        case ofatInsertAfter:
            return true;
        default:
            return false;
        }
    }

private:
    TRERichEdit& engine_;
};

// Binds the engine's events to the window: changes are confirmed, reports
// shown, and a text loaded from a file resets the file's answers.
void ConnectProcessWindow(TRERichEdit& engine, TProcessController& window);

// The code pages of select and view mode from the conversion table: "Win-1251"
// without conversion, then every code page that converts into it, "Automatic"
// selected.
class TConversionCodePages : public TProcessCodePages {
public:
    std::vector<Item> Items() const override;
    int DefaultItem() const override;
    std::string Convert(int number, const std::string& bytes, QString& log) override;

    // Leading bytes automatic detection looks at; 0 = all.
    int DetectSampleSize = 0;
};
