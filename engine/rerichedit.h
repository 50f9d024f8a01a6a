#pragma once

// The engine: the text of one file together with one compiled rule.
//
// The text is the file's bytes in the working code page (Windows-1251),
// exactly as loaded. Positions are 0-based byte indexes; a line feed ends a
// line. This half holds the text buffer, the patterns and the finds.

#include "engine/maskblocks.h"
#include "platform/error.h"
#include "engine/processstate.h"
#include "engine/richeditoptions.h"
#include "engine/srinfo.h"
#include "engine/srmanager.h"
#include "engine/textsearch.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Options of every literal search (bit set).
enum TSearchType : unsigned {
    stWholeWord = 1u << 0,
    stMatchCase = 1u << 1,
};
using TSearchTypes = unsigned;

// A text would outgrow the longest text the engine holds.
class TTextTooLong : public bw::Error {
public:
    using bw::Error::Error;
};

class TRERichEdit {
public:
    TRERichEdit();
    virtual ~TRERichEdit();
    TRERichEdit(const TRERichEdit&) = delete;
    TRERichEdit& operator=(const TRERichEdit&) = delete;

    // Positions are 32-bit: the longest text the engine holds.
    static constexpr std::size_t kMaxTextLength = 0x7FFFFFFF;

    // --- Text buffer. Every change goes through these, so that remembered
    // search results are dropped when the text changes.
    const std::string& Text() const { SettlePass(); return FText; }
    std::int32_t TextLength() const { SettlePass(); return static_cast<std::int32_t>(FText.size()); }
    // Changes whenever the text does: equal versions mean the same text.
    std::uint64_t TextVersion() const { SettlePass(); return FTextVersion; }
    void SetText(std::string text);
    // Replaces length bytes at pos (both clamped to the text) by the given bytes.
    void ReplaceText(std::int32_t pos, std::int32_t length, std::string_view with);
    // Raises an error when a text of this length would not fit the positions.
    static void CheckLength(std::size_t length);

    // --- Patterns.
    TSRManager SRManager;
    TAMaskBlockS& SearchPattern() { return SRManager.SearchPatterns[0]; }
    TAMaskBlockR& TargetPattern() { return SRManager.TargetPatterns[0]; }
    // Recompiles both patterns, then takes the separators from the ignore mode.
    void RecompileAll();

    // --- Matcher state.
    TSearchTypes SearchOptions = 0;
    TRERichEditOptions Options;
    TCharSet Separators;
    std::int32_t LastFindLength = 0;
    bool StopPass = false;

    // --- Finds. Each range runs from `from` over `count` bytes; a start below
    // 0 counts as 0.
    std::int32_t Find(std::string_view text, std::int32_t from, std::int32_t count);
    std::int32_t FindIgnoringSeparators(std::string_view text, std::int32_t from, std::int32_t count);
    std::int32_t FindCharRun(std::string_view set, std::int32_t from, std::int32_t count);
    // Matches the compiled search pattern from start; the match's position or -1.
    std::int32_t MaskedFind(std::int32_t start);
    // Whether block i, just found, breaks a rule of the blocks before it.
    bool CheckGaps(int i);
    // Moves back to the block after the nearest open gap before block i; i
    // becomes the index after which matching resumes.
    void Backtrack(int& i);

private:
    // What a search for one block of the search pattern gave last time, while
    // text, pattern and options stay the same: searched from `from`, found at
    // `pos` (-1 none) with `length`. A later search from within from..pos
    // gives the same answer.
    struct BlockMemo {
        std::int32_t from = 0;
        std::int32_t pos = -2; // -2: nothing remembered
        std::int32_t length = 0;
        bw::ForwardSearcher searcher; // literals
        TCharSet set;                 // [D]
    };
    struct MemoKey {
        std::uint64_t text = 0, pattern = 0, config = 0;
        const TAMaskBlockS* owner = nullptr;
        TSearchTypes options = 0;
        bool ignoreMode = false;
        bool operator==(const MemoKey&) const = default;
    };

    bw::SearchFlags Flags() const;
    std::int32_t SkipSeparators(std::size_t pos) const;
    std::int32_t FindRun(const TCharSet& set, std::int32_t from, std::int32_t end);
    std::int32_t FindBlock(int i, std::int32_t from);
    bool FixedLength(const TMaskBlock& block) const;
    void PrepareMemos();

