#pragma once

// The engine: the text of one file together with one compiled rule.
//
// The text is the file's bytes in the working code page (Windows-1251),
// exactly as loaded. Positions are 0-based byte indexes; a line feed ends a
// line. This half holds the text buffer, the patterns and the finds.

#include "engine/maskblocks.h"
#include "engine/richeditoptions.h"
#include "engine/srmanager.h"
#include "engine/textsearch.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Options of every literal search (bit set).
enum TSearchType : unsigned {
    stWholeWord = 1u << 0,
    stMatchCase = 1u << 1,
};
using TSearchTypes = unsigned;

class TRERichEdit {
public:
    TRERichEdit();
    virtual ~TRERichEdit();
    TRERichEdit(const TRERichEdit&) = delete;
    TRERichEdit& operator=(const TRERichEdit&) = delete;

    // --- Text buffer. Every change goes through these, so that remembered
    // search results are dropped when the text changes.
    const std::string& Text() const { return FText; }
    std::int32_t TextLength() const { return static_cast<std::int32_t>(FText.size()); }
    void SetText(std::string text);
    // Replaces length bytes at pos (both clamped to the text) by the given bytes.
    void ReplaceText(std::int32_t pos, std::int32_t length, std::string_view with);

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
    std::uint64_t FTextVersion = 0;
    std::uint64_t FConfigVersion = 0;
    std::vector<BlockMemo> FMemos;
    // Per block of the last masked find: an [LB] that took a line feed.
    std::vector<bool> FLineFeedTaken;
    MemoKey FMemoKey;

    // ==================================================================
    // Processing loop and actions (engine/rerichedit_process.cpp).
    // ==================================================================
};
