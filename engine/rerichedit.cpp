#include "engine/rerichedit.h"

#include "platform/error.h"
#include "platform/format.h"
#include "services/langmanager.h"

#include <algorithm>
#include <limits>

namespace {

using Pos = std::int64_t;

// Start and end of the range from..from+count, cut to the text; a start below 0 counts as 0.
std::pair<std::size_t, std::size_t> rangeOf(std::int32_t from, std::int32_t count, std::size_t size) {
    const Pos len = static_cast<Pos>(size);
    const Pos end = std::clamp<Pos>(Pos(from) + count, 0, len);
    const Pos begin = std::clamp<Pos>(from, 0, len + 1);
    return {static_cast<std::size_t>(begin), static_cast<std::size_t>(std::max(begin, end))};
}

std::int32_t toPos(Pos p) {
    return static_cast<std::int32_t>(std::clamp<Pos>(p, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
}

} // namespace

TRERichEdit::TRERichEdit() {
    auto search = std::make_unique<TAMaskBlockS>();
    search->Owner = this;
    SRManager.SearchPatterns.Add(std::move(search));
    SRManager.TargetPatterns.Add(std::make_unique<TAMaskBlockR>());
}

TRERichEdit::~TRERichEdit() = default;

void TRERichEdit::CheckLength(std::size_t length) {
    if (length > kMaxTextLength)
        throw TTextTooLong(bw::format(LangMessage("szTextOverEngineLimit",
                                                  "The text would be %u bytes long; the engine holds texts of up "
                                                  "to %u bytes."),
                                      {quint64(length), quint64(kMaxTextLength)}));
}

void TRERichEdit::SetText(std::string text) {
    CheckLength(text.size());
    DropPass();
    MarkedRanges.clear();
    FText = std::move(text);
    ++FTextVersion;
}

void TRERichEdit::ReplaceText(std::int32_t pos, std::int32_t length, std::string_view with) {
    SettlePass();
    const auto [begin, end] = rangeOf(pos, length, FText.size());
    CheckLength(FText.size() - (end - std::min(begin, end)) + with.size());
    FModified = true;
    MarkedRanges.clear();
    FText.replace(std::min(begin, FText.size()), end - std::min(begin, end), with);
    ++FTextVersion;
}

void TRERichEdit::RecompileAll() {
    ++FConfigVersion;
    SRManager.RecompileAll();
    Separators.reset();
    if (Options.soIgnoreMode)
        for (int c = 0; c <= 32; ++c)
            Separators.set(static_cast<std::size_t>(c));
}

bw::SearchFlags TRERichEdit::Flags() const {
    return {(SearchOptions & stMatchCase) != 0, (SearchOptions & stWholeWord) != 0};
}

std::int32_t TRERichEdit::SkipSeparators(std::size_t pos) const {
    while (pos < FText.size() && Separators[static_cast<unsigned char>(FText[pos])])
        ++pos;
    return static_cast<std::int32_t>(pos);
}

// ---------------------------------------------------------------------------
// Literal finds

std::int32_t TRERichEdit::Find(std::string_view text, std::int32_t from, std::int32_t count) {
    if (Options.soIgnoreMode)
        return FindIgnoringSeparators(text, from, count);
    const auto [begin, end] = rangeOf(from, count, FText.size());
    const Pos p = bw::ForwardSearcher(text, Flags()).find(FText, begin, end);
    LastFindLength = static_cast<std::int32_t>(text.size());
    return static_cast<std::int32_t>(p);
}

std::int32_t TRERichEdit::FindIgnoringSeparators(std::string_view text, std::int32_t from, std::int32_t count) {
    // Pieces: the first runs to the end of the first word (leading separators
    // included), each further one is a separator run and the word after it;
    // trailing separators form a piece of their own.
    struct Piece {
        bw::ForwardSearcher searcher;
        std::size_t lead = 0; // separators it begins with
        bool hasWord = false;
    };
    const auto isSep = [this](char c) { return Separators[static_cast<unsigned char>(c)]; };
    std::vector<Piece> pieces;
    for (std::size_t j = 0; j < text.size();) {
        const std::size_t start = j;
        while (j < text.size() && isSep(text[j]))
            ++j;
        const std::size_t lead = j - start;
        while (j < text.size() && !isSep(text[j]))
            ++j;
        pieces.push_back({bw::ForwardSearcher(text.substr(start, j - start), Flags()), lead, j > start + lead});
    }
    if (pieces.empty())
        return -1;

    const auto [begin, end] = rangeOf(from, count, FText.size());
    std::size_t cur = begin;
    for (;;) {
        const Pos p0 = pieces[0].searcher.find(FText, cur, end);
        if (p0 < 0)
            return -1;
        std::size_t e = static_cast<std::size_t>(p0) + pieces[0].searcher.size();
        bool fits = true;
        for (std::size_t k = 1; k < pieces.size() && fits; ++k) {
            const Piece& piece = pieces[k];
            const auto s = static_cast<std::size_t>(SkipSeparators(e));
            // The piece may start only where its own separators end at the
            // file's next word; a piece of separators alone anywhere in the run.
            fits = false;
            if (piece.hasWord) {
                if (s >= e + piece.lead && piece.searcher.matchesAt(FText, s - piece.lead, end)) {
                    e = s - piece.lead + piece.searcher.size();
                    fits = true;
                }
            } else {
                for (std::size_t q = e; q + piece.searcher.size() <= s; ++q)
                    if (piece.searcher.matchesAt(FText, q, end)) {
                        e = q + piece.searcher.size();
                        fits = true;
                        break;
                    }
            }
        }
        if (fits) {
            LastFindLength = static_cast<std::int32_t>(e - static_cast<std::size_t>(p0));
            return static_cast<std::int32_t>(p0);
        }
        cur = static_cast<std::size_t>(p0) + 1;
    }
}

std::int32_t TRERichEdit::FindRun(const TCharSet& set, std::int32_t from, std::int32_t end) {
    const auto* text = reinterpret_cast<const unsigned char*>(FText.data());
    Pos p = std::max(from, 0);
    while (p < end && !set[text[p]])
        ++p;
    if (p >= end)
        return -1;
    Pos q = p + 1;
    while (q < end && set[text[q]])
        ++q;
    LastFindLength = static_cast<std::int32_t>(q - p);
    return static_cast<std::int32_t>(p);
}

std::int32_t TRERichEdit::FindCharRun(std::string_view set, std::int32_t from, std::int32_t count) {
    const auto [begin, end] = rangeOf(from, count, FText.size());
    return FindRun(CharSetOf(set), static_cast<std::int32_t>(begin), static_cast<std::int32_t>(end));
}

// ---------------------------------------------------------------------------
// Masked find

void TRERichEdit::PrepareMemos() {
    TAMaskBlockS& pattern = SearchPattern();
    const MemoKey key{FTextVersion, pattern.Generation, FConfigVersion, &pattern, SearchOptions, Options.soIgnoreMode};
    if (key == FMemoKey && FMemos.size() == static_cast<std::size_t>(pattern.Blocks.Count()))
        return;
    FMemoKey = key;
    FMemos.clear();
    FMemos.resize(static_cast<std::size_t>(pattern.Blocks.Count()));
    for (int i = 0; i < pattern.Blocks.Count(); ++i) {
        const TMaskBlock& block = pattern.Blocks[i];
        BlockMemo& memo = FMemos[static_cast<std::size_t>(i)];
        if (block.Kind == mbkCharRun)
            memo.set = CharSetOf(block.Text);
        else if (block.Kind == mbkText || block.Kind == mbkLineBegin)
            memo.searcher.reset(block.Text, Flags());
    }
}

std::int32_t TRERichEdit::FindBlock(int i, std::int32_t from) {
    const TMaskBlock& block = SearchPattern().Blocks[i];
    BlockMemo& memo = FMemos[static_cast<std::size_t>(i)];
    if (memo.pos != -2 && from >= memo.from) {
        if (memo.pos == -1)
            return -1;
        if (from <= memo.pos) {
            LastFindLength = memo.length;
            return memo.pos;
        }
        if (block.Kind == mbkCharRun && Pos(from) < Pos(memo.pos) + memo.length) {
            // Inside the run found last time: the rest of that run.
            LastFindLength = toPos(Pos(memo.pos) + memo.length - from);
            return from;
        }
    }
    const std::int32_t len = TextLength();
    std::int32_t found;
    if (block.Kind == mbkCharRun) {
        found = FindRun(memo.set, from, len);
    } else if (Options.soIgnoreMode) {
        found = FindIgnoringSeparators(block.Text, from, toPos(Pos(len) - from));
    } else {
        found = static_cast<std::int32_t>(memo.searcher.find(FText, static_cast<std::size_t>(from), FText.size()));
        LastFindLength = static_cast<std::int32_t>(block.Text.size());
    }
    memo.from = from;
    memo.pos = found;
    memo.length = LastFindLength;
    return found;
}

bool TRERichEdit::FixedLength(const TMaskBlock& block) const {
    switch (block.Kind) {
    case mbkText: return !Options.soIgnoreMode;
    case mbkChars:
    case mbkFileBegin: return true;
    case mbkGap: return block.Number1 < 0;
    default: return false;
    }
}

std::int32_t TRERichEdit::MaskedFind(std::int32_t start) {
    TMaskBlockList& B = SearchPattern().Blocks;
    const int count = B.Count();
    if (count < 3)
        return -1; // nothing compiled
    PrepareMemos();
    const Pos len = TextLength();
    const auto cut = [len](Pos p) { return static_cast<std::int32_t>(std::min(p, len + 1)); };

    FLineFeedTaken.assign(static_cast<std::size_t>(count), false);
    B[1].FoundPos = std::max(start, 0);
    int i = 0;
    while (i < count - 2) {
        ++i;
        TMaskBlock& X = B[i];
        TMaskBlock& Y = B[i + 1];
        switch (X.Kind) {
        case mbkChars:
            if (Pos(X.FoundPos) + X.Length > len)
                return -1;
            Y.FoundPos = cut(Pos(X.FoundPos) + X.FoundLength);
            break;
        case mbkGap:
            // A gap of more than n starts its search n + 1 further on.
            Y.FoundPos = cut(Pos(X.FoundPos) + (X.Number1 > 0 ? Pos(X.Number1) + 1 : 0));
            break;
        case mbkFileBegin:
            if (static_cast<std::size_t>(X.FoundPos) > TextBegin())
                return -1;
            LastFindLength = 0;
            Y.FoundPos = X.FoundPos;
            break;
        case mbkFileEnd:
            if (X.FoundPos > len)
                return -1;
            X.FoundPos = static_cast<std::int32_t>(len);
            Y.FoundPos = static_cast<std::int32_t>(len);
            if (CheckGaps(i))
                Backtrack(i);
            StopPass = true;
            break;
        case mbkText:
        case mbkLineBegin:
        case mbkCharRun: {
            const bool lineStart = X.Kind == mbkLineBegin && X.FoundPos <= len &&
                                   (X.FoundPos == 0 || FText[static_cast<std::size_t>(X.FoundPos - 1)] == '\n');
            std::int32_t f;
            if (lineStart) {
                f = X.FoundPos;
                LastFindLength = 0;
            } else {
                f = FindBlock(i, X.FoundPos);
            }
            if (f < 0)
                return -1;
            X.FoundPos = f;
            if (CheckGaps(i)) {
                Backtrack(i);
                continue;
            }
            X.FoundLength = LastFindLength;
            if (X.Kind == mbkLineBegin) {
                FLineFeedTaken[static_cast<std::size_t>(i)] = !lineStart;
                if (!lineStart) {
                    X.FoundPos = f + 1; // the line starts after its line feed
                    X.FoundLength = 0;
                }
            }
            Y.FoundPos = cut(Pos(X.FoundPos) + X.FoundLength);
            break;
        }
        default:
            break;
        }
    }

    // Fixed runs of characters end where the next block begins; an [LB] that
    // searched for its line feed begins at that line feed.
    for (int k = count - 2; k >= 1; --k)
        if (B[k].Kind == mbkChars)
            B[k].FoundPos = B[k + 1].FoundPos - (FLineFeedTaken[static_cast<std::size_t>(k + 1)] ? 1 : 0) -
                            B[k].FoundLength;

    LastFindLength = B[count - 1].FoundPos - B[1].FoundPos;
    return B[1].FoundPos;
}

bool TRERichEdit::CheckGaps(int i) {
    TMaskBlockList& B = SearchPattern().Blocks;
    Pos pos = B[i].FoundPos;
    for (int k = i - 1; k >= 0; --k) {
        TMaskBlock& P = B[k];
        switch (P.Kind) {
        case mbkChars:
            // A fixed run of characters is pulled against the block after it.
            P.FoundPos = toPos(pos - P.Length);
            if (k == 1)
                return false;
            pos = P.FoundPos;
            continue;
        case mbkGap: {
            const Pos gap = pos - P.FoundPos;
            if (P.Number1 == 0)
                return false;
            if (P.Number1 > 0)
                return gap <= P.Number1;
            return gap >= -Pos(P.Number1);
        }
        default:
            return Pos(P.FoundPos) + P.FoundLength < pos;
        }
    }
    return false;
}

void TRERichEdit::Backtrack(int& i) {
    TMaskBlockList& B = SearchPattern().Blocks;
    int c = 0;
    for (int k = i - 1; k >= 1; --k)
        if (B[k].Kind == mbkGap && B[k].Number1 >= 0) {
            c = k;
            break;
        }
    const Pos previous = B[c + 1].FoundPos;

    // Pull the blocks after the gap so that they would end where block i was found.
    bool fixed = true;
    for (int k = i - 1; k >= c + 1; --k) {
        TMaskBlock& X = B[k];
        const Pos next = B[k + 1].FoundPos;
        X.FoundPos = toPos(X.Kind == mbkGap && X.Number1 < 0 ? next + X.Number1 : next - X.Length);
        fixed = fixed && FixedLength(X);
    }
    // With fixed lengths the pulled place is the first that can match;
    // otherwise go one past the previous place. Never stay or go back.
    Pos resume = fixed ? Pos(B[c + 1].FoundPos) : previous + 1;
    resume = std::max(resume, previous + 1);
    B[c + 1].FoundPos = toPos(std::min(std::max<Pos>(resume, 0), Pos(TextLength()) + 1));
    i = c;
}