    std::string FText;
    // Adds the match to MarkedRanges; it stays open for Apply to widen.
    void RememberMark();
    bool FMarkOpen = false;
    std::uint64_t FTextVersion = 0;
    std::uint64_t FConfigVersion = 0;
    std::vector<BlockMemo> FMemos;
    // Per block of the last masked find: an [LB] that took a line feed.
    std::vector<bool> FLineFeedTaken;
    MemoKey FMemoKey;

    // ==================================================================
    // Processing loop and actions (engine/rerichedit_process.cpp).
    // ==================================================================
public:
    // Before-events: the engine sets continueAction to true before raising
    // one; a handler that clears it cancels the step.
    using TContinueEvent = std::function<void(TRERichEdit& sender, bool& continueAction)>;
    using TNotifyEvent = std::function<void(TRERichEdit& sender)>;
    // The load and save events carry the file name in the sender's place.
    using TFileContinueEvent = std::function<void(const QString& fileName, bool& continueAction)>;
    using TFileNotifyEvent = std::function<void(const QString& fileName)>;

    // Where the built replacement is shown; the user may rewrite it there
    // before accepting the change.
    class THintMemo {
    public:
        virtual ~THintMemo() = default;
        // Shows text; the memo counts as unmodified from here.
        virtual void SetHint(const std::string& text) = 0;
        virtual bool HintModified() const = 0;
        virtual std::string Hint() const = 0;
    };

    // The patterns as written. Setting one compiles it when the options say
    // so (set Options first); a compile error passes to the caller.
    const std::string& SourceText() { return SearchPattern().Source; }
    void SetSourceText(const std::string& text);
    const std::string& TargetText() { return TargetPattern().Source; }
    void SetTargetText(const std::string& text);

    std::int32_t StartPos = 0;     // where the next find starts
    std::int32_t FoundAt = -1;     // the last find, -1 when it found nothing
    std::int32_t FoundLength = 0;  // its length
    // Folders of output and line files; setting one also sets the module value
    // that the pattern parser puts in front of file names.
    const QString& OutFolder() const { return FOutFolder; }
    void SetOutFolder(const QString& folder);
    const QString& InFolder() const { return FInFolder; }
    void SetInFolder(const QString& folder);
    TRERichEditActionMode ActionMode;
    // While false, the next advance after a reported or declined match leaves
    // StartPos where a handler put it, and sets the flag back.
    bool DoSettingNewStartPosition = true;

    TContinueEvent OnBeforeProcessAll; // clearing cancels the pass
    TContinueEvent OnBeforeReplace;    // clearing declines the change
    TFileContinueEvent OnBeforeLoadFile;
    TFileContinueEvent OnBeforeSaveFile;
    TNotifyEvent OnAfterProcessAll;
    TNotifyEvent OnAfterReplace;
    TFileNotifyEvent OnAfterLoadFile;
    TFileNotifyEvent OnAfterSaveFile;
    TNotifyEvent OnAfterFound;         // a match of a report-only rule was marked

    THintMemo* HintMemo = nullptr;     // not owned

    // Counters: the pass counters and the run totals side by side, one block
    // of ten that the run copies aside and puts back as a unit.
    struct TPassCounters {
        std::int32_t Unused0 = 0;
        std::int32_t PassFinds = 0;        // finds reported to a handler
        std::int32_t Unused2 = 0;
        std::int32_t PassReplacements = 0; // changes carried out
        std::int32_t Unused4 = 0;
        bool operator==(const TPassCounters&) const = default;
    };
    struct TRunTotals {
        std::int32_t FilesProcessed = 0;   // counted by the run
        std::int32_t FindsTotal = 0;
        std::int32_t PassesWithFinds = 0;
        std::int32_t ReplacementsTotal = 0;
        std::int32_t PassesWithReplacements = 0;
        bool operator==(const TRunTotals&) const = default;
    };
    struct TCounters {
        TPassCounters PassCounters;
        TRunTotals RunTotals;
        bool operator==(const TCounters&) const = default;
    };
    TCounters Counters;
    void ResetCounters();
    void ResetPassCounters();
    void ResetTotals();

    QString FileName;          // the file whose text the engine holds
    std::string TargetResult;  // the replacement of the current match

    // The selection, in positions of the current text.
    std::int32_t SelStart = 0;
    std::int32_t SelLength = 0;
    bool SelMarked = false;    // the selection shows in the marking colour
    std::string SelText();
    // What the current pass marked, in positions of the current text: each
    // match reported or changed, widened to the text that took its place. Emptied when a
    // pass starts or the text is set or edited; at most kMaxMarkedRanges.
    TMarkedRanges MarkedRanges;
    static constexpr std::size_t kMaxMarkedRanges = 10000;
    // Selects the match and marks it; SelectFound only selects it.
    void MarkFound();
    void SelectFound();

    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

