#include "engine/codepages.h"

#include <QStringList>

#include <gtest/gtest.h>
#include <iconv.h>

#include <set>
#include <utility>

namespace {

std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        s.push_back(static_cast<char>(b));
    return s;
}

// glibc's converter, for cross-checks where its tables agree with ours.
std::string viaIconv(const char* to, const std::string& text1251) {
    iconv_t cd = iconv_open(to, "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no iconv " + std::string(to) + ">";
    std::string in = text1251, out(text1251.size() * 4 + 16, '\0');
    char *ip = in.data(), *op = out.data();
    std::size_t il = in.size(), ol = out.size();
    const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    out.resize(out.size() - ol);
    return r == static_cast<std::size_t>(-1) ? "<iconv failed>" : out;
}

// iconv's names of the pages, by TCodePageId.
constexpr const char* kIconvNames[] = {"CP1251", "CP866", "KOI8-R", "ISO-8859-5", "MACCYRILLIC", "UTF-16LE", "UTF-8"};

const unsigned char* mapOf(int source, int target) {
    return Conversions[FindConversion(source, target)].Map;
}

std::string convert(const std::string& text, int source, int target, TConversionContext& ctx) {
    return ConvertText(text, FindConversion(source, target), ctx);
}

} // namespace

TEST(CodePageTable, EveryPairOnceInItsStoredPlace) {
    ASSERT_EQ(Conversions.size(), 49u);
    std::set<std::pair<int, int>> seen;
    for (const RCTable& r : Conversions) {
        EXPECT_NE(r.Source, r.Target);
        EXPECT_TRUE(seen.insert({r.Source, r.Target}).second);
        EXPECT_EQ(r.Map != nullptr, r.Source <= cpMacintosh && r.Target <= cpMacintosh);
    }
    // Indexes stored by rules and conversion schemes (the rows into the working page are checked below).
    const std::pair<int, std::pair<int, int>> spots[] = {
        {1, {cp866, cpKOI8R}}, {12, {cpKOI8R, cp866}}, {31, {cpUCS2, cp866}}, {41, {cpUTF8, cpUCS2}}};
    for (const auto& [index, pair] : spots)
        EXPECT_EQ(FindConversion(pair.first, pair.second), index);
    EXPECT_EQ(FindConversion(cpWin1251, cpWin1251), -1);
    EXPECT_EQ(FindConversion(cpUTF8, cpAutomatic), -1);
    EXPECT_EQ(ConversionCaption(cpUCS2, cpAutomatic), "Unicode (UCS-2) -> Automatic");
}

TEST(SearchCodePages, TheRuleDialogsListWithItsConversionRows) {
    QStringList names;
    QList<int> rows;
    for (const TSearchCodePage& item : SearchCodePages()) {
        names << item.Name;
        rows << item.Row;
    }
    EXPECT_EQ(rows, (QList<int>{kNoConversion, 0, 13, 19, 25, 30, 36, 43}));
    EXPECT_EQ(names.size(), 8);
    int row = -1;
    EXPECT_TRUE(SearchCodePageRow("koi8-r", row));
    EXPECT_EQ(row, 13);
    EXPECT_FALSE(SearchCodePageRow("KOI8", row));
}

TEST(CodePageMaps, PermutationsWithExactInversesAndAsciiKept) {
    for (int s = 0; s <= cpMacintosh; ++s)
        for (int t = 0; t <= cpMacintosh; ++t) {
            if (s == t)
                continue;
            const unsigned char *m = mapOf(s, t), *back = mapOf(t, s);
            EXPECT_EQ(std::set<int>(m, m + 256).size(), 256u) << s << "->" << t;
            for (int b = 0; b < 256; ++b) {
                EXPECT_EQ(back[m[b]], b) << s << "->" << t << " byte " << b;
                EXPECT_TRUE(b >= 128 || m[b] == b) << s << "->" << t << " byte " << b;
            }
        }
}

TEST(CodePageMaps, RussianLettersWhereThePublishedPagesPutThem) {
    // The 66 Russian letters in Unicode order, then Ё and ё.
    const std::string letters = allBytes().substr(0xC0) + "\xA8\xB8";
    for (int t = cp866; t <= cpMacintosh; ++t) {
        std::string ours;
        for (const char c : letters)
            ours.push_back(static_cast<char>(mapOf(cpWin1251, t)[static_cast<unsigned char>(c)]));
        std::string published = viaIconv(kIconvNames[t], letters);
        if (t == cpMacintosh) {
            // Ё and ё move to 0xA1 and 0xA2 in this page.
            ASSERT_EQ(published.substr(64), "\xDD\xDE");
            published.replace(64, 2, "\xA1\xA2");
        }
        EXPECT_EQ(ours, published) << CodePageNames[t];
    }
    // The own Windows-1251 / KOI8-R pair, not the one through 866.
    EXPECT_EQ(mapOf(cpWin1251, cpKOI8R)[0x88], 0xA8);
    EXPECT_EQ(mapOf(cpKOI8R, cpWin1251)[0xB0], 0x9C);
}

