#include "app/rerichrunengine.h"

#include "engine/replacement.h"

TRERichEditRunEngine::TRERichEditRunEngine() : own_(std::make_unique<TRERichEdit>()), engine_(*own_) {}

TRunCounters TRERichEditRunEngine::Counters() const {
    const auto& p = engine_.Counters.PassCounters;
    const auto& t = engine_.Counters.RunTotals;
    return {p.Unused0,       p.PassFinds,  p.Unused2,         p.PassReplacements,  p.Unused4,
            t.FilesProcessed, t.FindsTotal, t.PassesWithFinds, t.ReplacementsTotal, t.PassesWithReplacements};
}

void TRERichEditRunEngine::SetCounters(const TRunCounters& c) {
    engine_.Counters.PassCounters = {c.PassUnused0, c.PassFinds, c.PassUnused2, c.PassReplacements, c.PassUnused4};
    engine_.Counters.RunTotals = {c.FilesProcessed, c.FindsTotal, c.PassesWithFinds, c.ReplacementsTotal,
                                  c.PassesWithReplacements};
}

void TRERichEditRunEngine::SetOptions(bool maskedSource, bool maskedTarget, bool ignoreMode) {
    engine_.Options.soMaskedSource = maskedSource;
    engine_.Options.soMaskedTarget = maskedTarget;
    engine_.Options.soIgnoreMode = ignoreMode;
}

void TRERichEditRunEngine::SetFolders(const QString& outFolder, const QString& inFolder) {
    engine_.SetOutFolder(outFolder);
    engine_.SetInFolder(inFolder);
}

void TRERichEditRunEngine::SetSearchOptions(bool matchCase, bool wholeWord) {
    engine_.SearchOptions = (matchCase ? TSearchTypes(stMatchCase) : 0u) | (wholeWord ? TSearchTypes(stWholeWord) : 0u);
}

void TRERichEditRunEngine::SetRunFileIndex(int index) { RunFileIndex = index; }