    // One pass over the whole text with the rule set on the engine.
    void ProcessAll();

    // Passes from position 0 while the rule asks to repeat: again only while
    // the pass replaced something and changed the text, and only for the
    // delete and replace actions, at most kMaxRepeatedPasses passes.
    // Repeating also ends once the text has grown past 8 times its size
    // before the first pass plus kRepeatGrowthAllowance. Between passes goOn
    // (when given) is asked whether to go on; false ends the repeating.
    static constexpr int kMaxRepeatedPasses = 100;
    static constexpr std::size_t kRepeatGrowthAllowance = std::size_t{1} << 20;
    struct TRepeatOutcome {
        int Passes = 0;
        bool CapReached = false;   // stopped by a limit while still changing
        bool Stopped = false;      // goOn said no
    };
    TRepeatOutcome ProcessAllRepeated(bool repeat, const std::function<bool()>& goOn = {});

    // Whether the last pass changed the text, and what a failed rename said
    // (empty when none failed in the last pass).
    bool PassChangedText() const { return FPassChangedText; }
    const QString& RenameError() const { return FRenameError; }

    // Replaces the whole text; clears the modified flag, raises no event.
    void LoadFromString(std::string text);
    // Gives the text away (the engine is left empty); the modified flag stays.
    std::string TakeText();
    // Whether one pass of the rule set on the engine would find anything in
    // the text, the rule's action left aside: no handler runs, no counter
    // moves. A pattern that fails to compile counts as a find, so that the
    // pass itself meets the failure.
    bool FindsAnything();
    // False when a before-event cancelled; a file that cannot be read raises bw::Error.
    virtual bool LoadFromFile(const QString& fileName);
    // False when a before-event cancelled or the save failed.
    virtual bool SaveToFile(const QString& fileName);

    // The text as the finds see it. During a pass with changes the part not
    // yet processed stands at the positions the finds report; the replacement
    // builder reads matched texts from here. Everyone else uses Text().
    std::string_view SearchedText() const { return FText; }

private:
    void FindNext(void (TRERichEdit::*handler)());
    // The next find from a position of FText; -1 for none.
    std::int64_t FindFrom(std::int32_t from);
    void AfterFound();
    void Replace();
    void Apply();
    void AdvanceStart();
    void RecompileForPass();
    bool RenameFile();

    // Changes of a pass are collected in FPassOut instead of being made in
    // FText one by one: the current text is FPassOut followed by FText from
    // FPassFrom on. Reading the text through Text() or TextLength() outside a
    // find settles it into FText first.
    std::int64_t PassShift() const {
        return static_cast<std::int64_t>(FPassOut.size()) - static_cast<std::int64_t>(FPassFrom);
    }
    void SettlePass() const {
        if (FPassPending && !FInFind)
            const_cast<TRERichEdit*>(this)->FlushPass();
    }
    void FlushPass();
    // After an exception in a pass: the text settled when that is possible
    // (else given up and emptied), the gathered outputs written.
    void SettleAfterFailure() noexcept;
    // Where the current text begins in FText: past the changed part when
    // the changes so far left nothing before the unprocessed part.
    std::size_t TextBegin() const { return FPassPending && FPassOut.empty() ? FPassFrom : 0; }
    void DropPass();
    void EmitChange(std::size_t keepUpTo, std::string_view insert, std::size_t resumeAt);
    // What to reserve for a pass's output once its first change is known.
    std::size_t PassOutputEstimate(std::size_t keepUpTo, std::size_t inserted, std::size_t resumeAt);

    // The plain search text, prepared once for the finds of a pass.
    bw::ForwardSearcher FPlainFinder;
    std::string FPlainFinderText;
    TSearchTypes FPlainFinderOptions = 0;
    bool FPlainFinderReady = false;

    std::string FPassOut;
    // Buffers of texts up to this size are kept for the next pass's output.
    static constexpr std::size_t kSpareBufferLimit = std::size_t{32} << 20;
public:
    // Changes that keep the length are made where the text stands. Off only
    // to compare with the way every other change goes.
    static inline bool ChangeInPlace = true;
private:
    std::size_t FPassFrom = 0;
    bool FPassPending = false;
    bool FInFind = false;
    bool FModified = false;
    bool FPassChangedText = false;
    QString FRenameError;
    QString FOutFolder;
    QString FInFolder;
};
