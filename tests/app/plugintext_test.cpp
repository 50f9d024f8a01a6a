#include "app/plugintext.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    std::string in;
    std::string out;
};

std::string Show(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 32 || c >= 127)
            out += "\\x" + std::string(1, "0123456789ABCDEF"[c >> 4]) + "0123456789ABCDEF"[c & 15];
        else
            out += char(c);
    }
    return out;
}

} // namespace

// CR LF, a lone CR and a lone LF are each one break; nothing else changes.
TEST(ConvertLineBreaks, EveryKindOfBreakToCrLfOrLf) {
    struct Row {
        std::string in, crlf, lf;
    };
    const Row rows[] = {
        {"", "", ""},
        {"a\nb\n", "a\r\nb\r\n", "a\nb\n"},
        {"a\r\nb", "a\r\nb", "a\nb"},
        {"a\rb\r", "a\r\nb\r\n", "a\nb\n"},
        {"\r\r\n\n\n\r", "\r\n\r\n\r\n\r\n\r\n", "\n\n\n\n\n"}, // CR, CR LF, LF, LF, CR
        {std::string("x\x01\x00\ty\r", 6), std::string("x\x01\x00\ty\r\n", 7), std::string("x\x01\x00\ty\n", 6)},
        {"no break", "no break", "no break"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Show(ConvertLineBreaks(r.in, false)), Show(r.crlf)) << Show(r.in);
        EXPECT_EQ(Show(ConvertLineBreaks(r.in, true)), Show(r.lf)) << Show(r.in);
    }
}

TEST(TrimLines, LeftDropsSpacesAfterLfOnly) {
    const Case cases[] = {
        {"  a\r\n   b", "a\r\nb"},
        {"a\r  b", "a\r  b"},        // a lone CR does not start a line here
        {"a\r\n\r  b", "a\r\n\r  b"}, // nor does a CR after an LF's line start
        {"   ", ""},
        {" \n \n", "\n\n"},
        {"\t a", "\t a"}, // tabs stay
        {" a  b \n", "a  b \n"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(TrimLines(c.in, tmLeft)), Show(c.out)) << Show(c.in);
}

TEST(TrimLines, RightDropsSpacesBeforeBreaksButNotAtTheEnd) {
    const Case cases[] = {
        {"a  \r\nb  ", "a\r\nb  "},
        {"a \rb \n", "a\rb\n"},
        {"a \t\n", "a \t\n"}, // a tab ends the run
        {"a  b\n", "a  b\n"},
        {"   ", "   "},
        {"  \n  \n", "\n\n"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(TrimLines(c.in, tmRight)), Show(c.out)) << Show(c.in);
    EXPECT_EQ(TrimLines("  a  \n", 7), "  a  \n");
}

TEST(SqueezeLineBreaks, RunsOfEmptyLinesAtMostOneOrNone) {
    struct Row {
        std::string in, two, one;
    };
    const Row rows[] = {
        {"a\r\n\r\n\r\nb", "a\r\n\r\nb", "a\r\nb"},
        {"\r\n\r\na", "\r\na", "a"},
        {"a\n\n\n\nb\n", "a\n\nb\n", "a\nb\n"},
        {"a\r\r\rb", "a\r\rb", "a\rb"},
        {"a\n \n\n\nb", "a\n \n\nb", "a\n \nb"}, // a line of a space is not empty
        {"\n\n\n", "\n", ""},
        {"", "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Show(SqueezeLineBreaks(r.in, 2)), Show(r.two)) << Show(r.in);
        EXPECT_EQ(Show(SqueezeLineBreaks(r.in, 1)), Show(r.one)) << Show(r.in);
    }
}

TEST(HtmlToText, TagsBreaksAndScripts) {
    const Case cases[] = {
        {"a<BR>b", "a b"},
        {"a<br/>b<br />c", "abc"},
        {"a</h1>b</h6>c</head>d</html>e<thead>f", "a b c d e f"},
        {"a<hr>b<h1>c<th>d", "abcd"},
        {"a<br><br>b", "a b"},
        {"<p class=\"x\">a</p>", "a"},
        {"<script>x = 1;</script>ok", "ok"},
        {"<script type=\"t\">if (a > b) go();</script>ok", "ok"},
        {"<SCRIPT>x</SCRIPT>y", "y"},
        {"<scripts>x</script>y", "y"},
        {"a</script>b<script>c</script>d", "abcd"}, // an unmatched closing tag lets the next script through
        {"a>b", "ab"},
        {"ab<cd", "ab"},
        {"a<b<br>c", "a c"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(HtmlToText(c.in, false)), Show(c.out)) << Show(c.in);
    EXPECT_EQ(HtmlToText("a<br><BR>b", true), "a\r\n\r\nb");
    EXPECT_EQ(HtmlToText("<br>a", true), "\r\na");
    EXPECT_EQ(HtmlToText("<script>a<br>b</script>", true), "\r\n"); // breaks are written inside scripts
}

TEST(HtmlToText, WhiteSpaceAndControlBytesFold) {
    const Case cases[] = {
        {"  a \r\n\t b  ", "a b "},
        {"a\x01\x02" "b", "a b"},
        {std::string("a\0b", 3), "a b"},
        {"a <i> </i> b", "a b"},
        {"a&nbsp; b", "a  b"}, // one space stays after a reference
        {"&lt;  x", "< x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(HtmlToText(c.in, false)), Show(c.out)) << Show(c.in);
}

TEST(HtmlToText, ReferencesAndAmpersandsThatAreText) {
    const Case cases[] = {
        {"&amp;&lt;&gt;&nbsp;", "&<> "},
        {"&copy; 2026 &REG;", "\xA9 2026 \xAE"},
        {"&#169;&#xA9;&hellip;", "   "},
        {"AT&T rules<br>more", "AT&T rules more"},
        {"Tom & Jerry", "Tom & Jerry"},
        {"a &", "a &"},
        {"a&", "a&"},
        {"&;", "&;"},
        {"&abcdefghij;", " "},               // ten name bytes are a reference
        {"&abcdefghijk;x", "&abcdefghijk;x"}, // eleven are text
        {"x&\xE0;", "x&\xE0;"},             // only Latin letters name a reference
        {"&&lt;", "&<"},
        {"&x<br>y", "&x y"},
        {"&x\r\ny", "&x y"},
        {"a&b>c", "a&bc"},
        {"<script>&lt;a&b</script>ok", "<ok"}, // references are written inside scripts, text is not
    };
    for (const Case& c : cases)
        EXPECT_EQ(Show(HtmlToText(c.in, false)), Show(c.out)) << Show(c.in);
}
