#include "engine/maskblocks.h"
#include "engine/srmanager.h"

#include <gtest/gtest.h>

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

// The message a pattern fails with; empty when it compiles.
template <class Pattern>
QString compileError(Pattern& pattern, const std::string& source) {
    pattern.Masked = true;
    try {
        pattern.SetText(source);
    } catch (const bw::PatternError& e) {
        return e.message();
    }
    return {};
}

std::unique_ptr<TMaskBlock> parsed(bool target, const std::string& inside) {
    std::unique_ptr<TMaskBlock> block = target ? NewMaskBlockR() : NewMaskBlockS();
    block->Text = inside;
    block->Parse();
    return block;
}

using Read = std::pair<std::string, int>; // what a reader gave, and where it left the position

} // namespace

TEST(TextReaders, NumbersQuotedTextCharSetsAndLists) {
    // text, start, read, value when read, position after
    const std::tuple<std::string, int, bool, std::int32_t, int> cases[] = {
        {"abc", 1, false, 0, 1},       {"-", 1, false, 0, 2},
        {"+12x", 1, true, 12, 4},      {"x42", 2, true, 42, 4},
        {"-2147483646", 1, true, -2147483646, 12},
        {"2147483647", 1, false, 0, 11}, {"99999999999?", 1, false, 0, 12},
    };
    for (const auto& [text, start, ok, expected, posAfter] : cases) {
        SCOPED_TRACE(text);
        int pos = start;
        std::int32_t value = 555;
        EXPECT_EQ(ReadSignedInt(text, pos, value), ok);
        EXPECT_EQ(value, ok ? expected : 555);
        EXPECT_EQ(pos, posAfter);
    }

    const auto quoted = [](const std::string& text, int pos) { return Read(ReadQuotedText(text, pos), pos); };
    EXPECT_EQ(quoted("\"ab\"c", 1), Read("ab", 2));
    EXPECT_EQ(quoted("x\"ab\"", 1), Read("", 1));
    EXPECT_EQ(quoted("\"ab", 1), Read("", 2));

    const TCharSet digits = CharSetOf("0123456789");
    EXPECT_EQ(FindCharOfSet("ab12", digits, 4), 4);
    EXPECT_EQ(FindCharOfSet("ab", digits, 1), -1);
    const auto chars = [&digits](const std::string& text, int pos) { return Read(ReadCharsOfSet(text, digits, pos), pos); };
    EXPECT_EQ(chars("a123b", 2), Read("123", 5));
    EXPECT_EQ(chars("a12", 9), Read("", 9)); // past the end: nothing to read, nothing thrown

    EXPECT_EQ(IndexOfText("lew", {"OB", "LEU", "LEW"}), 2);
    EXPECT_EQ(IndexOfText("LE", {"OB", "LEU", "LEW"}), -1);
}

TEST(BlockParser, KindsAndValues) {
    OutputFolder = "C:\\Out\\";
    InputFolder = "/in/";
    struct Case {
        bool target;
        std::string inside;
        TMaskBlockKind kind;
        std::string text; // for literals, sets and file names
        std::int32_t length, number1, number2;
    };
    const Case cases[] = {
        {false, "99999999999?", mbkChars, "", 1, 1, 0}, {false, "-3?", mbkChars, "", 0, -3, 0},
        {false, "300C", mbkText, ",", 1, 300, 0},     {false, "65C-2", mbkText, "", 0, 65, -2},
        {false, "C5", mbkText, "C5", 2, 0, 5},        {false, "D-", mbkCharRun, "0123456789", -1, 0, 0},
        {false, "4D,a", mbkCharRun, ",a", -1, 4, 0},
        {true, "B3", mbkBlockRef, "", 0, 3, 3},       {true, "10I-2", mbkCounter, "", 0, 10, -2},
        {true, "O", mbkOutput, "", 0, 0, 0},          {true, "O\"out.txt", mbkOutput, "", 0, 0, 0},
        {true, "2QA\"a.txt\"", mbkLineAt, "/in/a.txt", 0, 2, 0},
        {true, "qg-1\"a.txt\"", mbkLineGo, "/in/a.txt", 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inside);
        std::unique_ptr<TMaskBlock> block;
        ASSERT_NO_THROW(block = parsed(c.target, c.inside));
        EXPECT_EQ(block->Kind, c.kind);
        if (c.kind == mbkText || c.kind == mbkCharRun || c.kind >= mbkOutput) {
            EXPECT_EQ(block->Text, c.text);
        }
        EXPECT_EQ(block->Length, c.length);
        EXPECT_EQ(block->Number1, c.number1);
        EXPECT_EQ(block->Number2, c.number2);
        if (c.kind == mbkChars) {
            EXPECT_EQ(block->FoundLength, c.length);
        }
    }
    OutputFolder.clear();
    InputFolder.clear();
    EXPECT_EQ(parsed(false, "65C16777216")->Length, 16777216); // the largest repeat still compiles
}

