#include "engine/rerichedit.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>

namespace {

struct Found {
    std::int32_t pos;
    std::int32_t length;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << "{" << f.pos << ", " << f.length << "}";
}

// Readable text for failure messages: control bytes as escapes.
std::string show(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

class Engine {
public:
    explicit Engine(TSearchTypes options = 0, bool ignoreMode = false) {
        re.SearchOptions = options;
        re.Options.soIgnoreMode = ignoreMode;
    }

    Found find(const std::string& needle, const std::string& text, std::int32_t from = 0) {
        load(text);
        re.LastFindLength = -7;
        const std::int32_t p = re.Find(needle, from, re.TextLength() - from);
        return {p, re.LastFindLength};
    }

    Found masked(const std::string& pattern, const std::string& text, std::int32_t start = 0) {
        load(text);
        re.SearchPattern().Masked = true;
        re.SearchPattern().SetText(pattern);
        re.RecompileAll();
        re.StopPass = false;
        const std::int32_t p = re.MaskedFind(start);
        return {p, p < 0 ? -1 : re.LastFindLength};
    }

    void load(const std::string& text) {
        if (text != re.Text())
            re.SetText(text);
    }

    TRERichEdit re;
};

} // namespace

TEST(PlainFind, CaseWordsAndRanges) {
    struct Case {
        const char* needle;
        std::string text;
        TSearchTypes options;
        std::int32_t from;
        std::int32_t pos;
    };
    const Case cases[] = {
        {"abc", "xABC", 0, 0, 1},
        {"abc", "xABCabc", stMatchCase, 0, 4},
        {"abc", "xABC", stMatchCase, 0, -1},
        {"\xB8\xE6", "\xC0\xA8\xC6", 0, 0, 1},     // ёж finds ЁЖ
        {"\xE0\xE1", "\xC0\xC1\xE0\xE1", stMatchCase, 0, 2},
        {"cat", "concat cat", stWholeWord, 0, 7},
        {"cat", "cat_x cat", stWholeWord, 0, 6},
        {"cat", "cat9 cats cat", stWholeWord, 0, 10},
        {"\xEA\xEE\xF2", "\xEA\xEE\xF2\xE8\xEA \xCA\xCE\xD2", stWholeWord, 0, 6}, // кот in котик КОТ
        {".x", "a.x", stWholeWord, 0, 1},  // the edge '.' is not a word character
        {"x.", "x.a", stWholeWord, 0, 0},
        {"x.", "ax.a", stWholeWord, 0, -1},
        {"", "abc", 0, 0, -1},
        {"a", "abc", 0, -5, 0},
        {"a", "aba", 0, 1, 2},
        {"a", "aba", 0, 3, -1},
        {"a", "aba", 0, 4, -1},
        {"needle", std::string(100, 'x') + "NEEDLE" + std::string(40, 'y'), 0, 0, 100},
        {"ab", std::string(37, 'a') + "b", 0, 3, 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle + std::string(" in ") + show(c.text));
        Engine e(c.options);
        EXPECT_EQ(e.find(c.needle, c.text, c.from), (Found{c.pos, static_cast<std::int32_t>(std::strlen(c.needle))}));
    }

    // The range ends where the caller says.
    Engine e;
    e.load("xxabc");
    EXPECT_EQ(e.re.Find("abc", 0, 4), -1);
    EXPECT_EQ(e.re.Find("abc", 1, 4), 2);
}

TEST(PlainFind, IgnoringSeparators) {
    struct Case {
        const char* needle;
        std::string text;
        TSearchTypes options;
        Found found;
    };
    const Case cases[] = {
        {"foo bar", "foo  bar", 0, {0, 8}},
        {"foo bar", "foo bar", 0, {0, 7}},
        {"foo bar", "foo\r\n bar", 0, {0, 9}},
        {"foo bar", "foo\r\nbar", 0, {-1, -7}},
        {"foo bar", "foo x bar", 0, {-1, -7}},
        {"foo bar", "foo foo  BAR", 0, {4, 8}},
        {"foo bar", "foo foo  BAR", stMatchCase, {-1, -7}},
        {"foo\tbar", "foo \tbar", 0, {0, 8}},
        {"foo bar", "foo  barn bar", stWholeWord, {-1, -7}},
        {"a b c", "a b  d a  b c", 0, {7, 6}},
        {" x", "x  x", 0, {2, 2}},
        {"x ", "x\n\ny", 0, {-1, -7}},
        {"x ", "x\n y", 0, {0, 3}},
        {"x  ", "x y x   y", 0, {4, 3}},
        {"  ", "a b  c", 0, {3, 2}},
        {"abc", "xxabc", 0, {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle + std::string(" in ") + show(c.text));
        Engine e(c.options, true);
        e.re.RecompileAll();
        EXPECT_EQ(e.find(c.needle, c.text), c.found);
    }

    // Without the ignore mode at the last recompile there are no separators.
    Engine e(0, true);
    EXPECT_EQ(e.find("foo bar", "foo  bar foo bar"), (Found{9, 7}));
}

TEST(PlainFind, CharRun) {
    TRERichEdit re;
    re.SetText("abc123 45");
    re.LastFindLength = -7;
    EXPECT_EQ(re.FindCharRun("0123456789", 0, 9), 3);
    EXPECT_EQ(re.LastFindLength, 3);
    EXPECT_EQ(re.FindCharRun("0123456789", 4, 5), 4);
    EXPECT_EQ(re.LastFindLength, 2);
    EXPECT_EQ(re.FindCharRun("0123456789", 7, 1), 7); // the run stops at the range end
    EXPECT_EQ(re.LastFindLength, 1);
    re.LastFindLength = -7;
    EXPECT_EQ(re.FindCharRun("xyz", 0, 9), -1);
    EXPECT_EQ(re.LastFindLength, -7);
    EXPECT_EQ(re.FindCharRun("a", -3, 12), 0);
}

struct MaskedCase {
    const char* pattern;
    std::string text;
    std::int32_t start;
    Found found;
    TSearchTypes options = 0;
};

template <std::size_t N>
void expectMasked(const MaskedCase (&cases)[N]) {
    for (const MaskedCase& c : cases) {
        SCOPED_TRACE(c.pattern + std::string(" over ") + show(c.text) + " from " + std::to_string(c.start));
        Engine e(c.options);
        EXPECT_EQ(e.masked(c.pattern, c.text, c.start), c.found);
    }
}

TEST(MaskedFind, Blocks) {
    const MaskedCase cases[] = {
        {"[D]", "abc123", 0, {3, 3}},
        {"[3?]abc", "xyzabc", 0, {0, 6}},
        {"[3?]abc", "zabc", 0, {-1, -1}},
        {"[3?]abc", "zzzzabc", 0, {1, 6}},
        {"a[2*]b", "a123b", 0, {0, 5}},
        {"a[2*]b", "a12b", 0, {-1, -1}},
        {"a[2*]b", "a12b a123b", 0, {0, 10}},
        {"a[-3*]b", "a12b", 0, {0, 4}},
        {"a[-3*]b", "a123b", 0, {-1, -1}},
        {"a[*]b", "xaxxbb", 0, {1, 4}},
        {"[FB]abc", "abc", 0, {0, 3}},
        {"[FB]abc", "abc", 1, {-1, -1}},
        {"[FB]abc", "xabc", 0, {-1, -1}},
        {"abc[FE]", "xxabc", 0, {2, 3}},
        {"[FE]", "abc", 0, {3, 0}},
        {"[FB][FE]", "", 0, {0, 0}},
        {"[FB][FE]", "a", 0, {-1, -1}},
        {"[LB]x", "x1\r\nx2", 0, {0, 1}},
        {"[LB]x", "x1\r\nx2", 1, {4, 1}},
        {"[LB]a[LEW]", "a\r\na\r\n", 0, {0, 3}},
        {"abc[LB]def", "abc\ndef", 0, {0, 7}},
        {"abc[LB]def", "abc\r\ndef", 0, {-1, -1}},
        {"abc[*][LB]def", "abc\r\ndef", 0, {0, 8}},
        {"a[*]b[?]c", "abbbxc", 0, {0, 6}},
        {"[OB]x[CB]", "[x] [y]", 0, {0, 3}},
        {"x[65C2]", "xA xAA", 0, {3, 3}},
        {"\xEA\xEE\xF2[?]", "\xEA\xEE\xED\xEA\xEE\xF2 \xCA\xCE\xD2!", 0, {7, 4}, stWholeWord},
        {"ab[?]", "AB!ab?", 0, {3, 3}, stMatchCase},
        {"n[D]", "n12n", 0, {0, 3}},
        {"n[D]", "n12n", 1, {-1, -1}},
        {"[D][FE]", "12a34", 0, {3, 2}},
    };
    expectMasked(cases);
}

TEST(MaskedFind, EndOfTextStopsThePass) {
    Engine e;
    EXPECT_EQ(e.masked("abc[FE]", "xxabc"), (Found{2, 3}));
    EXPECT_TRUE(e.re.StopPass);
    EXPECT_EQ(e.masked("abc", "xxabc"), (Found{2, 3}));
    EXPECT_FALSE(e.re.StopPass);
}

TEST(MaskedFind, BlockPositionsAfterAMatch) {
    Engine e;
    ASSERT_EQ(e.masked("a[*]b[2?][D]", "xa123b!!42z"), (Found{1, 9}));
    const TMaskBlockList& b = e.re.SearchPattern().Blocks;
    const std::pair<int, int> expected[] = {{1, 1}, {2, 0}, {5, 1}, {6, 2}, {8, 2}};
    for (int i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(b[i].FoundPos, expected[i - 1].first);
        if (b[i].Kind != mbkGap) {
            EXPECT_EQ(b[i].FoundLength, expected[i - 1].second);
        }
    }
    EXPECT_EQ(b[6].FoundPos, 10); // the end of the match
}

TEST(MaskedFind, IgnoreModeLiterals) {
    Engine e(0, true);
    EXPECT_EQ(e.masked("foo bar[D]", "foo  bar12"), (Found{0, 10}));
    EXPECT_EQ(e.masked("x[*]foo bar", "x foo\n bar"), (Found{0, 10}));
    EXPECT_EQ(e.masked("foo bar[?]", "foo x bar!"), (Found{-1, -1}));
}

// Mends of the matcher, each with the case that shows it.
TEST(MaskedFind, NeverMissesAMatchThatExists) {
    const MaskedCase cases[] = {
        {"abc[FE]", "abcxxabc", 0, {5, 3}},
        {"a[*]b[?]c", "abbbxc", 0, {0, 6}},
        {"x[D]y", "x12zx3y", 0, {4, 3}},
        {"[D,.]x", "1,2.x", 0, {3, 2}},
        // A limited gap before trailing fixed blocks keeps its limit.
        {"a[2*][?]", "a12", 0, {-1, -1}},
        {"a[2*][?]", "a123", 0, {-1, -1}},
        {"a[2*][?]", "a1234", 0, {0, 5}},
        {"a[2*][FE]", "a12", 0, {-1, -1}},
        {"a[2*][FE]", "a123", 0, {0, 4}},
    };
    expectMasked(cases);
}

TEST(MaskedFind, AlwaysEnds) {
    const MaskedCase cases[] = {
        // Pulling two short gaps back would restart before the first attempt.
        {"a[-3*]b[-3*]c", "ab123c", 0, {-1, -1}},
        {"a[-3*]b[-3*]c", "ab123cab1c", 0, {6, 4}},
        {"a[-2*][-2*]b", "a1234b", 0, {-1, -1}},
        {"x[-4*][2?]b", "xxxxxxxxb", 0, {2, 7}},
        {"a[-3*]b", "a", -20, {-1, -1}},
        {"a[2147483646*]b", "ab", 0, {-1, -1}},
        {"[2147483646?]", "ab", 0, {-1, -1}},
    };
    expectMasked(cases);
}

TEST(MaskedFind, LineBeginAtALineStart) {
    const MaskedCase cases[] = {
        {"abc[LEU][LB]def", "abc\ndef", 0, {0, 7}},
        {"[LB]a[LEW]", "a\r\na\r\n", 3, {3, 3}},
        {"[LB]", "ab\ncd", 3, {3, 0}},
        {"[LB]", "ab\ncd", 4, {-1, -1}},
        {"[LB][LB]x", "\nx", 0, {1, 1}},
        {"[LB][LEU][LB]x", "\nx", 0, {0, 2}},
    };
    expectMasked(cases);

    // A report-only walk over the lines finds every line.
    Engine e;
    std::vector<std::int32_t> starts;
    std::int32_t from = 0;
    for (Found f; (f = e.masked("[LB]x[LEU]", "x\nx\nx\n", from)).pos >= 0; from = f.pos + f.length)
        starts.push_back(f.pos);
    EXPECT_EQ(starts, (std::vector<std::int32_t>{0, 2, 4}));
}

TEST(MaskedFind, EmptyCountsTakeNoCharacters) {
    const MaskedCase cases[] = {
        {"a[0?]b", "ab", 0, {0, 2}},
        {"a[-2?]b", "xab", 0, {1, 2}},
        {"[-2?]b", "xab", 0, {2, 1}},
    };
    for (const MaskedCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        Engine e;
        EXPECT_EQ(e.masked(c.pattern, c.text, c.start), c.found);
        for (int i = 1; i < e.re.SearchPattern().Blocks.Count(); ++i)
            EXPECT_GE(e.re.SearchPattern().Blocks[i].FoundLength, 0);
    }
}

TEST(MaskedFind, RememberedResultsFollowTextAndOptions) {
    Engine e;
    EXPECT_EQ(e.masked("a[*]b", "a--b"), (Found{0, 4}));
    e.re.ReplaceText(1, 2, "");
    EXPECT_EQ(e.re.MaskedFind(0), 0);
    EXPECT_EQ(e.re.LastFindLength, 2);
    e.re.SetText("A--B");
    EXPECT_EQ(e.re.MaskedFind(0), 0);
    e.re.SearchOptions = stMatchCase;
    EXPECT_EQ(e.re.MaskedFind(0), -1);
    e.re.SetText("xa\nb");
    e.re.SearchOptions = 0;
    EXPECT_EQ(e.re.MaskedFind(0), 1);
    e.re.SearchPattern().SetText("a[*]c");
    EXPECT_EQ(e.re.MaskedFind(0), -1);
}

// ---------------------------------------------------------------------------
// Cross-check against a brute-force matcher: every start in order, every gap
// length from the shortest allowed, full backtracking.

namespace {

class Reference {
public:
    Reference(const std::string& text, const TMaskBlockList& blocks, TSearchTypes options)
        : t(text), matchCase((options & stMatchCase) != 0), wholeWord((options & stWholeWord) != 0) {
        for (int i = 1; i < blocks.Count() - 1; ++i)
            b.push_back(&blocks[i]);
    }

    Found find(std::int32_t start) {
        for (long p = std::max(start, 0); p <= long(t.size()); ++p) {
            first = -1;
            const long end = match(0, p);
            if (end >= 0)
                return {std::int32_t(first), std::int32_t(end - first)};
        }
        return {-1, -1};
    }

private:
    bool word(long p) const {
        const unsigned char c = static_cast<unsigned char>(t[std::size_t(p)]);
        return c == '_' || std::isalnum(c) || c >= 0xC0 || c == 0xA8 || c == 0xB8;
    }
    static unsigned char lower(unsigned char c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF))
            return static_cast<unsigned char>(c + 32);
        return c == 0xA8 ? 0xB8 : c;
    }
    bool literalAt(const std::string& s, long p) const {
        if (p + long(s.size()) > long(t.size()))
            return false;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const auto a = static_cast<unsigned char>(t[std::size_t(p) + i]);
            const auto c = static_cast<unsigned char>(s[i]);
            if (matchCase ? a != c : lower(a) != lower(c))
                return false;
        }
        if (wholeWord) {
            const long after = p + long(s.size());
            if (isWord(s.front()) && p > 0 && word(p - 1))
                return false;
            if (isWord(s.back()) && after < long(t.size()) && word(after))
                return false;
        }
        return true;
    }
    static bool isWord(char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c == '_' || std::isalnum(c) || c >= 0xC0 || c == 0xA8 || c == 0xB8;
    }
    void place(std::size_t i, long at) {
        if (i == 0)
            first = at;
    }

