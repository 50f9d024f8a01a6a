#include <gtest/gtest.h>

#include <functional>

#include "rules/signbuilder.h"

namespace {

TSignChoice with(int sign, std::function<void(TSignChoice&)> set = {}) {
    TSignChoice c;
    c.Sign = sign;
    if (set)
        set(c);
    return c;
}

TEST(SignBuilderTest, BlockTextsAndWhetherThePatternReadsThemBack) {
    const struct {
        TSignChoice choice;
        const char* text;
        bool readsBack;
    } cases[] = {
        {with(sgFileBegin), "[FB]", true},
        {with(sgWindowsEnd), "[LEW]", true},
        {with(sgOpenBracket), "[OB]", true},
        {with(sgCode), "[0C1]", true},
        {with(sgCode, [](auto& c) { c.Code = 255, c.Repeat = 1000; }), "[255C1000]", true},
        {with(sgLength), "[1?]", true},
        {with(sgLess), "[-1*]", true},
        {with(sgChars), "[D1234567890]", true},
        {with(sgChars, [](auto& c) { c.Digits = ",.;"; }), "[D,.;]", true},
        // Sets the parser reads otherwise: letters join the code, a leading
        // digit run is a number, a sign is consumed, "]" ends the block.
        {with(sgChars, [](auto& c) { c.Digits = "abc"; }), "[Dabc]", false},
        {with(sgChars, [](auto& c) { c.Digits = "-"; }), "[D-]", false},
        {with(sgChars, [](auto& c) { c.Digits = ",]"; }), "[D,]]", false},
        {with(sgChars, [](auto& c) { c.Digits = ""; }), "[D]", false},
        {with(sgChars, [](auto& c) { c.Digits = QString::fromUtf8(",\u4e2d"); }), "[D,\u4e2d]", false},
        // The number option.
        {with(sgFileBegin, [](auto& c) { c.SetNumber = true, c.Number = 2; }), "[FB2]", true},
        {with(sgChars, [](auto& c) { c.SetNumber = true, c.Number = 2; }), "[D2]", true},
        {with(sgChars, [](auto& c) { c.SetNumber = true, c.Number = 2, c.Digits = "abc"; }), "[D2abc]", true},
        {with(sgChars, [](auto& c) { c.SetNumber = true, c.Number = 2, c.Digits = "5"; }), "[D25]", false},
        {with(sgCode, [](auto& c) { c.SetNumber = true, c.Number = 4; }), "[0C1]", true},
        // The target side.
        {with(sgBlock, [](auto& c) { c.Search = false; }), "[0B]", true},
        {with(sgCounter, [](auto& c) { c.Search = false; }), "[0I0]", true},
        {with(sgCounter, [](auto& c) { c.Search = false, c.CounterStart = 10, c.CounterStep = -2; }), "[10I-2]", true},
        {with(sgWindowsEnd, [](auto& c) { c.Search = false, c.SetNumber = true, c.Number = 3; }), "[LEW]", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SignBlockText(c.choice), QString::fromUtf8(c.text));
        EXPECT_EQ(SignBlockProblem(c.choice).isEmpty(), c.readsBack) << SignBlockProblem(c.choice).toStdString();
    }
    // A character the code page lacks is named in the hint.
    EXPECT_TRUE(SignBlockProblem(with(sgChars, [](auto& c) { c.Digits = QString::fromUtf8("\u4e2d"); }))
                    .contains(QString::fromUtf8("\u4e2d")));
}

TEST(SignBuilderTest, SourceModeSwapsSignsTheSideLacks) {
    const struct {
        int before;
        bool search;
        int after;
    } cases[] = {
        {sgFileBegin, false, sgWindowsEnd}, {sgLess, false, sgWindowsEnd}, {sgChars, false, sgWindowsEnd},
        {sgCounter, true, sgFileBegin},     {sgBlock, true, sgFileBegin},   {sgCode, false, sgCode},
        {sgUnixEnd, true, sgUnixEnd},       {sgBlock, false, sgBlock},
    };
    for (const auto& c : cases) {
        TSignChoice choice = with(c.before, [](auto& s) { s.SetNumber = true; });
        SetSignSourceMode(choice, c.search);
        EXPECT_EQ(choice.Sign, c.after) << c.before;
        EXPECT_EQ(choice.SetNumber, c.search);
    }
}

} // namespace
