// The acting half of the engine: one pass over the text with the rule's
// action at each match, where the next find starts, the counters, the events,
// and loading and saving the text.

#include "engine/rerichedit.h"

#include "platform/cp1251.h"
#include "platform/diskpath.h"
#include "platform/format.h"
#include "platform/prompt.h"
#include "services/fileroutines.h"
#include "services/langmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kMessageCaption = QStringLiteral("Brindlewick");

// Runs a function when the scope ends, however it ends: only for work that
// cannot throw, as it may run while an exception unwinds.
template <class F>
class AtExit {
public:
    explicit AtExit(F f) : f_(std::move(f)) {}
    ~AtExit() { f_(); }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    F f_;
};

// Why a name taken from a file's text cannot be a file name; empty when it can.
QString badFileName(const QString& name) {
    if (name.isEmpty())
        return LangMessage("szNewNameEmpty", "the new name is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return bw::format(LangMessage("szNotAFileName", "\"%s\" is not a file name"), {name});
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return bw::format(LangMessage("szNameHasSeparator", "the new name \"%s\" contains a path separator"),
                              {name});
        if (c.unicode() < 32 || c.unicode() == 127)
            return LangMessage("szNameHasControls", "the new name contains control characters");
    }
    return {};
}

} // namespace

// ---------------------------------------------------------------------------
// Patterns, folders, counters, selection

void TRERichEdit::SetSourceText(const std::string& text) {
    TAMaskBlockS& pattern = SearchPattern();
    pattern.Masked = Options.soMaskedSource;
    if (!pattern.Masked) {
        // No blocks of an earlier pattern may stay for back-references to read.
        pattern.Blocks.Clear();
        ++pattern.Generation;
    }
    pattern.SetText(text);
}

void TRERichEdit::SetTargetText(const std::string& text) {
    TAMaskBlockR& pattern = TargetPattern();
    pattern.Masked = Options.soMaskedTarget;
    pattern.SearchPattern = &SearchPattern();
    pattern.SetText(text);
}

void TRERichEdit::SetOutFolder(const QString& folder) {
    FOutFolder = folder;
    OutputFolder = folder;
}

void TRERichEdit::SetInFolder(const QString& folder) {
    FInFolder = folder;
    InputFolder = folder;
}

void TRERichEdit::ResetCounters() {
    ResetPassCounters();
    ResetTotals();
}

void TRERichEdit::ResetPassCounters() {
    Counters.PassCounters = {};
}

void TRERichEdit::ResetTotals() {
    Counters.RunTotals = {};
}