    // End of the match of blocks i.. from p; -1 when none.
    long match(std::size_t i, long p) {
        const long len = long(t.size());
        if (i == b.size())
            return p;
        const TMaskBlock& x = *b[i];
        switch (x.Kind) {
        case mbkText:
            if (!literalAt(x.Text, p))
                return -1;
            place(i, p);
            return match(i + 1, p + long(x.Text.size()));
        case mbkChars:
            if (p + x.Length > len)
                return -1;
            place(i, p);
            return match(i + 1, p + x.Length);
        case mbkGap:
            for (long g = x.Number1 > 0 ? x.Number1 + 1 : 0; p + g <= len; ++g) {
                const long end = match(i + 1, p + g);
                if (end >= 0)
                    return end;
            }
            return -1;
        case mbkCharRun: {
            long e = p;
            while (e < len && x.Text.find(t[std::size_t(e)]) != std::string::npos)
                ++e;
            if (e == p)
                return -1;
            place(i, p);
            return match(i + 1, e);
        }
        case mbkLineBegin:
            if (p == 0 || (p <= len && t[std::size_t(p - 1)] == '\n')) {
                place(i, p);
                return match(i + 1, p);
            }
            if (p < len && t[std::size_t(p)] == '\n') {
                place(i, p + 1);
                return match(i + 1, p + 1);
            }
            return -1;
        case mbkFileBegin:
            if (p != 0)
                return -1;
            place(i, p);
            return match(i + 1, p);
        case mbkFileEnd:
            if (p != len)
                return -1;
            place(i, p);
            return match(i + 1, p);
        default:
            return -1;
        }
    }

