#include "app/plugintext.h"

#include <gtest/gtest.h>

namespace {
struct Case {
    std::string in, out;
};
} // namespace

// CR LF, a lone CR and a lone LF are each one break; nothing else changes.
TEST(ConvertLineBreaks, EveryKindOfBreakToCrLfOrLf) {
    struct Row {
        std::string in, crlf, lf;
    };
    const Row rows[] = {
        {"", "", ""},
        {"a\nb\n", "a\r\nb\r\n", "a\nb\n"},
        {"\r\r\n\n\n\r", "\r\n\r\n\r\n\r\n\r\n", "\n\n\n\n\n"}, // CR, CR LF, LF, LF, CR
        {std::string("x\x01\x00\ty\r", 6), std::string("x\x01\x00\ty\r\n", 7), std::string("x\x01\x00\ty\n", 6)},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ConvertLineBreaks(r.in, false), r.crlf);
        EXPECT_EQ(ConvertLineBreaks(r.in, true), r.lf);
    }
}

TEST(TrimLines, LeftAfterLfOnlyRightBeforeBreaksButNotAtTheEnd) {
    const Case left[] = {
        {"  a\r\n   b", "a\r\nb"}, {"a\r  b", "a\r  b"}, // a lone CR does not start a line
        {"   ", ""},               {"\t a \n b", "\t a \nb"},
    };
    for (const Case& c : left)
        EXPECT_EQ(TrimLines(c.in, tmLeft), c.out);
    const Case right[] = {
        {"a  \r\nb  ", "a\r\nb  "}, {"a \rb \n", "a\rb\n"}, {"a \t\n", "a \t\n"},
        {"a  b\n", "a  b\n"},       {"   ", "   "},
    };
    for (const Case& c : right)
        EXPECT_EQ(TrimLines(c.in, tmRight), c.out);
}

TEST(SqueezeLineBreaks, RunsOfEmptyLinesAtMostOneOrNone) {
    struct Row {
        std::string in, two, one;
    };
    const Row rows[] = {
        {"a\r\n\r\n\r\nb", "a\r\n\r\nb", "a\r\nb"},
        {"\r\n\r\na", "\r\na", "a"},
        {"a\r\r\rb\n\n\n", "a\r\rb\n\n", "a\rb\n"},
        {"a\n \n\n\nb", "a\n \n\nb", "a\n \nb"}, // a line of a space is not empty
        {"\n\n\n", "\n", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(SqueezeLineBreaks(r.in, 2), r.two);
        EXPECT_EQ(SqueezeLineBreaks(r.in, 1), r.one);
    }
}

TEST(HtmlToText, TagsBreaksScriptsAndWhiteSpace) {
    const Case cases[] = {
        {"a<BR>b<br/>c<br />d", "a bcd"},
        {"a</h1>b</head>c</html>d<thead>e", "a b c d e"},
        {"a<hr>b<h1>c<th>d", "abcd"},
        {"a<br><br>b", "a b"},
        {"<script type=\"t\">if (a > b) go();</script>ok", "ok"},
        {"<SCRIPT>x</SCRIPT>y", "y"},
        {"a</script>b<script>c</script>d", "abcd"}, // an unmatched closing tag lets the next script through
        {"a>b", "ab"},
        {"ab<cd", "ab"},
        {"a<b<br>c", "a c"},
        {"  a \r\n\t <i> </i> b  ", "a b "},
        {std::string("a\x01\0b", 4), "a b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlToText(c.in, false), c.out);
    EXPECT_EQ(HtmlToText("<br>a<br><BR>b", true), "\r\na\r\n\r\nb");
    EXPECT_EQ(HtmlToText("<script>a<br>b</script>", true), "\r\n"); // breaks are written inside scripts
}

TEST(HtmlToText, ReferencesAndAmpersandsThatAreText) {
    const Case cases[] = {
        {"&amp;&lt;&gt;&NBSP;", "&<> "},
        {"a&nbsp; b", "a  b"}, // one space stays after a reference
        {"&copy; 2026 &REG;", "\xA9 2026 \xAE"},
        {"&#169;&#xA9;&hellip;", "   "},
        {"AT&T rules<br>more", "AT&T rules more"},
        {"Tom & Jerry", "Tom & Jerry"},
        {"a&", "a&"},
        {"&;", "&;"},
        {"&abcdefghij;", " "},               // ten name bytes are a reference
        {"&abcdefghijk;x", "&abcdefghijk;x"}, // eleven are text
        {"x&\xE0;", "x&\xE0;"},             // only Latin letters name a reference
        {"&&lt;", "&<"},
        {"&x\r\ny", "&x y"},
        {"a&b>c", "a&bc"},
        {"<script>&lt;a&b</script>ok", "<ok"}, // references are written inside scripts, text is not
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlToText(c.in, false), c.out);
}

// The clean-ups against the byte-by-byte rules they follow, over random texts
// of spaces, line breaks and other bytes.
TEST(LineCleanUps, AgreeWithTheByteRulesOnRandomTexts) {
    auto trimLeft = [](const std::string& t) {
        std::string out;
        bool atLineStart = true;
        for (char c : t) {
            if (c == ' ' && atLineStart)
                continue;
            out += c;
            atLineStart = c == '\n';
        }
        return out;
    };
    auto trimRight = [](const std::string& t) {
        std::string out, run;
        for (char c : t) {
            if (c == ' ') {
                run += c;
                continue;
            }
            if (c != '\r' && c != '\n')
                out += run;
            run.clear();
            out += c;
        }
        return out + run;
    };
    auto squeeze = [](const std::string& t, int maxRun) {
        std::string out;
        int lfs = 1, crs = 1;
        for (char c : t) {
            if (c == '\n' || c == '\r') {
                (c == '\n' ? lfs : crs)++;
                if (lfs <= maxRun && crs <= maxRun)
                    out += c;
            } else {
                lfs = crs = 0;
                out += c;
            }
        }
        return out;
    };
    unsigned seed = 12345;
    const char alphabet[] = {' ', ' ', '\r', '\n', '\n', 'a', '\t'};
    for (int round = 0; round < 2000; ++round) {
        std::string t;
        seed = seed * 1103515245u + 12345u;
        const unsigned length = (seed >> 16) % 40;
        for (unsigned i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            t += alphabet[(seed >> 16) % sizeof alphabet];
        }
        ASSERT_EQ(TrimLines(t, tmLeft), trimLeft(t)) << testing::PrintToString(t);
        ASSERT_EQ(TrimLines(t, tmRight), trimRight(t)) << testing::PrintToString(t);
        ASSERT_EQ(SqueezeLineBreaks(t, 1), squeeze(t, 1)) << testing::PrintToString(t);
        ASSERT_EQ(SqueezeLineBreaks(t, 2), squeeze(t, 2)) << testing::PrintToString(t);
        const std::string lf = ConvertLineBreaks(t, true);
        ASSERT_EQ(ConvertLineBreaks(t, false), ConvertLineBreaks(lf, false)) << testing::PrintToString(t);
        ASSERT_EQ(lf.find('\r'), std::string::npos);
    }
}
