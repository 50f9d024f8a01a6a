#include "engine/rerichedit.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

struct Found {
    std::int32_t pos;
    std::int32_t length;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) { return out << "{" << f.pos << ", " << f.length << "}"; }

// Readable text for failure messages: line ends as escapes.
std::string show(std::string text) {
    for (std::size_t i; (i = text.find_first_of("\r\n")) != std::string::npos;)
        text.replace(i, 1, text[i] == '\n' ? "\\n" : "\\r");
    return text;
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

} // namespace

TEST(PlainFind, CaseWordsAndRanges) {
    // needle, text, options, from, where found
    const std::tuple<std::string, std::string, TSearchTypes, std::int32_t, std::int32_t> cases[] = {
        {"abc", "xABC", 0, 0, 1}, {"abc", "xABCabc", stMatchCase, 0, 4},
        {"\xB8\xE6", "\xC0\xA8\xC6", 0, 0, 1}, // ёж in ЁЖ
        {"cat", "cat_ cat9 concat cat", stWholeWord, 0, 17},
        {"\xEA\xEE\xF2", "\xEA\xEE\xF2\xE8\xEA \xCA\xCE\xD2", stWholeWord, 0, 6}, // кот in котик КОТ
        {".x", "a.x", stWholeWord, 0, 1}, {"x.", "ax. x.a", stWholeWord, 0, 4}, // '.' is no word character
        {"", "abc", 0, 0, -1}, {"a", "abc", 0, -5, 0}, {"a", "aba", 0, 4, -1},
        {"needle", std::string(100, 'x') + "NEEDLE" + std::string(40, 'y'), 0, 0, 100},
        {"ab", std::string(37, 'a') + "b", 0, 3, 36},
    };
    for (const auto& [needle, text, options, from, pos] : cases) {
        SCOPED_TRACE(needle + " in " + show(text));
        EXPECT_EQ(Engine(options).find(needle, text, from), (Found{pos, std::int32_t(needle.size())}));
    }

    // The range ends where the caller says.
    Engine e;
    e.load("xxabc");
    EXPECT_EQ(e.re.Find("abc", 0, 4), -1);
    EXPECT_EQ(e.re.Find("abc", 1, 4), 2);

    // Runs of set characters.
    e.load("abc123 45");
    const auto run = [&e](const char* set, std::int32_t from, std::int32_t count) {
        e.re.LastFindLength = -7;
        const std::int32_t p = e.re.FindCharRun(set, from, count);
        return Found{p, e.re.LastFindLength};
    };
    EXPECT_EQ(run("0123456789", 0, 9), (Found{3, 3}));
    EXPECT_EQ(run("0123456789", 7, 1), (Found{7, 1})); // the run stops at the range end
    EXPECT_EQ(run("xyz", 0, 9), (Found{-1, -7}));
}

TEST(PlainFind, IgnoringSeparators) {
    const std::tuple<std::string, std::string, TSearchTypes, Found> cases[] = {
        {"foo bar", "foo\r\n bar", 0, {0, 9}},   {"foo bar", "foo\r\nbar", 0, {-1, -7}},
        {"foo bar", "foo foo  BAR", 0, {4, 8}}, {"foo bar", "foo foo  BAR", stMatchCase, {-1, -7}},
        {"foo\tbar", "foo \tbar", 0, {0, 8}},   {"foo bar", "foo  barn bar", stWholeWord, {-1, -7}},
        {"a b c", "a b  d a  b c", 0, {7, 6}},  {" x", "x  x", 0, {2, 2}},
        {"x ", "x\n\ny", 0, {-1, -7}},         {"x  ", "x y x   y", 0, {4, 3}},
    };
    for (const auto& [needle, text, options, found] : cases) {
        SCOPED_TRACE(needle + " in " + show(text));
        Engine e(options, true);
        e.re.RecompileAll();
        EXPECT_EQ(e.find(needle, text), found);
    }

    // Without the ignore mode at the last recompile there are no separators.
    Engine e(0, true);
    EXPECT_EQ(e.find("foo bar", "foo  bar foo bar"), (Found{9, 7}));
}

// Blocks the randomized cross-check below does not draw.
TEST(MaskedFind, Blocks) {
    const MaskedCase cases[] = {
        {"[3?]abc", "zzzzabc", 0, {1, 6}},       {"a[-3*]b", "a12b", 0, {0, 4}},
        {"a[-3*]b", "a123b", 0, {-1, -1}},       {"[LB]x", "x1\r\nx2", 1, {4, 1}},
        {"abc[LB]def", "abc\r\ndef", 0, {-1, -1}}, {"abc[*][LB]def", "abc\r\ndef", 0, {0, 8}},
        {"[OB]x[CB]", "[x] [y]", 0, {0, 3}},     {"x[65C2]", "xA xAA", 0, {3, 3}},
    };
    expectMasked(cases);
}

TEST(MaskedFind, EndOfTextStopsThePassAndIgnoreModeLiterals) {
    Engine e;
    EXPECT_EQ(e.masked("abc[FE]", "xxabc"), (Found{2, 3}));
    EXPECT_TRUE(e.re.StopPass);
    EXPECT_EQ(e.masked("abc", "xxabc"), (Found{2, 3}));
    EXPECT_FALSE(e.re.StopPass);

    Engine ignoring(0, true);
    EXPECT_EQ(ignoring.masked("foo bar[D]", "foo  bar12"), (Found{0, 10}));
    EXPECT_EQ(ignoring.masked("x[*]foo bar", "x foo\n bar"), (Found{0, 10}));
    EXPECT_EQ(ignoring.masked("foo bar[?]", "foo x bar!"), (Found{-1, -1}));
}