TEST(ConvertText, EveryWorkingPageByteGoesThereAndBack) {
    const std::string all = allBytes();
    std::string no98 = all;
    no98.erase(0x98, 1); // unused in the page; we keep it as U+0098, iconv refuses it
    for (int t = cp866; t <= cpUTF8; ++t) {
        TConversionContext ctx;
        if (t >= cpUCS2) {
            EXPECT_EQ(convert(no98, cpWin1251, t, ctx), viaIconv(kIconvNames[t], no98));
        }
        EXPECT_EQ(ConvertBack(convert(all, cpWin1251, t, ctx), ctx), all) << t;
        EXPECT_FALSE(ctx.RoundTripLoses()) << t;
    }
    // A stored row index that is not in the table leaves the text alone.
    TConversionContext ctx;
    EXPECT_EQ(ConvertText("abc", 49, ctx), "abc");
    EXPECT_EQ(ConvertText("abc", -1, ctx), "abc");
    EXPECT_TRUE(ctx.ConversionLog.isEmpty());
    EXPECT_EQ(ConvertFromUtf8("\xD0\x90", 99, ctx), "\xC0");
    EXPECT_EQ(ConvertToUcs2("\xC0", -1, ctx), "\x10\x04");
}

TEST(ConvertText, EveryStepIsLoggedAndTheWayBackSet) {
    const std::string text1251 = "\xD1\xFA\xE5\xF8\xFC \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 "
                                 "\xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA";
    TConversionContext ctx;
    const std::string koi = ConvertText(text1251, 7, ctx);
    EXPECT_EQ(ConvertBack(koi, ctx), text1251);
    EXPECT_EQ(ctx.LogText(), "Win-1251 -> KOI8-R,KOI8-R -> Win-1251");

    // Automatic: detected, into the working page, then out.
    ctx.Reset();
    const std::string utf8 = ConvertText(koi, 48, ctx);
    EXPECT_EQ(ctx.LogText(), "KOI8-R -> Win-1251,Win-1251 -> UTF-8");
    EXPECT_EQ(ctx.ReverseConversion, FindConversion(cpUTF8, cpKOI8R));
    EXPECT_EQ(utf8, viaIconv("UTF-8", text1251));

    // Already in the target page: unchanged, logged, no way back.
    ctx.Reset();
    EXPECT_EQ(ConvertText(text1251, 43, ctx), text1251);
    EXPECT_EQ(ctx.ConversionLog, "Win-1251 -> Win-1251,");
    EXPECT_EQ(ctx.ReverseConversion, -1);
    EXPECT_EQ(ConvertBack(text1251, ctx), text1251);
}

// The same sentence in all seven code pages, made with our tables and checked
// against iconv's where they agree (the letters).
TEST(DetectCodePage, SameSentenceInEveryPage) {
    const std::string sentence1251 =
        "\xC2 \xF7\xE0\xF9\xE0\xF5 \xFE\xE3\xE0 \xE6\xE8\xEB \xE1\xFB \xF6\xE8\xF2\xF0\xF3\xF1? "
        "\xC4\xE0, \xED\xEE \xF4\xE0\xEB\xFC\xF8\xE8\xE2\xFB\xE9 \xFD\xEA\xE7\xE5\xEC\xEF\xEB\xFF\xF0!";
    for (int id = cpWin1251; id <= cpUTF8; ++id) {
        TConversionContext ctx;
        const std::string text = id == cpWin1251 ? sentence1251 : convert(sentence1251, cpWin1251, id, ctx);
        EXPECT_EQ(text, viaIconv(kIconvNames[id], sentence1251)) << kIconvNames[id];
        EXPECT_EQ(DetectCodePage(text, 0), id) << kIconvNames[id];
        ctx.Reset(); // back to the working page by the Automatic row
        EXPECT_EQ(ConvertText(text, 43, ctx), sentence1251) << kIconvNames[id];
        EXPECT_FALSE(ctx.Lossy);
    }
}

