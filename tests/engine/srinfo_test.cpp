#include "engine/srinfo.h"

#include <gtest/gtest.h>

namespace {

TSRInfo fullRule(TOnFoundActionType action) {
    TSRInfo r;
    r.Source.ssText = QString::fromUtf8("line one\r\nстрока; \"two\"");
    r.Source.sbAS = true;
    r.Source.ssCLBCP = "Win-1251,\"KOI8-R\"";
    r.Source.sbCaseSensitive = true;
    r.Source.sbWholeWords = true;
    r.Source.sbIgnoreMode = true;
    r.Source.sbSaveCP = false;
    r.Source.sbStopCPChange = false;
    r.Source.siCharCount = -17;
    r.SearchActionType = action;
    r.Target.tsText = "[1I];x";
    r.Target.tbAS = true;
    r.Target.tbConfirmReplace = false;
    r.Target.tbShowHint = false;
    r.Target.tbRepeat = true;
    r.Target.InFolder = "/in dir/";
    r.Target.OutFolder = "/out/";
    return r;
}

TEST(RuleText, WritesKeysInOrderAndLeavesEmptyValuesOut) {
    TSRInfo r;
    r.Source.ssText = "abc";
    EXPECT_EQ(RuleToText(r), "ssText=abc;sbAS=0;sbCaseSensitive=0;sbWholeWords=0;sbIgnoreMode=0;"
                             "sbSaveCP=-1;sbStopCPChange=-1;siCharCount=0;SearchActionType=0");

    r.SearchActionType = ofatReplace;
    r.Target.tsText = "a b";
    r.Target.OutFolder = "o";
    EXPECT_EQ(RuleToText(r), "ssText=abc;sbAS=0;sbCaseSensitive=0;sbWholeWords=0;sbIgnoreMode=0;"
                             "sbSaveCP=-1;sbStopCPChange=-1;siCharCount=0;SearchActionType=2;"
                             "\"tsText=a b\";tbAS=0;tbConfirmReplace=-1;tbShowHint=-1;tbRepeat=0;OutFolder=o");

    // Texts with blanks, line ends, quotes or the delimiter quote their whole line.
    r.Source.ssText = "x\"y;z";
    r.SearchActionType = ofatDelete;
    EXPECT_EQ(RuleToText(r).substr(0, 14), "\"ssText=x\"\"y;z");
}

TEST(RuleText, RoundTripsEveryAction) {
    for (int a = ofatDontChange; a <= ofatRenameFile; ++a) {
        SCOPED_TRACE(a);
        const TSRInfo original = fullRule(static_cast<TOnFoundActionType>(a));
        TSRInfo read;
        TextToRule(read, RuleToText(original));
        EXPECT_EQ(read.Source, original.Source);
        EXPECT_EQ(read.SearchActionType, original.SearchActionType);
        // Actions below replace carry no target half: the new rule keeps its defaults.
        EXPECT_EQ(read.Target, a >= ofatReplace ? original.Target : TTargetInfo());
    }
}

TEST(RuleText, CharactersMissingFromTheCodePageComeBackAsQuestionMarks) {
    TSRInfo r;
    r.Source.ssText = QString::fromUtf8("a€中b");
    TSRInfo read;
    TextToRule(read, RuleToText(r));
    EXPECT_EQ(read.Source.ssText, QString::fromUtf8("a€?b")); // the euro sign is in the page
}

TEST(RuleText, ReadingStopsAtTheFirstUnreadableValue) {
    struct Case {
        const char* text;
        TSRInfo expected;
    };
    TSRInfo base;
    base.Source.ssText = "old";
    base.Source.siCharCount = 5;
    base.Target.tsText = "keep";

    auto with = [&](auto change) {
        TSRInfo r = base;
        change(r);
        return r;
    };
    const std::vector<Case> cases = {
        {"", base},
        // Missing sbAS ends the reading right after ssText (here set to empty).
        {"bTarget=-1", with([](TSRInfo& r) { r.Source.ssText = ""; })},
        {"ssText=q;sbAS=yes;sbCaseSensitive=-1", with([](TSRInfo& r) { r.Source.ssText = "q"; })},
        // Words and any non-zero number read as Booleans; key names ignore case.
        {"SSTEXT=q;SBAS=TRUE;sbcasesensitive=7;sbWholeWords=False;sbIgnoreMode=0;sbSaveCP=0;"
         "sbStopCPChange=-1;siCharCount=x",
         with([](TSRInfo& r) {
             r.Source.ssText = "q";
             r.Source.sbAS = true;
             r.Source.sbCaseSensitive = true;
             r.Source.sbSaveCP = false;
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TSRInfo r = base;
        TextToRule(r, c.text);
        EXPECT_EQ(r, c.expected);
    }
}

TEST(RuleText, LegacyKeysAndActionRange) {
    const std::string head = "ssText=s;sbAS=0;sbCaseSensitive=0;sbWholeWords=0;sbIgnoreMode=0;"
                             "sbSaveCP=-1;sbStopCPChange=-1;siCharCount=0;";
    struct Case {
        std::string tail;
        TOnFoundActionType action;
        QString tsText;
        QString outFolder;
    };
    const std::vector<Case> cases = {
        {"bTarget=-1;tsText=t;tbAS=0;tbConfirmReplace=0;tbShowHint=0;tbRepeat=0", ofatReplace, "t", ""},
        {"bTarget=0;tsText=t", ofatDontChange, "keep", ""},
        {"SearchActionType=5;tsText=t;tbAS=0;tbConfirmReplace=0;tbShowHint=0;tbRepeat=0;FolderForOutput=f",
         ofatWriteToFile, "t", "f"},
        {"SearchActionType=2;tsText=t;tbAS=0;tbConfirmReplace=0;tbShowHint=0;tbRepeat=0;OutFolder=o;"
         "FolderForOutput=f",
         ofatReplace, "t", "o"},
        // An action above the known ones is unreadable: bTarget decides, else nothing changes.
        {"SearchActionType=7;bTarget=-1;tsText=t;tbAS=0;tbConfirmReplace=0;tbShowHint=0;tbRepeat=0",
         ofatReplace, "t", ""},
        {"SearchActionType=258;tsText=t", ofatInsertAfter, "keep", ""},
        {"SearchActionType=-1;tsText=t", ofatInsertAfter, "keep", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        TSRInfo r;
        r.SearchActionType = ofatInsertAfter;
        r.Target.tsText = "keep";
        TextToRule(r, head + c.tail);
        EXPECT_EQ(r.Source.ssText, "s");
        EXPECT_EQ(r.SearchActionType, c.action);
        EXPECT_EQ(r.Target.tsText, c.tsText);
        EXPECT_EQ(r.Target.OutFolder, c.outFolder);
    }
}

} // namespace