TEST(MaskedFind, NeverMissesAMatchThatExists) {
    const MaskedCase cases[] = {
        {"abc[FE]", "abcxxabc", 0, {5, 3}}, {"a[*]b[?]c", "abbbxc", 0, {0, 6}},
        {"x[D]y", "x12zx3y", 0, {4, 3}},    {"[D,.]x", "1,2.x", 0, {3, 2}},
        // A limited gap before trailing fixed blocks keeps its limit.
        {"a[2*][?]", "a123", 0, {-1, -1}},  {"a[2*][?]", "a1234", 0, {0, 5}},
        {"a[2*][FE]", "a12", 0, {-1, -1}},  {"a[2*][FE]", "a123", 0, {0, 4}},
    };
    expectMasked(cases);
}

TEST(MaskedFind, AlwaysEnds) {
    const MaskedCase cases[] = {
        // Pulling two short gaps back would restart before the first attempt.
        {"a[-3*]b[-3*]c", "ab123c", 0, {-1, -1}},  {"a[-3*]b[-3*]c", "ab123cab1c", 0, {6, 4}},
        {"a[-2*][-2*]b", "a1234b", 0, {-1, -1}},   {"x[-4*][2?]b", "xxxxxxxxb", 0, {2, 7}},
        {"a[-3*]b", "a", -20, {-1, -1}},           {"a[2147483646*]b", "ab", 0, {-1, -1}},
        {"[2147483646?]", "ab", 0, {-1, -1}},
    };
    expectMasked(cases);
}

TEST(MaskedFind, LineBeginAtALineStart) {
    const MaskedCase cases[] = {
        {"abc[LEU][LB]def", "abc\ndef", 0, {0, 7}}, {"[LB]a[LEW]", "a\r\na\r\n", 3, {3, 3}},
        {"[LB]", "ab\ncd", 4, {-1, -1}},            {"[LB][LEU][LB]x", "\nx", 0, {0, 2}},
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
    const MaskedCase cases[] = {{"a[0?]b", "ab", 0, {0, 2}}, {"a[-2?]b", "xab", 0, {1, 2}}, {"[-2?]b", "xab", 0, {2, 1}}};
    expectMasked(cases);
    for (const MaskedCase& c : cases) {
        Engine e;
        e.masked(c.pattern, c.text);
        for (int i = 1; i < e.re.SearchPattern().Blocks.Count(); ++i)
            EXPECT_GE(e.re.SearchPattern().Blocks[i].FoundLength, 0) << c.pattern << " block " << i;
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
        : t(text), len(long(text.size())), matchCase(options & stMatchCase), wholeWord(options & stWholeWord) {
        for (int i = 1; i < blocks.Count() - 1; ++i)
            b.push_back(&blocks[i]);
    }

    Found find(std::int32_t start) {
        for (long p = std::max(start, 0); p <= len; ++p) {
            first = -1;
            if (const long end = match(0, p); end >= 0)
                return {std::int32_t(first), std::int32_t(end - first)};
        }
        return {-1, -1};
    }

private:
    static bool word(char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c == '_' || std::isalnum(c) || c >= 0xC0 || c == 0xA8 || c == 0xB8;
    }
    static unsigned char lower(unsigned char c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF))
            return static_cast<unsigned char>(c + 32);
        return c == 0xA8 ? 0xB8 : c;
    }
    bool literalAt(const std::string& s, long p) const {
        const long after = p + long(s.size());
        if (after > len)
            return false;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const auto a = static_cast<unsigned char>(t[std::size_t(p) + i]);
            const auto c = static_cast<unsigned char>(s[i]);
            if (matchCase ? a != c : lower(a) != lower(c))
                return false;
        }
        return !wholeWord || !((word(s.front()) && p > 0 && word(t[std::size_t(p - 1)])) ||
                               (word(s.back()) && after < len && word(t[std::size_t(after)])));
    }
    // The rest of the blocks from i, the block i placed at `at` and ending at `end`.
    long next(std::size_t i, long at, long end) {
        if (i == 0)
            first = at;
        return match(i + 1, end);
    }

    // End of the match of blocks i.. from p; -1 when none.
    long match(std::size_t i, long p) {
        if (i == b.size())
            return p;
        const TMaskBlock& x = *b[i];
        switch (x.Kind) {
        case mbkText:
            return literalAt(x.Text, p) ? next(i, p, p + long(x.Text.size())) : -1;
        case mbkChars:
            return p + x.Length <= len ? next(i, p, p + x.Length) : -1;
        case mbkGap:
            for (long g = x.Number1 > 0 ? x.Number1 + 1 : 0; p + g <= len; ++g)
                if (const long end = match(i + 1, p + g); end >= 0)
                    return end;
            return -1;
        case mbkCharRun: {
            long e = p;
            while (e < len && x.Text.find(t[std::size_t(e)]) != std::string::npos)
                ++e;
            return e > p ? next(i, p, e) : -1;
        }
        case mbkLineBegin:
            if (p == 0 || t[std::size_t(p - 1)] == '\n')
                return next(i, p, p);
            return p < len && t[std::size_t(p)] == '\n' ? next(i, p + 1, p + 1) : -1;
        case mbkFileBegin:
            return p == 0 ? next(i, p, p) : -1;
        case mbkFileEnd:
            return p == len ? next(i, p, p) : -1;
        default:
            return -1;
        }
    }

    const std::string& t;
    const long len;
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
        Found got;
        try {
            got = e.masked(pattern, text, start);
        } catch (const bw::PatternError&) {
            continue; // a gap at an end
        }
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
