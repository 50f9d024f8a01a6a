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
std::string viaIconv(const char* from, const char* to, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no iconv " + std::string(from) + ">";
    std::string in = text;
    std::string out(text.size() * 4 + 16, '\0');
    char* ip = in.data();
    char* op = out.data();
    std::size_t il = in.size(), ol = out.size();
    const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1))
        return "<iconv failed>";
    out.resize(out.size() - ol);
    return out;
}

constexpr const char* kIconvNames[] = {"CP1251", "CP866", "KOI8-R", "ISO-8859-5", "MACCYRILLIC"};

// The 66 Russian letters in Unicode order, then Ё and ё, as Windows-1251 bytes.
std::string russianLetters1251() {
    std::string s;
    for (int b = 0xC0; b <= 0xFF; ++b)
        s.push_back(static_cast<char>(b));
    return s + "\xA8\xB8";
}

const unsigned char* mapOf(int source, int target) {
    return Conversions[FindConversion(source, target)].Map;
}

} // namespace

TEST(CodePageTable, EveryPairOnceInItsStoredPlace) {
    ASSERT_EQ(Conversions.size(), 49u);
    std::set<std::pair<int, int>> seen;
    for (const RCTable& r : Conversions) {
        EXPECT_NE(r.Source, r.Target);
        EXPECT_NE(r.Target, cpAutomatic);
        EXPECT_TRUE(seen.insert({r.Source, r.Target}).second);
        EXPECT_EQ(r.Map != nullptr, r.Source <= cpMacintosh && r.Target <= cpMacintosh);
        EXPECT_NE(r.Converter, nullptr);
    }
    // Indexes stored by rules, code-page lists and conversion schemes.
    const int toWorking[] = {0, 13, 19, 25, 30, 36, 43};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Conversions[toWorking[i]].Target, cpWin1251) << i;
    const std::pair<int, std::pair<int, int>> spots[] = {
        {1, {cp866, cpKOI8R}},        {6, {cpWin1251, cp866}},   {7, {cpWin1251, cpKOI8R}},
        {12, {cpKOI8R, cp866}},       {20, {cpISO88595, cpKOI8R}}, {27, {cpMacintosh, cpISO88595}},
        {31, {cpUCS2, cp866}},        {35, {cpUCS2, cpUTF8}},    {41, {cpUTF8, cpUCS2}},
        {42, {cpAutomatic, cp866}},   {47, {cpAutomatic, cpUCS2}}, {48, {cpAutomatic, cpUTF8}},
    };
    for (const auto& [index, pair] : spots)
        EXPECT_EQ(FindConversion(pair.first, pair.second), index);
    EXPECT_EQ(FindConversion(cpWin1251, cpWin1251), -1);
    EXPECT_EQ(FindConversion(cpUTF8, cpAutomatic), -1);
    EXPECT_EQ(ConversionCaption(cpKOI8R, cpWin1251), "KOI8-R -> Win-1251");
    EXPECT_EQ(ConversionCaption(cpUCS2, cpAutomatic), "Unicode (UCS-2) -> Automatic");
}

TEST(CodePageMaps, PermutationsWithExactInversesAndAsciiKept) {
    for (int s = 0; s <= cpMacintosh; ++s)
        for (int t = 0; t <= cpMacintosh; ++t) {
            if (s == t)
                continue;
            const unsigned char* m = mapOf(s, t);
            const unsigned char* back = mapOf(t, s);
            std::set<int> images;
            for (int b = 0; b < 256; ++b) {
                images.insert(m[b]);
                EXPECT_EQ(back[m[b]], b) << s << "->" << t << " byte " << b;
                if (b < 128) {
                    EXPECT_EQ(m[b], b);
                }
            }
            EXPECT_EQ(images.size(), 256u) << s << "->" << t;
        }
}

TEST(CodePageMaps, RussianLettersWhereThePublishedPagesPutThem) {
    const std::string letters = russianLetters1251();
    for (int t = cp866; t <= cpMacintosh; ++t) {
        std::string ours;
        for (const char c : letters)
            ours.push_back(static_cast<char>(mapOf(cpWin1251, t)[static_cast<unsigned char>(c)]));
        std::string published = viaIconv("CP1251", kIconvNames[t], letters);
        if (t == cpMacintosh) {
            // Ё and ё move to 0xA1 and 0xA2 in this page.
            ASSERT_EQ(published.substr(64), "\xDD\xDE");
            published.replace(64, 2, "\xA1\xA2");
        }
        EXPECT_EQ(ours, published) << CodePageNames[t];
    }
    const unsigned char yo[] = {0xA8, 0xF0, 0xB3, 0xA1, 0xA1};
    for (int t = cp866; t <= cpMacintosh; ++t)
        EXPECT_EQ(mapOf(cpWin1251, t)[0xA8], yo[t]);
    EXPECT_NE(mapOf(cpMacintosh, cpWin1251)[0xDD], 0xA8);
    // The own Windows-1251 / KOI8-R pair, not the one through 866.
    EXPECT_EQ(mapOf(cpWin1251, cpKOI8R)[0x88], 0xA8);
    EXPECT_EQ(mapOf(cpKOI8R, cpWin1251)[0xB0], 0x9C);
}

