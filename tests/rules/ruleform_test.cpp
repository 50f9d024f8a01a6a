#include <gtest/gtest.h>

#include "rules/ruleform.h"

namespace {

TRuleForm filledForm() {
    TRuleForm f;
    f.SearchText = "find\r\nme";
    f.SearchAS = true;
    f.CodePages = "Win-1251,Automatic";
    f.CaseSensitive = true;
    f.WholeWords = true;
    f.IgnoreMode = true;
    f.SaveCP = false;
    f.StopCPChange = false;
    f.CharCount = 123;
    f.TargetText = "new";
    f.TargetAS = true;
    f.ConfirmReplace = false;
    f.ShowHint = false;
    f.Repeat = true;
    f.OutFolder = "/out/";
    f.InFolder = "/in/";
    f.Action = ofatWriteToFile;
    return f;
}

TEST(RuleForm, SavingTakesTheLastRuleTextWithoutTextsAndRoundTrips) {
    TSRInfo rule;
    std::string last;
    FormToRule(filledForm(), rule, last);
    EXPECT_EQ(rule.Source.ssText, "find\r\nme");
    EXPECT_EQ(rule.Target.tsText, "new");

    TSRInfo fromLast;
    TextToRule(fromLast, last);
    TSRInfo expected = rule;
    expected.Source.ssText.clear();
    expected.Target.tsText.clear();
    EXPECT_EQ(fromLast, expected);

    // Every control comes back from the rule it filled.
    const TRuleForm back = RuleToForm(rule);
    std::string last2;
    TSRInfo again;
    FormToRule(back, again, last2);
    EXPECT_EQ(again, rule);
    EXPECT_EQ(last2, last);
}

TEST(RuleForm, OkChecksInOrder) {
    struct Case {
        const char* name;
        QString search, target, out, in;
        int action;
        bool codePage;
        TRuleCheck check;
        TRuleField field;
        QString character, outAfter, inAfter;
    };
    const QString star = QString::fromUtf8("★");
    const QString emoji = QString::fromUtf8("😀");
    const Case cases[] = {
        {"empty search leaves folders", "", "", "/o", "", ofatReplace, true, TRuleCheck::NothingToSearch,
         TRuleField::Search, "", "/o", ""},
        {"no code page, folders suffixed", "a", "", "/o", "/i/", ofatReplace, false, TRuleCheck::NoCodePage,
         TRuleField::Search, "", "/o/", "/i/"},
        {"accepted", QString::fromUtf8("а€"), "b", "", "", ofatReplace, true, TRuleCheck::Accept,
         TRuleField::Search, "", "", ""},
        {"bad search before no code page", "a" + star, "", "", "", ofatDelete, false, TRuleCheck::BadCharacter,
         TRuleField::Search, star, "", ""},
        {"bad target", "a", "x" + emoji, "", "", ofatReplace, true, TRuleCheck::BadCharacter,
         TRuleField::Target, emoji, "", ""},
        {"bad in folder", "a", "", "/o", "/" + star, ofatInsertAfter, true, TRuleCheck::BadCharacter,
         TRuleField::InFolder, star, "/o/", "/" + star + "/"},
        {"hidden target is not checked", "a", star, star, "", ofatDelete, true, TRuleCheck::Accept,
         TRuleField::Search, "", star + "/", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRuleForm f;
        f.SearchText = c.search;
        f.TargetText = c.target;
        f.OutFolder = c.out;
        f.InFolder = c.in;
        f.Action = c.action;
        const TRuleCheckResult r = CheckRuleForm(f, c.codePage);
        EXPECT_EQ(r.Check, c.check);
        if (c.check == TRuleCheck::BadCharacter) {
            EXPECT_EQ(r.Field, c.field);
            EXPECT_EQ(r.Character, c.character);
        }
        EXPECT_EQ(f.OutFolder, c.outAfter);
        EXPECT_EQ(f.InFolder, c.inAfter);
    }
}

} // namespace
