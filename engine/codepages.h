#pragma once

// Code pages of Russian text: identifiers and names, the fixed table of 49
// conversions between them, the converters and automatic detection.
//
// Texts are bytes. The working code page is Windows-1251: every 8-bit page is
// converted to and from it by byte maps that are exact permutations, and the
// Unicode forms (UCS-2 as UTF-16LE, UTF-8) pass through it.
//
// A caller owns one TConversionContext and passes it to every conversion. A
// typical file round trip in the processing run:
//
//     ctx.Reset();                                  // before each file
//     std::string work = Conversions[row].Converter(bytes, row, ctx);
//     if (ctx.RoundTripLoses()) { /* refuse to save: characters would be lost */ }
//     ... search and replace in work ...
//     std::string out = ConvertBack(work, ctx);     // original page, BOM back on
//
// ConvertBack runs the row in ctx.ReverseConversion; a byte-order mark that
// the forward conversion took off the text is put back by that row.

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TCodePageId : int {
    cpWin1251 = 0,
    cp866 = 1,
    cpKOI8R = 2,
    cpISO88595 = 3,
    cpMacintosh = 4,
    cpUCS2 = 5,
    cpUTF8 = 6,
    cpAutomatic = 7,
};

// The names are stored in rules and code-page lists: never change them.
inline constexpr std::array<std::string_view, 8> CodePageNames = {
    "Win-1251", "866", "KOI8-R", "ISO 8859-5", "Macintosh", "Unicode (UCS-2)", "UTF-8", "Automatic",
};

// What one caller's conversions share: the log, the way back, the detection
// sample, and what the last conversion lost or took off.
struct TConversionContext {
    // Each conversion step appends "<source> -> <target>," (see LogText()).
    QString ConversionLog;
    // The row that converts the last result back to where it came from; -1 when none.
    int ReverseConversion = -1;
    // Leading bytes detection counts zero and UTF-8 bytes in; 0 (or less) means all.
    int DetectSampleSize = 0;
    // Set by any step that put the default character '?' in place of a
    // character the target cannot hold, turned malformed UTF-8 into '?' or
    // dropped a byte (odd last byte of UCS-2). Never cleared by a converter.
    bool Lossy = false;
    // The byte-order mark a UTF-8 or UCS-2 decoding took off the front of the
    // text, and the row that puts it back on (the reverse of that decoding);
    // that row takes it out of here. Any other row leaves the result bare.
    std::string KeptBom;
    int KeptBomRow = -1;

    // Clears everything but DetectSampleSize: call before converting a new text.
    void Reset();
    // Would converting the text back give other bytes than it came with?
    bool RoundTripLoses() const { return Lossy; }
    // The log without its trailing comma, for display.
    QString LogText() const;
};

// One conversion: converts text by row `row` of Conversions.
using TConverter = std::string (*)(const std::string& text, int row, TConversionContext& ctx);

struct RCTable {
    int Source;                // TCodePageId
    int Target;                // TCodePageId
    const unsigned char* Map;  // 256 bytes for a pair of 8-bit pages, else nullptr
    TConverter Converter;
};

inline constexpr int ConversionCount = 49;
// Row indexes are stored in conversion schemes and code-page lists: the order is fixed.
extern const std::array<RCTable, ConversionCount> Conversions;

// Weights of the Russian letters а..я (without ё), index k for Windows-1251
// bytes 0xC0 + k and 0xE0 + k.
extern const std::array<double, 32> RussianLetterFrequencies;

// The first row from source to target, -1 when none.
int FindConversion(int source, int target);
// "<source name> -> <target name>".
QString ConversionCaption(int source, int target);

// Converts text by any row (byte map, Automatic, or one of the converters below).
// A row index outside the table returns the text unchanged.
std::string ConvertText(const std::string& text, int row, TConversionContext& ctx);
// Converts text by ctx.ReverseConversion (unchanged when -1), putting back a
// byte-order mark the forward conversion kept aside.
std::string ConvertBack(const std::string& text, TConversionContext& ctx);

std::string ConvertToUtf8(const std::string& text, int row, TConversionContext& ctx);
std::string ConvertFromUtf8(const std::string& text, int row, TConversionContext& ctx);
std::string ConvertToUcs2(const std::string& text, int row, TConversionContext& ctx);
std::string ConvertFromUcs2(const std::string& text, int row, TConversionContext& ctx);
std::string ConvertUtf8ToUcs2(const std::string& text, int row, TConversionContext& ctx);
std::string ConvertUcs2ToUtf8(const std::string& text, int row, TConversionContext& ctx);

// The code page of a text, cpWin1251..cpUTF8, from the first sampleSize bytes
// (0 or less: all) for the Unicode forms and from the whole text's Russian
// letter frequencies for the 8-bit pages. One pass over the text.
TCodePageId DetectCodePage(std::string_view text, int sampleSize);
inline TCodePageId DetectCodePage(std::string_view text, const TConversionContext& ctx) {
    return DetectCodePage(text, ctx.DetectSampleSize);
}

// The code pages a rule searches in, as the rule dialog's list offers them:
// "Win-1251" first with kNoConversion, then the source of every row that
// converts into Win-1251, in table order, with that row. The one table that
// maps the code-page names stored in rules to conversion rows.
inline constexpr int kNoConversion = 65535;
struct TSearchCodePage {
    QString Name;
    int Row;
};
const std::vector<TSearchCodePage>& SearchCodePages();
// The row of a code-page name (letter case ignored); false when the name is
// not in the list.
bool SearchCodePageRow(const QString& name, int& row);