TEST(ConvertText, WorkingPageToUnicodeAgreesWithIconv) {
    std::string all = allBytes();
    all.erase(0x98, 1);  // unused in the page; we keep it as U+0098, iconv refuses it
    TConversionContext ctx;
    EXPECT_EQ(ConvertText(all, FindConversion(cpWin1251, cpUTF8), ctx), viaIconv("CP1251", "UTF-8", all));
    EXPECT_EQ(ConvertText(all, FindConversion(cpWin1251, cpUCS2), ctx), viaIconv("CP1251", "UTF-16LE", all));
    EXPECT_FALSE(ctx.Lossy);
}

TEST(ConvertText, ByteMapRowLogsAndSetsTheWayBack) {
    TConversionContext ctx;
    EXPECT_EQ(ConvertText("\xC0\xE0", 7, ctx), "\xE1\xC1");
    EXPECT_EQ(ctx.ConversionLog, "Win-1251 -> KOI8-R,");
    EXPECT_EQ(ctx.ReverseConversion, 13);
    EXPECT_EQ(ConvertBack("\xE1\xC1 x", ctx), "\xC0\xE0 x");
    EXPECT_EQ(ctx.LogText(), "Win-1251 -> KOI8-R,KOI8-R -> Win-1251");
    EXPECT_FALSE(ctx.RoundTripLoses());

    // Every byte through every 8-bit page and back.
    const std::string all = allBytes();
    for (int t = cp866; t <= cpMacintosh; ++t) {
        ctx.Reset();
        const std::string there = ConvertText(all, FindConversion(cpWin1251, t), ctx);
        EXPECT_EQ(ConvertBack(there, ctx), all) << t;
    }
    EXPECT_FALSE(ctx.Lossy);

    // A stored row index that is not in the table leaves the text alone.
    ctx.Reset();
    EXPECT_EQ(ConvertText("abc", 49, ctx), "abc");
    EXPECT_EQ(ConvertText("abc", -1, ctx), "abc");
    EXPECT_TRUE(ctx.ConversionLog.isEmpty());
    EXPECT_EQ(ConvertFromUtf8("\xD0\x90", 99, ctx), "\xC0");
    EXPECT_EQ(ConvertToUcs2("\xC0", -1, ctx), "\x10\x04");
}

TEST(ConvertText, AutomaticLogsEveryStep) {
    const std::string text1251 = "\xD1\xFA\xE5\xF8\xFC \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 "
                                 "\xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA";
    TConversionContext ctx;

    // KOI8-R text to UTF-8: detected, into the working page, then out.
    const std::string koi = ConvertText(text1251, 7, ctx);
    ctx.Reset();
    const std::string utf8 = ConvertText(koi, 48, ctx);
    EXPECT_EQ(ctx.LogText(), "KOI8-R -> Win-1251,Win-1251 -> UTF-8");
    EXPECT_EQ(ctx.ReverseConversion, FindConversion(cpUTF8, cpKOI8R));
    EXPECT_EQ(utf8, viaIconv("CP1251", "UTF-8", text1251));
    // The row's own converter, called directly, detects too but has no way back.
    ctx.Reset();
    EXPECT_EQ(Conversions[48].Converter(koi, 48, ctx), utf8);
    EXPECT_EQ(ctx.LogText(), "KOI8-R -> Win-1251,Win-1251 -> UTF-8");
    EXPECT_EQ(ctx.ReverseConversion, -1);

    // UTF-8 text to 866.
    ctx.Reset();
    const std::string dos = ConvertText(utf8, 42, ctx);
    EXPECT_EQ(ctx.LogText(), "UTF-8 -> Win-1251,Win-1251 -> 866");
    EXPECT_EQ(ctx.ReverseConversion, FindConversion(cp866, cpUTF8));
    EXPECT_EQ(dos, ConvertText(text1251, 6, ctx));
    ctx.Reset();
    EXPECT_EQ(ConvertText(dos, 5, ctx), utf8);
    EXPECT_EQ(ctx.LogText(), "866 -> Win-1251,Win-1251 -> UTF-8");

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
    const char* unicodeNames[] = {nullptr, nullptr, nullptr, nullptr, nullptr, "UTF-16LE", "UTF-8"};
    for (int id = cpWin1251; id <= cpUTF8; ++id) {
        TConversionContext ctx;
        const std::string text = id == cpWin1251 ? sentence1251 : ConvertText(sentence1251, FindConversion(cpWin1251, id), ctx);
        const char* name = id <= cpMacintosh ? kIconvNames[id] : unicodeNames[id];
        EXPECT_EQ(text, viaIconv("CP1251", name, sentence1251)) << name;
        EXPECT_EQ(DetectCodePage(text, 0), id) << name;
        // Back to the working page by the Automatic row.
        ctx.Reset();
        EXPECT_EQ(ConvertText(text, 43, ctx), sentence1251) << name;
        EXPECT_FALSE(ctx.Lossy);
    }
}

