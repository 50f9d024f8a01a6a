#include "engine/codepages.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::string convert(const std::string& text, int source, int target, TConversionContext& ctx) {
    return ConvertText(text, FindConversion(source, target), ctx);
}

} // namespace

TEST(UnicodeConverters, EveryWorkingPageByteRoundTrips) {
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    for (const int form : {cpUTF8, cpUCS2}) {
        TConversionContext ctx;
        const std::string encoded = convert(all, cpWin1251, form, ctx);
        EXPECT_EQ(ConvertBack(encoded, ctx), all) << form;
        EXPECT_FALSE(ctx.RoundTripLoses());
    }
    TConversionContext ctx;
    EXPECT_EQ(convert("\xC0\xFF\x98", cpWin1251, cpUTF8, ctx), "\xD0\x90\xD1\x8F\xC2\x98");
    const std::string utf8 = convert(all, cpWin1251, cpUTF8, ctx);
    const std::string ucs2 = convert(utf8, cpUTF8, cpUCS2, ctx);
    EXPECT_EQ(ucs2.size(), 512u);
    EXPECT_EQ(convert(ucs2, cpUCS2, cpUTF8, ctx), utf8);
    EXPECT_EQ(convert(ucs2, cpUCS2, cpKOI8R, ctx), convert(all, cpWin1251, cpKOI8R, ctx));
    EXPECT_FALSE(ctx.Lossy);
}

TEST(UnicodeConverters, MalformedUtf8BecomesQuestionMarksNeverNothing) {
    struct Case {
        std::string utf8;
        std::string win1251;
    };
    const Case cases[] = {
        {"\xD0\x9F\xD1\x80\xD0\xB8", "\xCF\xF0\xE8"},  // well formed, for contrast
        {"a\xC3(b", "a?(b"},                          // continuation missing
        {"a\x80\xBF" "b", "a??b"},                    // stray continuations
        {"\xC0\xAF", "??"},                           // overlong lead
        {"\xE0\x80\xAF", "???"},                      // overlong three-byte form
        {"\xED\xA0\x80", "???"},                      // surrogate
        {"\xF4\x90\x80\x80", "????"},                 // beyond U+10FFFF
        {"\xE2\x82", "?"},                            // cut off at the end
        {"\xF0\x9F\x98\x80!", "?!"},                  // four bytes, no room in the page
        {"\xE2\x80\x94\xE2\x84\x96", "\x97\xB9"},     // three bytes, in the page
    };
    for (const Case& c : cases) {
        TConversionContext ctx;
        EXPECT_EQ(convert(c.utf8, cpUTF8, cpWin1251, ctx), c.win1251) << c.utf8;
        EXPECT_EQ(ctx.Lossy, c.win1251.find('?') != std::string::npos) << c.utf8;
    }
    // Into UCS-2 a character beyond the basic plane is a surrogate pair, not a loss.
    TConversionContext ctx;
    EXPECT_EQ(convert("\xF0\x9F\x98\x80", cpUTF8, cpUCS2, ctx), std::string("\x3D\xD8\x00\xDE", 4));
    EXPECT_FALSE(ctx.Lossy);
    EXPECT_EQ(convert("\xFF" "a", cpUTF8, cpUCS2, ctx), std::string("?\0a\0", 4));
    EXPECT_TRUE(ctx.Lossy);
}

TEST(UnicodeConverters, Ucs2IsReadWhole) {
    struct Case {
        std::string ucs2;
        std::string win1251;
        bool lossy;
    };
    const Case cases[] = {
        {std::string("A\0\0\0B\0", 6), std::string("A\0B", 3), false},
        {std::string("A\0B", 3), "A", true},                        // odd last byte dropped
        {std::string("\x1F\x04\x4F\x04", 4), "\xCF\xFF", false},    // Пя
        {std::string("\x3D\xD8\x00\xDE" "x\0", 6), "?x", true},     // one '?' for a pair
        {std::string("\x00\xDC" "x\0", 4), "?x", true},             // lone low surrogate
        {std::string("\x2D\x4E", 2), "?", true},                    // 中
    };
    for (const Case& c : cases) {
        TConversionContext ctx;
        EXPECT_EQ(convert(c.ucs2, cpUCS2, cpWin1251, ctx), c.win1251);
        EXPECT_EQ(ctx.RoundTripLoses(), c.lossy);
    }
    TConversionContext ctx;
    EXPECT_EQ(convert(std::string("A\0\0\0\x3D\xD8\x00\xDE", 8), cpUCS2, cpUTF8, ctx),
              std::string("A\0\xF0\x9F\x98\x80", 6));
    EXPECT_FALSE(ctx.Lossy);
}