TEST(DetectCodePage, ByteStatisticsOverTheSample) {
    const std::string russian1251(200, '\xEE');
    // Words full of п and я (0xD0, 0xD1 in KOI8-R) and а, б (0xD0, 0xD1 in
    // ISO 8859-5) followed by other letters, far above 2% of the text.
    const std::string words1251 =
        "\xEF\xF0\xFF\xEC\xEE \xEF\xFF\xF2\xFC \xEF\xFF\xF2\xFB\xE9 \xEF\xEE\xEF \xF1\xE2\xFF\xE7\xFC "
        "\xE0\xE1\xE0\xE6\xF3\xF0 \xE1\xE0\xE1\xE0 \xE1\xE0\xED\xEA \xE0\xE1\xEE\xED\xE5\xED\xF2";
    TConversionContext ctx;
    const struct Case { std::string text; int sample; TCodePageId expected; } cases[] = {
        {"", 0, cpWin1251},
        // Zero bytes: exactly 2% is not enough, one more is.
        {std::string(2, '\0') + std::string(98, 'a'), 0, cpWin1251},
        {std::string(3, '\0') + std::string(97, 'a'), 0, cpUCS2},
        // Only the sample counts: three zeros in the first 100 bytes.
        {std::string(3, '\0') + std::string(97, 'a') + russian1251, 100, cpUCS2},
        {std::string(97, 'a') + std::string(3, '\0') + russian1251, 97, cpWin1251},
        // UTF-8 Cyrillic leads need their continuation byte, also past the end of the sample...
        {std::string(10, 'a') + "\xD0\xBF", 0, cpUTF8},
        {"abc\xD0\xBF", 4, cpUTF8},
        // ...so KOI8-R and ISO 8859-5 text is not taken for UTF-8.
        {convert(words1251, cpWin1251, cpKOI8R, ctx), 0, cpKOI8R},
        {convert(words1251, cpWin1251, cpISO88595, ctx), 0, cpISO88595},
        // Ties go to the working page: lower-case text without я reads the
        // same through the "Macintosh" map; plain ASCII scores nothing anywhere.
        {"\xF1\xEB\xEE\xE2\xE0 \xE1\xE5\xE7 \xEF\xEE\xF1\xEB\xE5\xE4\xED\xE5\xE9 \xE1\xF3\xEA\xE2\xFB", 0, cpWin1251},
        {"plain text, nothing else\r\n", 0, cpWin1251},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectCodePage(c.text, c.sample), c.expected) << c.text << " sample " << c.sample;

    // ...and at the very end of the whole text a lead cuts nothing off: short
    // words ending in 0xD0 or 0xD1 are no UTF-8 (which page they are, so few
    // letters cannot tell).
    const struct Word { const char* win1251; TCodePageId page; } words[] = {
        {"\xD2\xCE\xC2\xC0\xD0", cpWin1251},      // ТОВАР
        {"\xCB\xC5\xD1", cpWin1251},                // ЛЕС
        {"\xF1\xF3\xEF", cpKOI8R},                  // суп: п is 0xD0
        {"\xEC\xEE\xFF", cpKOI8R},                  // моя: я is 0xD1
        {"\xEC\xE0\xEC\xE0", cpISO88595},          // мама: а is 0xD0
        {"\xE7\xF3\xE1", cpISO88595},               // зуб: б is 0xD1
    };
    for (const Word& w : words) {
        const std::string text = convert(w.win1251, cpWin1251, w.page, ctx);
        ASSERT_TRUE(text.back() == '\xD0' || text.back() == '\xD1') << w.win1251;
        EXPECT_NE(DetectCodePage(text, 0), cpUTF8) << w.win1251;
    }
    EXPECT_NE(DetectCodePage("abc\xD0" "b", 4), cpUTF8); // a lead cut off by the sample, no continuation after

    ctx.DetectSampleSize = 100;
    EXPECT_EQ(DetectCodePage(cases[3].text, ctx), cpUCS2);
}