TEST(DetectCodePage, UnicodeByteStatisticsOverTheSample) {
    struct Case {
        std::string text;
        int sample;
        TCodePageId expected;
    };
    const std::string russian1251(200, '\xEE');
    const Case cases[] = {
        {"", 0, cpWin1251},
        // Zero bytes: exactly 2% is not enough, one more is.
        {std::string(2, '\0') + std::string(98, 'a'), 0, cpWin1251},
        {std::string(3, '\0') + std::string(97, 'a'), 0, cpUCS2},
        // Only the sample counts: three zeros in the first 100 bytes.
        {std::string(3, '\0') + std::string(97, 'a') + russian1251, 100, cpUCS2},
        {std::string(97, 'a') + std::string(3, '\0') + russian1251, 97, cpWin1251},
        // UTF-8 Cyrillic leads need their continuation byte...
        {std::string(10, 'a') + "\xD0\xBF", 0, cpUTF8},
        {std::string(10, 'a') + "\xD1\x8F", 0, cpUTF8},
        // ...unless the sample cuts the sequence off.
        {"abc\xD0\xBF", 4, cpUTF8},
        {"ab\xD0", 0, cpUTF8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectCodePage(c.text, c.sample), c.expected) << c.text.size() << " sample " << c.sample;

    TConversionContext ctx;
    ctx.DetectSampleSize = 100;
    EXPECT_EQ(DetectCodePage(cases[3].text, ctx), cpUCS2);
}

TEST(DetectCodePage, KoiAndIsoTextIsNotTakenForUtf8) {
    // Words full of п and я (0xD0, 0xD1 in KOI8-R) and а, б (0xD0, 0xD1 in
    // ISO 8859-5) followed by other letters, far above 2% of the text.
    const std::string words1251 =
        "\xEF\xF0\xFF\xEC\xEE \xEF\xFF\xF2\xFC \xEF\xFF\xF2\xFB\xE9 \xEF\xEE\xEF \xF1\xE2\xFF\xE7\xFC "
        "\xE0\xE1\xE0\xE6\xF3\xF0 \xE1\xE0\xE1\xE0 \xE1\xE0\xED\xEA \xE0\xE1\xEE\xED\xE5\xED\xF2";
    for (const int id : {cpKOI8R, cpISO88595}) {
        TConversionContext ctx;
        const std::string text = ConvertText(words1251, FindConversion(cpWin1251, id), ctx);
        EXPECT_EQ(DetectCodePage(text, 0), id) << CodePageNames[id];
    }
}

TEST(DetectCodePage, TiesGoToTheWorkingPage) {
    // Lower-case Windows-1251 without я reads the same through the
    // "Macintosh" map; plain ASCII scores nothing anywhere.
    const std::string lower = "\xF1\xEB\xEE\xE2\xE0 \xE1\xE5\xE7 \xEF\xEE\xF1\xEB\xE5\xE4\xED\xE5\xE9 \xE1\xF3\xEA\xE2\xFB";
    EXPECT_EQ(DetectCodePage(lower, 0), cpWin1251);
    EXPECT_EQ(DetectCodePage("plain text, nothing else\r\n", 0), cpWin1251);

    TConversionContext ctx;
    EXPECT_EQ(ConvertText("plain", 43, ctx), "plain");
    EXPECT_EQ(ctx.ConversionLog, "Win-1251 -> Win-1251,");
    EXPECT_EQ(ctx.ReverseConversion, -1);
}

TEST(SearchCodePages, TheRuleDialogsListWithItsConversionRows) {
    QStringList names;
    QList<int> rows;
    for (const TSearchCodePage& item : SearchCodePages()) {
        names << item.Name;
        rows << item.Row;
    }
    EXPECT_EQ(names, (QStringList{"Win-1251", "866", "KOI8-R", "ISO 8859-5", "Macintosh", "Unicode (UCS-2)", "UTF-8",
                                  "Automatic"}));
    EXPECT_EQ(rows, (QList<int>{kNoConversion, 0, 13, 19, 25, 30, 36, 43}));
    int row = -1;
    EXPECT_TRUE(SearchCodePageRow("koi8-r", row));
    EXPECT_EQ(row, 13);
    EXPECT_FALSE(SearchCodePageRow("KOI8", row));
}