TEST(PatternCompiler, Errors) {
    const char* star = "[*] cannot stand at the beginning or the end of the search text";
    struct Case {
        bool target; // a target over the search text «x[3?3][D3]abc[OB2]»
        std::string source;
        const char* message;
    };
    const Case cases[] = {
        {false, "abc[", "No ] for [ at position 4"},
        {false, "[*]abc", star},
        {false, "abc[*3]", star},
        {false, "a[]", "Unknown block "},
        {false, "a[B]", "Unknown block B"},
        {false, "a[\xE6x]", "Unknown block "}, // letters beyond ASCII are no code
        {false, "a[65C16777217]", "Block [65C16777217] gives a text longer than 16777216 characters"},
        {true, "[LB]", "Unknown block LB"},
        {true, "[I5]", "[I] must have initial value"},
        {true, "[B]", "[B] must have block number"},
        {true, "[2B]", "Block number 2 is not in the search text"},
        {true, "[B-1]", "Block number -1 is not in the search text"},
    };
    TAMaskBlockS search;
    ASSERT_EQ(compileError(search, "x[3?3][D3]abc[OB2]"), "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        TAMaskBlockS s;
        TAMaskBlockR t;
        t.SearchPattern = &search;
        EXPECT_EQ(c.target ? compileError(t, c.source) : compileError(s, c.source), u8(c.message));
    }
}

TEST(PatternCompiler, MergesLiteralsAndResolvesBackReferences) {
    TAMaskBlockS p;
    ASSERT_EQ(compileError(p, "a[OB]b"), "");
    ASSERT_EQ(p.Blocks.Count(), 3); // the start gap, one literal, the end
    EXPECT_EQ(p.Blocks[1].Text, "a[b");
    TAMaskBlockS plain;
    plain.SetText("abc[");
    EXPECT_EQ(plain.Text, "abc[");
    EXPECT_EQ(plain.Blocks.Count(), 0);

    TAMaskBlockS search;
    ASSERT_EQ(compileError(search, "x[3?3][D3]abc[OB2]"), "");
    TAMaskBlockR target;
    target.SearchPattern = &search;
    ASSERT_EQ(compileError(target, "[3B]-[5I2]"), "");
    ASSERT_EQ(target.Blocks.Count(), 4);
    EXPECT_EQ(target.Blocks[1].Number2, 2); // the first block numbered 3
    EXPECT_EQ(target.Blocks[2].Text, "-");
    EXPECT_EQ(target.Blocks[3].FoundPos, 5);

    TAMaskBlockR plainTarget;
    ASSERT_EQ(compileError(plainTarget, "a]b"), "");
    ASSERT_EQ(plainTarget.Blocks.Count(), 2);
    EXPECT_EQ(plainTarget.Blocks[1].Text, "a]b");
}

TEST(PatternCompiler, RecompileAllRunsSearchSideFirst) {
    TSRManager manager;
    manager.SearchPatterns.Add(std::make_unique<TAMaskBlockS>());
    manager.TargetPatterns.Add(std::make_unique<TAMaskBlockR>());
    TAMaskBlockS& search = manager.SearchPatterns[0];
    TAMaskBlockR& target = manager.TargetPatterns[0];
    search.Masked = target.Masked = true;
    search.SetText("a[?4]");
    target.SearchPattern = &search;
    target.SetText("[4B][1I]");
    target.Blocks[2].FoundPos = 9; // a counter moved on by a build
    search.Source = "[4?]b[?4]";   // block 4 moves to index 3
    manager.RecompileAll();
    EXPECT_EQ(target.Blocks[1].Number2, 3);
    EXPECT_EQ(target.Blocks[2].FoundPos, 1);

    search.Source = "a[";
    EXPECT_THROW(manager.RecompileAll(), bw::PatternError);
}
