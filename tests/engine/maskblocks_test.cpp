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

struct ParseCase {
    bool target;
    std::string inside;
    TMaskBlockKind kind;
    std::string text;
    std::int32_t length;
    std::int32_t number1;
    std::int32_t number2;
};

} // namespace

TEST(TextReaders, ReadSignedInt) {
    struct Case {
        std::string text;
        int pos;
        bool ok;
        std::int32_t value; // when ok
        int posAfter;
    };
    const Case cases[] = {
        {"", 1, false, 0, 1},
        {"x", 2, false, 0, 2},
        {"abc", 1, false, 0, 1},
        {"-", 1, false, 0, 2},
        {"+12x", 1, true, 12, 4},
        {"-7?", 1, true, -7, 3},
        {"x42", 2, true, 42, 4},
        {"2147483646", 1, true, 2147483646, 11},
        {"-2147483646", 1, true, -2147483646, 12},
        {"2147483647", 1, false, 0, 11},
        {"99999999999?", 1, false, 0, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int pos = c.pos;
        std::int32_t value = 555;
        EXPECT_EQ(ReadSignedInt(c.text, pos, value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : 555);
        EXPECT_EQ(pos, c.posAfter);
    }
}

TEST(TextReaders, QuotedTextCharSetsAndLists) {
    int pos = 1;
    EXPECT_EQ(ReadQuotedText("\"ab\"c", pos), "ab");
    EXPECT_EQ(pos, 2);
    pos = 1;
    EXPECT_EQ(ReadQuotedText("x\"ab\"", pos), "");
    EXPECT_EQ(pos, 1);
    pos = 1;
    EXPECT_EQ(ReadQuotedText("\"ab", pos), "");
    EXPECT_EQ(pos, 2);

    const TCharSet digits = CharSetOf("0123456789");
    EXPECT_EQ(FindCharOfSet("ab12", digits, 1), 3);
    EXPECT_EQ(FindCharOfSet("ab12", digits, 4), 4);
    EXPECT_EQ(FindCharOfSet("ab", digits, 1), -1);
    pos = 2;
    EXPECT_EQ(ReadCharsOfSet("a123b", digits, pos), "123");
    EXPECT_EQ(pos, 5);
    pos = 4;
    EXPECT_EQ(ReadCharsOfSet("a12", digits, pos), "");
    EXPECT_EQ(pos, 4);
    pos = 9; // past the end: nothing to read, nothing thrown
    EXPECT_EQ(ReadCharsOfSet("a12", digits, pos), "");
    EXPECT_EQ(pos, 9);

    EXPECT_EQ(IndexOfText("lew", {"OB", "LEU", "LEW"}), 2);
    EXPECT_EQ(IndexOfText("LE", {"OB", "LEU", "LEW"}), -1);
}

TEST(BlockParser, KindsAndValues) {
    OutputFolder = "C:\\Out\\";
    InputFolder = "/in/";
    const ParseCase cases[] = {
        {false, "?", mbkChars, "", 1, 1, 0},
        {false, "3?2", mbkChars, "", 3, 3, 2},
        {false, "99999999999?", mbkChars, "", 1, 1, 0},
        {false, "0?", mbkChars, "", 0, 0, 0},
        {false, "-3?", mbkChars, "", 0, -3, 0},
        {false, "5*", mbkGap, "", -1, 5, 0},
        {false, "-5*", mbkGap, "", -1, -5, 0},
        {false, "*7", mbkGap, "", -1, 0, 7},
        {false, "65C3", mbkText, "AAA", 3, 65, 3},
        {false, "300C", mbkText, ",", 1, 300, 0},
        {false, "65C0", mbkText, "", 0, 65, 0},
        {false, "65C-2", mbkText, "", 0, 65, -2},
        {false, "C", mbkText, "C", 1, 0, 0},
        {false, "C5", mbkText, "C5", 2, 0, 5},
        {false, "ob", mbkText, "[", 1, 0, 0},
        {false, "CB", mbkText, "]", 1, 0, 0},
        {true, "LEU", mbkText, "\n", 1, 0, 0},
        {true, "lew", mbkText, "\r\n", 2, 0, 0},
        {false, "D,.;", mbkCharRun, ",.;", -1, 0, 0},
        {false, "D", mbkCharRun, "0123456789", -1, 0, 0},
        {false, "D7", mbkCharRun, "0123456789", -1, 0, 7},
        {false, "D1234567890", mbkCharRun, "0123456789", -1, 0, 1234567890},
        {false, "D-", mbkCharRun, "0123456789", -1, 0, 0},
        {false, "D+-", mbkCharRun, "-", -1, 0, 0},
        {false, "D,abc", mbkCharRun, ",abc", -1, 0, 0},
        {false, "4D,a", mbkCharRun, ",a", -1, 4, 0},
        {false, "lb", mbkLineBegin, "\n", 0, 0, 0},
        {false, "FB", mbkFileBegin, "", 0, 0, 0},
        {false, "fe3", mbkFileEnd, "", 0, 0, 3},
        {true, "B3", mbkBlockRef, "", 0, 3, 3},
        {true, "3B", mbkBlockRef, "", 0, 3, 0},
        {true, "5I", mbkCounter, "", 0, 5, 1},
        {true, "10I-2", mbkCounter, "", 0, 10, -2},
        {true, "O\"out.txt\"", mbkOutput, "C:\\Out\\out.txt", 0, 0, 0},
        {true, "O", mbkOutput, "", 0, 0, 0},
        {true, "O\"out.txt", mbkOutput, "", 0, 0, 0},
        {true, "Q1\"n.txt\"", mbkLine, "/in/n.txt", 0, 0, 1},
        {true, "QA2\"a.txt\"", mbkLineAt, "/in/a.txt", 0, 0, 2},
        {true, "2QA\"a.txt\"", mbkLineAt, "/in/a.txt", 0, 2, 0},
        {true, "qg-1\"a.txt\"", mbkLineGo, "/in/a.txt", 0, 0, -1},
        {true, "QC\"a.txt\"", mbkLineOfFile, "/in/a.txt", 0, 0, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.inside);
        std::unique_ptr<TMaskBlock> block = c.target ? NewMaskBlockR() : NewMaskBlockS();
        block->Text = c.inside;
        ASSERT_NO_THROW(block->Parse());
        EXPECT_EQ(block->Kind, c.kind);
        // Text is defined for literals, sets, [LB] and file names only.
        if (c.kind == mbkText || c.kind == mbkCharRun || c.kind == mbkLineBegin || c.kind >= mbkOutput) {
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
}

TEST(BlockParser, Errors) {
    struct Case {
        bool target;
        std::string inside;
        const char* message;
    };
    const Case cases[] = {
        {false, "", "Unknown block "},
        {false, "5", "Unknown block "},
        {false, "B", "Unknown block B"},
        {false, "Dabc", "Unknown block Dabc"},
        {false, "a[b", "Unknown block a[b"},
        {false, "\xE6x", "Unknown block "}, // letters beyond ASCII are no code
        {true, "LB", "Unknown block LB"},
        {true, "I5", "[I] must have initial value"},
        {true, "B", "[B] must have block number"},
        {false, "65C16777217", "Block [65C16777217] gives a text longer than 16777216 characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inside);
        std::unique_ptr<TMaskBlock> block = c.target ? NewMaskBlockR() : NewMaskBlockS();
        block->Text = c.inside;
        try {
            block->Parse();
            ADD_FAILURE() << "parsed";
        } catch (const bw::PatternError& e) {
            EXPECT_EQ(e.message(), u8(c.message));
        }
    }
    // The largest repeat still compiles.
    auto block = NewMaskBlockS();
    block->Text = "65C16777216";
    block->Parse();
    EXPECT_EQ(block->Length, 16777216);
}

TEST(PatternCompiler, SearchShapeAndMerging) {
    TAMaskBlockS p;
    ASSERT_EQ(compileError(p, "a[OB]b"), "");
    ASSERT_EQ(p.Blocks.Count(), 3);
    EXPECT_EQ(p.Blocks[1].Text, "a[b");
    EXPECT_EQ(p.Blocks[1].Length, 3);
    EXPECT_EQ(p.Blocks[0].Kind, mbkGap);
    EXPECT_EQ(p.Block(0).PrevStar, -1);
    EXPECT_EQ(p.Blocks[2].Kind, mbkChars);
    EXPECT_EQ(p.Blocks[2].Length, 0);

    ASSERT_EQ(compileError(p, "[OB2]abc]"), "");
    ASSERT_EQ(p.Blocks.Count(), 3);
    EXPECT_EQ(p.Blocks[1].Text, "[abc]");
    EXPECT_EQ(p.Blocks[1].Number2, 2);

    ASSERT_EQ(compileError(p, "a[*]b"), "");
    ASSERT_EQ(p.Blocks.Count(), 5);
    const TMaskBlockKind kinds[] = {mbkGap, mbkText, mbkGap, mbkText, mbkChars};
    const int prevStar[] = {-1, 0, 0, 2, 2};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.Blocks[i].Kind, kinds[i]) << i;
        if (i < 4) {
            EXPECT_EQ(p.Block(i).PrevStar, prevStar[i]) << i;
        }
    }

    // Unmasked text is kept and not compiled.
    TAMaskBlockS plain;
    plain.SetText("abc[");
    EXPECT_EQ(plain.Text, "abc[");
    EXPECT_EQ(plain.Blocks.Count(), 0);
}

TEST(PatternCompiler, Errors) {
    const char* star = "[*] не могут располагаться в начале или конце текста для поиска";
    struct Case {
        std::string source;
        const char* message;
    };
    const Case cases[] = {
        {"abc[", "Нет ] для [ в позиции 4"},
        {"ab[c]d[e", "Нет ] для [ в позиции 7"},
        {"[*]abc", star},
        {"abc[*]", star},
        {"[5*]abc", star},
        {"abc[*3]", star},
        {"", star},
        {"a[I]", "Unknown block I"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        TAMaskBlockS p;
        EXPECT_EQ(compileError(p, c.source), u8(c.message));
    }
}

TEST(PatternCompiler, TargetResolvesBackReferences) {
    TAMaskBlockS search;
    ASSERT_EQ(compileError(search, "x[3?3][D3]abc[OB2]"), "");
    TAMaskBlockR target;
    target.SearchPattern = &search;
    ASSERT_EQ(compileError(target, "[3B]-[5I2]"), "");
    ASSERT_EQ(target.Blocks.Count(), 4);
    EXPECT_EQ(target.Blocks[1].Number2, 2); // the first block numbered 3
    EXPECT_EQ(target.Blocks[2].Text, "-");
    EXPECT_EQ(target.Blocks[3].FoundPos, 5);

    const std::pair<const char*, int> notFound[] = {{"[2B]", 2}, {"[0B]", 0}, {"[B-1]", -1}, {"[B7]", 7}};
    for (const auto& [source, number] : notFound) {
        SCOPED_TRACE(source);
        EXPECT_EQ(compileError(target, source),
                  u8("Блок с номером ") + QString::number(number) + u8(" не найден в тексте для поиска"));
    }

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
    try {
        manager.RecompileAll();
        FAIL() << "compiled";
    } catch (const bw::PatternError& e) {
        EXPECT_EQ(e.message(), u8("Нет ] для [ в позиции 2"));
    }
}
