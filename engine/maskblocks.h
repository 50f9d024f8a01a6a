#pragma once

// Blocks of the pattern language and the patterns built from them.
//
// A pattern is plain text with bracketed blocks. Each bracketed block parses
// into one TMaskBlock; a whole pattern compiles into a TMaskBlockList held by
// a TAMaskBlock. Search patterns (TAMaskBlockS) are matched by the engine,
// target patterns (TAMaskBlockR) build the replacement.
//
// Every text here is bytes in the working code page (Windows-1251).

#include "platform/error.h"

#include <QString>

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TRERichEdit;
class TOutputFiles;

// Kind of a block, as stored in TMaskBlock::Kind.
enum TMaskBlockKind : std::uint8_t {
    mbkChars = 0,      // [n?]   exactly n characters
    mbkGap = 1,        // [*], [n*], [-n*]
    mbkText = 2,       // literal text and the literal codes
    mbkCounter = 3,    // [sIt]
    mbkBlockRef = 4,   // [nB], [Bn]
    mbkLineBegin = 5,  // [LB]
    mbkFileBegin = 6,  // [FB]
    mbkFileEnd = 7,    // [FE]
    mbkCharRun = 8,    // [D], [Dset]
    mbkOutput = 9,     // [O"file"] ... [O]
    mbkLine = 10,      // [Qn"file"]
    mbkLineAt = 11,    // [QAn"file"]
    mbkLineGo = 12,    // [QGn"file"]
    mbkLineOfFile = 13 // [QC"file"]
};

namespace bw {

// Raised for a pattern that does not compile; the message is ready to show.
class PatternError : public Error {
public:
    using Error::Error;
};

// The longest text one [nCm] block may produce.
inline constexpr std::int64_t kMaxRepeatedText = 16 * 1024 * 1024;

} // namespace bw

// Folders put in front of the file names of output and line blocks. Set by the
// engine's folder properties; no separator is added between folder and name.
extern QString OutputFolder;
extern QString InputFolder;

// A set of byte characters.
using TCharSet = std::bitset<256>;
TCharSet CharSetOf(std::string_view chars);

// Small text readers used by the block parser. Positions are 1-based.

// Index of the first item equal to text, ASCII letters compared without case; -1 when none.
int IndexOfText(std::string_view text, const std::vector<std::string_view>& list);
// 1-based position of the first set character at or after pos; -1 when none.
int FindCharOfSet(std::string_view text, const TCharSet& set, int pos);
// The run of set characters at pos (maybe empty); pos moves past it.
std::string ReadCharsOfSet(std::string_view text, const TCharSet& set, int& pos);
// An optional sign and a run of decimal digits at pos. False (value untouched)
// when pos is past the end, the run is empty, or the number does not fit below
// 2147483647; the sign and digits stay consumed.
bool ReadSignedInt(std::string_view text, int& pos, std::int32_t& value);
// The text between a double quote at pos and the next one; pos moves past the
// opening quote. Empty (pos unchanged) when pos holds no quote, empty when the
// closing quote is missing.
std::string ReadQuotedText(std::string_view text, int& pos);

// One block of a pattern.
class TMaskBlock {
public:
    virtual ~TMaskBlock() = default;

    TMaskBlockKind Kind = mbkChars;
    std::string Text;
    std::int32_t Length = 0;
    std::int32_t FoundLength = 0;
    std::int32_t FoundPos = 0;
    std::int32_t SavedCounter = 0;
    std::int32_t Number1 = 0;
    std::int32_t Number2 = 0;
    // For output and line-file blocks: the folder in front of the file name
    // as given (any characters), then the name decoded from Text.
    QString FilePath;

    // The kind of a code of this block's side; -1 when the side has no such code.
    virtual int LookupCode(std::string_view code) const = 0;
    // Parses Text, the inside of the brackets, into this block.
    virtual void Parse();
    // Reads the code letters at pos (1-based) and returns the block kind.
    TMaskBlockKind ReadCode(int& pos, std::string& code) const;
};

// A block of a search pattern.
class TMaskBlockS : public TMaskBlock {
public:
    // Index of the nearest [*] before this block; -1 for block 0.
    std::int32_t PrevStar = 0;

    int LookupCode(std::string_view code) const override;
};

// A block of a target pattern.
class TMaskBlockR : public TMaskBlock {
public:
    // The text collected for an output block during one build.
    std::string Collected;

    int LookupCode(std::string_view code) const override;
};

// Makes a fresh block of one side.
using TMaskBlockClass = std::unique_ptr<TMaskBlock> (*)();
std::unique_ptr<TMaskBlock> NewMaskBlockS();
std::unique_ptr<TMaskBlock> NewMaskBlockR();

// Owning list of blocks: deleting an item frees it.
class TMaskBlockList {
public:
    int Count() const { return static_cast<int>(Items.size()); }
    TMaskBlock& operator[](int index) { return *Items[static_cast<std::size_t>(index)]; }
    const TMaskBlock& operator[](int index) const { return *Items[static_cast<std::size_t>(index)]; }
    int Add(std::unique_ptr<TMaskBlock> block);
    void Delete(int index);
    void Clear() { Items.clear(); }

private:
    std::vector<std::unique_ptr<TMaskBlock>> Items;
};

// One pattern: its text as written, its output text and its compiled blocks.
class TAMaskBlock {
public:
    explicit TAMaskBlock(TMaskBlockClass blockClass);
    virtual ~TAMaskBlock();
    TAMaskBlock(const TAMaskBlock&) = delete;
    TAMaskBlock& operator=(const TAMaskBlock&) = delete;

    TMaskBlockClass BlockClass;
    std::string Source;
    std::string Text;
    bool Masked = false;
    TMaskBlockList Blocks;

    // Grows with every compilation, so that users of the blocks can tell a
    // fresh list from the one they saw last.
    std::uint64_t Generation = 0;

    virtual int AddBlock();
    virtual void SetText(const std::string& text);
    virtual void Finish() = 0;
    virtual void Compile();
};

// A search pattern.
class TAMaskBlockS : public TAMaskBlock {
public:
    TAMaskBlockS();
    // The engine whose text the pattern is matched against.
    TRERichEdit* Owner = nullptr;

    TMaskBlockS& Block(int index) { return static_cast<TMaskBlockS&>(Blocks[index]); }
    void Finish() override;
};

// A target pattern.
class TAMaskBlockR : public TAMaskBlock {
public:
    TAMaskBlockR();
    // The search pattern whose blocks the [B] blocks refer to.
    TAMaskBlockS* SearchPattern = nullptr;

    TMaskBlockR& Block(int index) { return static_cast<TMaskBlockR&>(Blocks[index]); }
    void Finish() override;

    // The replacement builder; defined with the processing loop.
    void BuildText();
    void SaveCounters();
    void RestoreCounters();
    void WriteOutputs(TOutputFiles& to);
};
