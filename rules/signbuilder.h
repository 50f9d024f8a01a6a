#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The block the signs dialog builds: one sign of the pattern language with its
// numbers, for the search side or the target side.

// The signs, in the order of the dialog's radio buttons.
enum TSign : int {
    sgNone = -1,
    sgFileBegin,   // [FB]
    sgFileEnd,     // [FE]
    sgLineBegin,   // [LB]
    sgWindowsEnd,  // [LEW]
    sgUnixEnd,     // [LEU]
    sgOpenBracket, // [OB]
    sgCloseBracket,// [CB]
    sgCode,        // [nCm]
    sgBlock,       // [nB]
    sgLength,      // [n?]
    sgLess,        // [-n*]
    sgMore,        // [n*]
    sgChars,       // [Dset]
    sgCounter,     // [nIk]
    sgCount
};

// What the dialog's controls hold.
struct TSignChoice {
    int Sign = sgFileBegin;
    std::int32_t Code = 0;         // SEC
    std::int32_t Repeat = 1;       // SECC
    std::int32_t Block = 0;        // SEB
    std::int32_t Length = 1;       // SEQ
    std::int32_t Less = 1;         // SEML
    std::int32_t More = 0;         // SEMG
    QString Digits = QStringLiteral("1234567890"); // EDigits
    std::int32_t CounterStart = 0; // SEIB
    std::int32_t CounterStep = 0;  // SEIS
    bool SetNumber = false;        // CBSetNumber
    std::int32_t Number = 0;       // SEBN
    bool Search = true;            // the side the block is for
};

// Which controls are enabled.
struct TSignEnabling {
    std::array<bool, sgCount> Signs{};
    bool CodeBoxes = false;     // SEC, SECC and the label "count"
    bool BlockBox = false;      // SEB
    bool LengthBox = false;     // SEQ
    bool LessBox = false;       // SEML
    bool MoreBox = false;       // SEMG
    bool CounterBoxes = false;  // SEIB, SEIS
    bool CounterLabels = false; // "Start from", "Step"
    bool SetNumber = false;     // CBSetNumber
    bool NumberBox = false;     // SEBN
    bool operator==(const TSignEnabling&) const = default;
};

// Whether a sign may be chosen on a side.
bool SignAllowed(int sign, bool search);
TSignEnabling SignEnabling(const TSignChoice& choice);

// Whether the number option adds a number: it is on, the side is search, and
// the sign is not "with the code" (after C a number is the count).
bool SignNumberApplies(const TSignChoice& choice);

// "[" + sign + number part + "]". The number goes after the sign, for [D]
// between the D and the set; a set of the ten digits is then left out.
QString SignBlockText(const TSignChoice& choice);

// Prepares the choice for a side: a sign the side does not allow gives way to
// [LEW] on the target side and to [FB] on the search side; the number option
// is switched off on the target side.
void SetSignSourceMode(TSignChoice& choice, bool search);

// Empty when the pattern reads the block text back as the sign, set and
// number chosen; otherwise a hint saying why it would not.
QString SignBlockProblem(const TSignChoice& choice);