TEST(UnicodeConverters, MalformedUtf8BecomesQuestionMarksNeverNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xC3(b", "a?(b"},                      // continuation missing
        {"a\x80\xBF" "b", "a??b"},                // stray continuations
        {"\xE0\x80\xAF", "???"},                  // overlong three-byte form
        {"\xED\xA0\x80", "???"},                  // surrogate
        {"\xE2\x82", "?"},                        // cut off at the end
        {"\xF0\x9F\x98\x80!", "?!"},              // four bytes, no room in the page
        {"\xE2\x80\x94\xE2\x84\x96", "\x97\xB9"}, // three bytes, in the page
    };
    for (const auto& [utf8, win1251] : cases) {
        TConversionContext ctx;
        EXPECT_EQ(convert(utf8, cpUTF8, cpWin1251, ctx), win1251) << utf8;
        EXPECT_EQ(ctx.Lossy, win1251.find('?') != std::string::npos) << utf8;
    }
    // Into UCS-2 a character beyond the basic plane is a surrogate pair, not a loss.
    TConversionContext ctx;
    EXPECT_EQ(convert("\xF0\x9F\x98\x80", cpUTF8, cpUCS2, ctx), std::string("\x3D\xD8\x00\xDE", 4));
    EXPECT_FALSE(ctx.Lossy);
    EXPECT_EQ(convert("\xFF" "a", cpUTF8, cpUCS2, ctx), std::string("?\0a\0", 4));
    EXPECT_TRUE(ctx.Lossy);
}

TEST(UnicodeConverters, Ucs2IsReadWhole) {
    const struct Case { std::string ucs2, win1251; bool lossy; } cases[] = {
        {std::string("A\0\0\0B\0", 6), std::string("A\0B", 3), false},
        {std::string("A\0B", 3), "A", true},                     // odd last byte dropped
        {std::string("\x1F\x04\x4F\x04", 4), "\xCF\xFF", false}, // Пя
        {std::string("\x3D\xD8\x00\xDE" "x\0", 6), "?x", true},  // one '?' for a pair
        {std::string("\x00\xDC" "x\0", 4), "?x", true},          // lone low surrogate
    };
    for (const Case& c : cases) {
        TConversionContext ctx;
        EXPECT_EQ(convert(c.ucs2, cpUCS2, cpWin1251, ctx), c.win1251);
        EXPECT_EQ(ctx.RoundTripLoses(), c.lossy);
    }
    // Straight into UTF-8 as well.
    TConversionContext ctx;
    EXPECT_EQ(convert(std::string("A\0\0\0\x3D\xD8\x00\xDE", 8), cpUCS2, cpUTF8, ctx),
              std::string("A\0\xF0\x9F\x98\x80", 6));
    EXPECT_FALSE(ctx.Lossy);
}

TEST(UnicodeConverters, ByteOrderMarkComesBackOnTheWayBack) {
    const std::string utf8Bom = "\xEF\xBB\xBF", ucs2Bom = "\xFF\xFE";
    const std::string word8 = "\xD0\x9C\xD0\xB8\xD1\x80 ok"; // Мир ok
    const std::string word2 = std::string("\x1C\x04\x38\x04\x40\x04 \0o\0k\0", 12);
    const struct Case { std::string file; int source, target; std::string loaded; } cases[] = {
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
    EXPECT_EQ(ConvertBack(convert(word8, cpUTF8, cpWin1251, ctx), ctx), word8);
    // Only the way back puts it on: another target gets no mark.
    ctx.Reset();
    convert(utf8Bom + word8, cpUTF8, cpWin1251, ctx);
    EXPECT_EQ(convert("ok", cpWin1251, cpUCS2, ctx), std::string("o\0k\0", 4));
}

TEST(UnicodeConverters, LossIsReportedThroughEveryRoute) {
    const std::string chinese = "a\xE4\xB8\xAD" "b"; // a中b
    for (const int target : {cpWin1251, cpKOI8R}) {
        TConversionContext ctx;
        const std::string loaded = convert(chinese, cpUTF8, target, ctx);
        EXPECT_EQ(loaded, "a?b");
        ConvertBack(loaded, ctx); // the flag stays up until the caller resets it
        EXPECT_TRUE(ctx.RoundTripLoses()) << target;
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

TEST(UnicodeConverters, OnlyTheFirstMarkIsTheByteOrderMark) {
    // A U+FEFF right after the mark is text: it survives the way there and back.
    const std::string utf8Bom = "\xEF\xBB\xBF", ucs2Bom = "\xFF\xFE";
    const struct Case { std::string file; int source, target; std::string loaded; } cases[] = {
        {ucs2Bom + ucs2Bom, cpUCS2, cpUTF8, utf8Bom},
        {ucs2Bom + ucs2Bom + std::string("A\0", 2), cpUCS2, cpUTF8, utf8Bom + "A"},
        {ucs2Bom + ucs2Bom + ucs2Bom, cpUCS2, cpUTF8, utf8Bom + utf8Bom},
        {utf8Bom + utf8Bom, cpUTF8, cpUCS2, ucs2Bom},
        {utf8Bom + utf8Bom + "A", cpUTF8, cpUCS2, ucs2Bom + std::string("A\0", 2)},
    };
    for (const Case& c : cases) {
        TConversionContext ctx;
        const std::string loaded = convert(c.file, c.source, c.target, ctx);
        EXPECT_EQ(loaded, c.loaded) << c.source;
        EXPECT_FALSE(ctx.RoundTripLoses());
        EXPECT_EQ(ConvertBack(loaded, ctx), c.file) << c.source;
    }
}