TEST(UnicodeConverters, ByteOrderMarkComesBackOnTheWayBack) {
    const std::string utf8Bom = "\xEF\xBB\xBF";
    const std::string ucs2Bom = "\xFF\xFE";
    const std::string word8 = "\xD0\x9C\xD0\xB8\xD1\x80 ok";                // Мир ok
    const std::string word2 = std::string("\x1C\x04\x38\x04\x40\x04 \0o\0k\0", 12);
    struct Case {
        std::string file;
        int source;
        int target;
        std::string loaded;
    };
    const Case cases[] = {
        {utf8Bom + word8, cpUTF8, cpWin1251, "\xCC\xE8\xF0 ok"},
        {utf8Bom + word8, cpUTF8, cp866, "\x8C\xA8\xE0 ok"},
        {utf8Bom + word8, cpAutomatic, cpWin1251, "\xCC\xE8\xF0 ok"},
        {ucs2Bom + word2, cpUCS2, cpWin1251, "\xCC\xE8\xF0 ok"},
        {ucs2Bom + word2, cpAutomatic, cpKOI8R, "\xED\xC9\xD2 ok"},
        {utf8Bom + word8, cpUTF8, cpUCS2, word2},
        {ucs2Bom + word2, cpUCS2, cpUTF8, word8},
    };
    for (const Case& c : cases) {
        TConversionContext ctx;
        const int row = FindConversion(c.source, c.target);
        const std::string loaded = Conversions[row].Converter(c.file, row, ctx);
        EXPECT_EQ(loaded, c.loaded) << row;
        EXPECT_FALSE(ctx.RoundTripLoses());
        EXPECT_EQ(ConvertBack(loaded, ctx), c.file) << row;
    }

    // A file without a mark gets none, even after one that had it.
    TConversionContext ctx;
    convert(utf8Bom + word8, cpUTF8, cpWin1251, ctx);
    ctx.Reset();
    const std::string loaded = convert(word8, cpUTF8, cpWin1251, ctx);
    EXPECT_EQ(ConvertBack(loaded, ctx), word8);
    // Only the way back puts it on: another target gets no mark.
    ctx.Reset();
    convert(utf8Bom + word8, cpUTF8, cpWin1251, ctx);
    EXPECT_EQ(convert("ok", cpWin1251, cpUCS2, ctx), std::string("o\0k\0", 4));
}

TEST(UnicodeConverters, LossIsReportedThroughEveryRoute) {
    const std::string chinese = "a\xE4\xB8\xAD" "b";  // a中b
    for (const int target : {cpWin1251, cp866, cpKOI8R, cpISO88595, cpMacintosh}) {
        TConversionContext ctx;
        const std::string loaded = convert(chinese, cpUTF8, target, ctx);
        EXPECT_EQ(loaded, "a?b");
        EXPECT_TRUE(ctx.RoundTripLoses()) << target;
        // The flag stays up through later steps until the caller resets it.
        ConvertBack(loaded, ctx);
        EXPECT_TRUE(ctx.Lossy);
        ctx.Reset();
        EXPECT_FALSE(ctx.Lossy);
    }
    // Detected as UTF-8: the Automatic row's own converter goes through the
    // working page and loses; the general entry picks the direct row.
    const std::string russianChinese = "\xD0\x9F\xD1\x80\xD0\xB8 " + chinese;
    const int row = FindConversion(cpAutomatic, cpUCS2);
    TConversionContext ctx;
    Conversions[row].Converter(russianChinese, row, ctx);
    EXPECT_EQ(ctx.LogText(), "UTF-8 -> Win-1251,Win-1251 -> Unicode (UCS-2)");
    EXPECT_TRUE(ctx.Lossy);
    ctx.Reset();
    ConvertText(russianChinese, row, ctx);
    EXPECT_EQ(ctx.LogText(), "UTF-8 -> Unicode (UCS-2)");
    EXPECT_FALSE(ctx.Lossy);
}