    const std::string& t;
    bool matchCase, wholeWord;
    std::vector<const TMaskBlock*> b;
    long first = -1;
};

} // namespace

TEST(MaskedFind, AgreesWithBruteForce) {
    std::mt19937 rng(20240611);
    const auto pick = [&rng](const auto& list) { return list[rng() % std::size(list)]; };
    const char* const pieces[] = {"a",   "b",    "ab",    "ba",   "A",    "\xE6",  "\xC6" "a", " ",    "[?]",
                                  "[2?]", "[0?]", "[*]",   "[*]",  "[1*]", "[2*]",  "[D]",   "[Dab]", "[LB]",
                                  "[FB]", "[FE]", "[LEU]", "[OB]", "a[*]", "[*]b",  "1",     "[D ]"};
    const char alphabet[] = {'a', 'a', 'b', 'b', 'A', 'B', '1', '2', ' ', '\n', '\xE6', '\xC6', '['};

    int checked = 0;
    int failures = 0;
    for (int round = 0; round < 40000 && failures < 10; ++round) {
        std::string pattern;
        const int blocks = 1 + int(rng() % 5);
        for (int k = 0; k < blocks; ++k)
            pattern += pick(pieces);
        std::string text;
        const int size = int(rng() % 14);
        for (int k = 0; k < size; ++k)
            text += pick(alphabet);
        const TSearchTypes options = TSearchTypes(rng() % 4);
        const std::int32_t start = std::int32_t(rng() % (size + 2)) - (rng() % 8 == 0 ? 3 : 0);

        Engine e(options);
        e.load(text);
        e.re.SearchPattern().Masked = true;
        try {
            e.re.SearchPattern().SetText(pattern);
        } catch (const bw::PatternError&) {
            continue; // a gap at an end
        }
        const std::int32_t p = e.re.MaskedFind(start);
        const Found got{p, p < 0 ? -1 : e.re.LastFindLength};
        const Found expected = Reference(text, e.re.SearchPattern().Blocks, options).find(start);
        ++checked;
        if (got != expected) {
            ++failures;
            ADD_FAILURE() << "pattern «" << show(pattern) << "» over «" << show(text) << "» from " << start
                          << " options " << options << ": got " << got << ", expected " << expected;
        }
    }
    EXPECT_GT(checked, 20000);
}