std::string TRERichEdit::SelText() {
    const std::string& text = Text();
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t from = std::clamp<std::int64_t>(SelStart, 0, size);
    const std::int64_t to = std::clamp<std::int64_t>(std::int64_t(SelStart) + SelLength, from, size);
    return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

void TRERichEdit::SelectFound() {
    SelStart = FoundAt;
    SelLength = FoundLength;
    SelMarked = false;
}

void TRERichEdit::MarkFound() {
    SelectFound();
    SelMarked = true;
}

void TRERichEdit::RememberMark() {
    FMarkOpen = MarkedRanges.size() < kMaxMarkedRanges;
    if (FMarkOpen)
        MarkedRanges.emplace_back(FoundAt, FoundLength);
}

// ---------------------------------------------------------------------------
// Loading and saving

void TRERichEdit::LoadFromString(std::string text) {
    SetText(std::move(text));
    FModified = false;
    SelStart = 0;
    SelLength = 0;
    SelMarked = false;
}

std::string TRERichEdit::TakeText() {
    SettlePass();
    std::string text;
    text.swap(FText);
    MarkedRanges.clear();
    ++FTextVersion;
    return text;
}

bool TRERichEdit::FindsAnything() {
    try {
        RecompileForPass();
    } catch (const bw::Error&) {
        return true;
    }
    if (FPassPending)
        FlushPass();
    StopPass = false;
    return FindFrom(0) >= 0;
}

bool TRERichEdit::LoadFromFile(const QString& fileName) {
    bool continueAction = true;
    if (OnBeforeLoadFile)
        OnBeforeLoadFile(fileName, continueAction);
    if (!continueAction)
        return false;
    std::string text;
    if (!LoadFileToString(fileName, text))
        throw bw::Error(bw::format(LangMessage("szCantReadFile", "The file \"%s\" cannot be read."),
                                   {QDir::toNativeSeparators(fileName)}));
    LoadFromString(std::move(text));
    FileName = fileName;
    if (OnAfterLoadFile)
        OnAfterLoadFile(fileName);
    return true;
}

bool TRERichEdit::SaveToFile(const QString& fileName) {
    bool continueAction = true;
    if (OnBeforeSaveFile)
        OnBeforeSaveFile(fileName, continueAction);
    if (!continueAction)
        return false;
    if (!SaveStringToFile(fileName, Text()))
        return false;
    if (OnAfterSaveFile)
        OnAfterSaveFile(fileName);
    return true;
}

// ---------------------------------------------------------------------------
// Changes collected during a pass

void TRERichEdit::FlushPass() {
    if (!FPassPending)
        return;
    FPassOut.append(FText, FPassFrom, std::string::npos);
    FText.swap(FPassOut);
    // The old text's buffer takes the next pass's output, unless it is big.
    if (FPassOut.capacity() <= kSpareBufferLimit)
        FPassOut.clear();
    else
        std::string().swap(FPassOut);
    FPassFrom = 0;
    FPassPending = false;
    ++FTextVersion;
}

void TRERichEdit::DropPass() {
    if (FPassOut.capacity() <= kSpareBufferLimit)
        FPassOut.clear();
    else
        std::string().swap(FPassOut);
    FPassFrom = 0;
    FPassPending = false;
}

std::size_t TRERichEdit::PassOutputEstimate(std::size_t keepUpTo, std::size_t inserted, std::size_t resumeAt) {
    const std::size_t size = FText.size();
    const std::size_t slack = size / 8 + inserted;
    const std::size_t taken = resumeAt - keepUpTo;
    // A replacement longer than what it replaces: with a plain search text
    // the matches still ahead are counted, so that the output is reserved
    // once rather than grown again and again.
    if (inserted <= taken || Options.soMaskedSource || Options.soIgnoreMode || !FPlainFinderReady)
        return size + slack;
    const std::size_t step = std::max<std::size_t>(FPlainFinderText.size(), 1);
    std::size_t matches = 1;
    for (std::size_t at = resumeAt; at <= size;) {
        const std::int64_t p = FPlainFinder.find(FText, at, size);
        if (p < 0)
            break;
        ++matches;
        at = static_cast<std::size_t>(p) + step;
    }
    const std::size_t growth = inserted - taken;
    if (matches > (kMaxTextLength - size) / growth)
        return size + slack; // would not fit anyway: the length check says so
    return size + matches * growth + size / 64;
}

// Takes FText from FPassFrom up to keepUpTo into the processed part, adds
// insert, and goes on at resumeAt (positions in FText).
void TRERichEdit::EmitChange(std::size_t keepUpTo, std::string_view insert, std::size_t resumeAt) {
    if (ChangeInPlace && !FPassPending && insert.size() == resumeAt - keepUpTo) {
        // As long as every change keeps the length, the text is changed where
        // it stands: no second buffer. The finds look ahead of resumeAt, and
        // back only at the byte before it (line start, word boundary).
        if (!insert.empty()) {
            const bool lastChanged = FText[resumeAt - 1] != insert.back();
            FText.replace(keepUpTo, insert.size(), insert);
            if (lastChanged)
                ++FTextVersion;
        }
        return;
    }
    CheckLength((FPassPending ? FPassOut.size() : 0) + (keepUpTo - (FPassPending ? FPassFrom : 0)) + insert.size() +
                (FText.size() - resumeAt));
    if (!FPassPending) {
        FPassOut.clear();
        FPassOut.reserve(PassOutputEstimate(keepUpTo, insert.size(), resumeAt));
        FPassFrom = 0;
        FPassPending = true;
    }
    FPassOut.append(FText, FPassFrom, keepUpTo - FPassFrom);
    FPassOut.append(insert);
    FPassFrom = resumeAt;
    // The byte before the unprocessed part is what a line start or a word
    // boundary at its first position is judged by: keep it the current one.
    // With nothing before it, the part starts the text, and a line feed is
    // judged as the start is.
    if (FPassFrom > 0) {
        const char before = FPassOut.empty() ? '\n' : FPassOut.back();
        if (FText[FPassFrom - 1] != before) {
            FText[FPassFrom - 1] = before;
            ++FTextVersion;
        }
    }
}

// ---------------------------------------------------------------------------
// The pass

void TRERichEdit::RecompileForPass() {
    // A report-only rule leaves the target pattern alone: it may be one of an
    // earlier rule, whose back-references would not fit this search pattern.
    TAMaskBlockR& target = TargetPattern();
    const bool targetMasked = target.Masked;
    if (ActionMode.OnFoundActionType == ofatDontChange)
        target.Masked = false;
    AtExit restore([&] { target.Masked = targetMasked; });

    TAMaskBlockS& search = SearchPattern();
    if (!search.Masked && search.Blocks.Count() > 0) {
        search.Blocks.Clear();
        ++search.Generation;
    }
    RecompileAll();
}

void TRERichEdit::ProcessAll() {
    FPassChangedText = false;
    MarkedRanges.clear();
    FMarkOpen = false;
    FRenameError.clear();
    bool continueAction = true;
    if (OnBeforeProcessAll)
        OnBeforeProcessAll(*this, continueAction);
    if (!continueAction)
        return;

    const TPassCounters before = Counters.PassCounters;
    try {
        RecompileForPass();
    } catch (const bw::Error& e) {
        ActionMode.amAbort = true;
        bw::prompt().information(kMessageCaption, e.message());
    }
    FoundAt = 0;
    ActionMode.amConvert = false;
    const int action = ActionMode.OnFoundActionType;
    if (!ActionMode.amAbort && !isOnFoundActionType(action)) {
        ActionMode.amAbort = true;
        bw::prompt().error(kMessageCaption,
                           bw::format(LangMessage("szUnknownAction",
                                                  "The rule's action %d is unknown; the rule cannot run."),
                                      {action}));
    }
    const auto handler = action == ofatDontChange ? &TRERichEdit::AfterFound : &TRERichEdit::Replace;
    StopPass = false;
    try {
        while (!ActionMode.amAbort && FoundAt >= 0 && !StopPass)
            FindNext(handler);
    } catch (...) {
        // Settled here rather than by a guard: settling allocates, and nothing
        // that can throw may run while an exception unwinds.
        SettleAfterFailure();
        throw;
    }
    FlushPass();
    SRManager.FlushOutputs();

    if (!ActionMode.amAbort) {
        // Only what this pass itself found and changed: the pass counters add
        // up over the passes of a rule.
        const std::int32_t finds = Counters.PassCounters.PassFinds - before.PassFinds;
        const std::int32_t replacements = Counters.PassCounters.PassReplacements - before.PassReplacements;
        TRunTotals& totals = Counters.RunTotals;
        totals.FindsTotal += finds;
        totals.PassesWithFinds += finds > 0 ? 1 : 0;
        totals.ReplacementsTotal += replacements;
        totals.PassesWithReplacements += replacements > 0 ? 1 : 0;
    }
    if (OnAfterProcessAll)
        OnAfterProcessAll(*this);
}

void TRERichEdit::SettleAfterFailure() noexcept {
    try {
        FlushPass();
    } catch (...) {
        // Not even the text could be put together again: it is given up.
        DropPass();
        std::string().swap(FText);
        ++FTextVersion;
        FModified = false;
    }
    try {
        SRManager.FlushOutputs();
    } catch (...) {
        SRManager.DropOutputs();
    }
}

TRERichEdit::TRepeatOutcome TRERichEdit::ProcessAllRepeated(bool repeat, const std::function<bool()>& goOn) {
    // Insert, write and rename actions leave the found text in place: a
    // repeated pass would only find the same matches again.
    const auto action = ActionMode.OnFoundActionType;
    const bool mayRepeat = repeat && (action == ofatDelete || action == ofatReplace);
    // A rule whose replacement brings back what it searches for grows the
    // text with every pass: it is stopped well before memory runs out.
    const std::size_t growthLimit = 8 * Text().size() + kRepeatGrowthAllowance;
    TRepeatOutcome outcome;
    for (;;) {
        StartPos = 0;
        const std::int32_t before = Counters.PassCounters.PassReplacements;
        ProcessAll();
        ++outcome.Passes;
        const bool again = mayRepeat && !ActionMode.amAbort &&
                           Counters.PassCounters.PassReplacements > before && FPassChangedText;
        if (!again)
            break;
        if (outcome.Passes >= kMaxRepeatedPasses || Text().size() > growthLimit) {
            outcome.CapReached = true;
            break;
        }
        if (goOn && !goOn()) {
            outcome.Stopped = true;
            break;
        }
    }
    return outcome;
}

std::int64_t TRERichEdit::FindFrom(std::int32_t from) {
    // A start past the end of the text ends the pass.
    if (from > static_cast<std::int64_t>(FText.size()))
        return -1;
    FInFind = true;
    AtExit done([this] { FInFind = false; });
    const std::string& source = SearchPattern().Source;
    if (Options.soMaskedSource)
        return MaskedFind(from);
    if (Options.soIgnoreMode)
        return Find(source, from, static_cast<std::int32_t>(FText.size()) - from);
    // As Find does, with the search text prepared once per pass.
    if (!FPlainFinderReady || FPlainFinderOptions != SearchOptions || FPlainFinderText != source) {
        FPlainFinder.reset(source, Flags());
        FPlainFinderText = source;
        FPlainFinderOptions = SearchOptions;
        FPlainFinderReady = true;
    }
    LastFindLength = static_cast<std::int32_t>(source.size());
    return FPlainFinder.find(FText, static_cast<std::size_t>(from), FText.size());
}

void TRERichEdit::FindNext(void (TRERichEdit::*handler)()) {
    // A start moved back into the processed part needs the text settled.
    if (FPassPending && StartPos < static_cast<std::int64_t>(FPassOut.size()))
        FlushPass();
    const std::int64_t shift = PassShift();
    const std::int64_t start = std::max<std::int64_t>(std::int64_t(StartPos) - shift, 0);
    const std::int64_t found =
        start <= static_cast<std::int64_t>(FText.size()) ? FindFrom(static_cast<std::int32_t>(start)) : -1;
    FoundAt = found < 0 ? -1 : static_cast<std::int32_t>(found + shift);
    FoundLength = LastFindLength;
    if (FoundAt != -1) {
        ++Counters.PassCounters.PassFinds;
        (this->*handler)();
    }
}

void TRERichEdit::AfterFound() {
    MarkFound();
    RememberMark();
    FMarkOpen = false;
    AdvanceStart();
    if (OnAfterFound)
        OnAfterFound(*this);
}

void TRERichEdit::AdvanceStart() {
    if (DoSettingNewStartPosition) {
        // An empty match moves on by one, so that it is not found again.
        StartPos = FoundAt + LastFindLength + (LastFindLength == 0 ? 1 : 0);
    } else {
        DoSettingNewStartPosition = true;
    }
}

void TRERichEdit::Replace() {
    TAMaskBlockR& target = TargetPattern();
    target.SaveCounters();
    if (Options.soMaskedTarget)
        SRManager.BuildTarget(0, 0);
    TargetResult = target.Text;
    if (HintMemo)
        HintMemo->SetHint(TargetResult);
    bool continueAction = true;
    if (OnBeforeReplace)
        OnBeforeReplace(*this, continueAction);
    if (continueAction) {
        MarkFound();
        RememberMark();
        Apply();
    } else {
        target.RestoreCounters();
        AdvanceStart();
        StopPass = false; // a declined match never ends the pass
    }
}

void TRERichEdit::Apply() {
    SelectFound();
    if (HintMemo && HintMemo->HintModified())
        TargetResult = HintMemo->Hint();

    const auto action = ActionMode.OnFoundActionType;
    const std::int64_t at = FoundAt;
    const std::int64_t length = std::max(FoundLength, 0);
    const auto inserted = static_cast<std::int64_t>(TargetResult.size());
    const std::int64_t emptyStep = length == 0 ? 1 : 0; // an empty match moves on by one
    bool counted = true;

    // Positions in FText; a handler that touched the text has settled it.
    if (FPassPending && at < static_cast<std::int64_t>(FPassOut.size()))
        FlushPass();
    const auto bufferAt = [this](std::int64_t p) {
        return static_cast<std::size_t>(
            std::clamp<std::int64_t>(p - PassShift(), FPassFrom, static_cast<std::int64_t>(FText.size())));
    };
    const bool writesOutputs = Options.soMaskedTarget &&
                               (action == ofatDelete || action == ofatReplace || action == ofatWriteToFile);
    if (writesOutputs)
        SRManager.WriteOutputs(0);

    std::int64_t next = StartPos;
    switch (action) {
    case ofatDelete:
    case ofatReplace: {
        const std::size_t from = bufferAt(at);
        const std::size_t to = bufferAt(at + length);
        const bool same = std::string_view(FText).substr(from, to - from) == TargetResult;
        if (!same || length > 0) {
            FPassChangedText = FPassChangedText || !same;
            EmitChange(from, TargetResult, to);
            FModified = true;
        }
        next = at + inserted + emptyStep;
        break;
    }
    case ofatInsertBefore:
    case ofatInsertAfter: {
        const std::size_t where = bufferAt(action == ofatInsertBefore ? at : at + length);
        if (inserted > 0) {
            FPassChangedText = true;
            EmitChange(where, TargetResult, where);
            FModified = true;
        }
        next = at + inserted + length + emptyStep;
        break;
    }
    case ofatWriteToFile:
        next = at + length + emptyStep;
        break;
    case ofatRenameFile:
        counted = RenameFile();
        StopPass = true;
        break;
    default:
        break;
    }
    if (FMarkOpen) {
        // The text that took the match's place shows in its colour.
        if (action == ofatDelete || action == ofatReplace)
            MarkedRanges.back().second = static_cast<std::int32_t>(inserted);
        else if (action == ofatInsertBefore || action == ofatInsertAfter)
            MarkedRanges.back().second = static_cast<std::int32_t>(inserted + length);
        FMarkOpen = false;
    }
    if (counted)
        ++Counters.PassCounters.PassReplacements;
    StartPos = static_cast<std::int32_t>(std::min<std::int64_t>(next, INT32_MAX));
    if (OnAfterReplace)
        OnAfterReplace(*this);
}

bool TRERichEdit::RenameFile() {
    const QString name = bw::decode1251(TargetResult);
    const QFileInfo current(FileName);
    const QString shown = QDir::toNativeSeparators(FileName);
    QString why = badFileName(name);
    // Joined as text: QDir would take a name starting with ':' for a resource.
    const QString renamed = bw::diskPath(name, current.absolutePath());
    if (why.isEmpty() && renamed == current.filePath())
        return true; // the file has that name already
    if (why.isEmpty() && QFileInfo::exists(renamed))
        why = bw::format(LangMessage("szNameTaken", "%s exists already"), {QDir::toNativeSeparators(renamed)});
    if (why.isEmpty() && !QFile::rename(FileName, renamed))
        why = LangMessage("szRenameRefused", "the file system refused");
    if (!why.isEmpty()) {
        FRenameError = bw::format(LangMessage("szNotRenamedBecause", "%s was not renamed: %s."), {shown, why});
        return false;
    }
    FileName = renamed;
    return true;
}
