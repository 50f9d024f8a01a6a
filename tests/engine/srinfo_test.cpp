#include "engine/srinfo.h"

#include <gtest/gtest.h>

#include "platform/cp1251.h"
#include "platform/delimitedtext.h"
#include "platform/error.h"

#include <algorithm>
#include <random>

namespace {

// Every field away from its default; texts that need both quoting levels.
TSRInfo fullRule(TOnFoundActionType action) {
    return {.Source = {.ssText = QString::fromUtf8("line one\r\nстрока; \"two\""), .sbAS = true,
                       .ssCLBCP = "Win-1251,\"KOI8-R\"", .sbCaseSensitive = true, .sbWholeWords = true,
                       .sbIgnoreMode = true, .sbSaveCP = false, .sbStopCPChange = false, .siCharCount = -17},
            .Target = {.tsText = "[1I];x", .tbAS = true, .tbConfirmReplace = false, .tbShowHint = false,
                       .tbRepeat = true, .InFolder = "/in dir/", .OutFolder = "/out/"},
            .SearchActionType = action};
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

    // Characters the code page lacks come back as '?'; the euro sign is in the page.
    TSRInfo r, read;
    r.Source.ssText = QString::fromUtf8("a€中b");
    TextToRule(read, RuleToText(r));
    EXPECT_EQ(read.Source.ssText, QString::fromUtf8("a€?b"));
}

// A folder the code page cannot hold would be read back as another folder:
// the rule text is refused with an error naming the folder.
TEST(RuleText, AFolderOutsideTheCodePageIsRefused) {
    for (const char* key : {"OutFolder", "InFolder"}) {
        SCOPED_TRACE(key);
        TSRInfo r = fullRule(ofatReplace);
        const QString folder = QString::fromUtf8("/data/出力/");
        (QLatin1String(key) == QLatin1String("OutFolder") ? r.Target.OutFolder : r.Target.InFolder) = folder;
        try {
            RuleToText(r);
            ADD_FAILURE() << "no error";
        } catch (const bw::Error& e) {
            EXPECT_TRUE(e.message().contains(folder)) << e.message().toStdString();
        }
    }
    TSRInfo r = fullRule(ofatReplace);
    r.Target.OutFolder = QString::fromUtf8("/данные/€/");
    TSRInfo read;
    TextToRule(read, RuleToText(r));
    EXPECT_EQ(read.Target.OutFolder, r.Target.OutFolder);
}

TEST(RuleText, ReadingStopsAtTheFirstUnreadableValue) {
    TSRInfo base;
    base.Source.ssText = "old";
    base.Source.siCharCount = 5;
    base.Target.tsText = "keep";
    const auto with = [&base](auto change) {
        TSRInfo r = base;
        change(r.Source);
        return r;
    };
    const std::pair<const char*, TSRInfo> cases[] = {
        {"", base},
        // Missing sbAS ends the reading right after ssText (here set to empty).
        {"bTarget=-1", with([](TSourceInfo& s) { s.ssText = ""; })},
        {"ssText=q;sbAS=yes;sbCaseSensitive=-1", with([](TSourceInfo& s) { s.ssText = "q"; })},
        // Words and any non-zero number read as Booleans; key names ignore case.
        {"SSTEXT=q;SBAS=TRUE;sbcasesensitive=7;sbWholeWords=False;sbIgnoreMode=0;sbSaveCP=0;"
         "sbStopCPChange=-1;siCharCount=x",
         with([](TSourceInfo& s) { s.ssText = "q", s.sbAS = s.sbCaseSensitive = true, s.sbSaveCP = false; })},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        TSRInfo r = base;
        TextToRule(r, text);
        EXPECT_EQ(r, expected);
    }
}

TEST(RuleText, LegacyKeysAndActionRange) {
    const std::string head = "ssText=s;sbAS=0;sbCaseSensitive=0;sbWholeWords=0;sbIgnoreMode=0;"
                             "sbSaveCP=-1;sbStopCPChange=-1;siCharCount=0;";
    const std::string flags = ";tbAS=0;tbConfirmReplace=0;tbShowHint=0;tbRepeat=0";
    // the rest of the text, and the action, target text and output folder read
    const std::tuple<std::string, TOnFoundActionType, QString, QString> cases[] = {
        {"bTarget=-1;tsText=t" + flags, ofatReplace, "t", ""},
        {"bTarget=0;tsText=t", ofatDontChange, "keep", ""},
        {"SearchActionType=5;tsText=t" + flags + ";FolderForOutput=f", ofatWriteToFile, "t", "f"},
        {"SearchActionType=2;tsText=t" + flags + ";OutFolder=o;FolderForOutput=f", ofatReplace, "t", "o"},
        // An action above the known ones is unreadable: bTarget decides, else nothing changes.
        {"SearchActionType=7;bTarget=-1;tsText=t" + flags, ofatReplace, "t", ""},
        {"SearchActionType=-1;tsText=t", ofatInsertAfter, "keep", ""},
    };
    for (const auto& [tail, action, tsText, outFolder] : cases) {
        SCOPED_TRACE(tail);
        TSRInfo r;
        r.Target.tsText = "keep";
        r.SearchActionType = ofatInsertAfter;
        TextToRule(r, head + tail);
        EXPECT_EQ(r.Source.ssText, "s");
        EXPECT_EQ(r.SearchActionType, action);
        EXPECT_EQ(r.Target.tsText, tsText);
        EXPECT_EQ(r.Target.OutFolder, outFolder);
    }
}

} // namespace

// The rule reader splits the text itself; it must read every value as the
// general delimited-text rules do, whatever quoting, blanks and zero bytes
// the text holds. The writer's texts must split back into what was written.
TEST(RuleText, ReaderAndWriterAgreeWithTheDelimitedTextRules) {
    std::mt19937 rng(1251);
    const char pieces[] = "ab\"\";= \t\x01\xE0";
    auto randomBytes = [&](int most) {
        std::string s(rng() % (most + 1), ' ');
        for (char& c : s)
            c = pieces[rng() % (sizeof(pieces) - 1)];
        if (rng() % 8 == 0)
            s.insert(s.begin() + static_cast<long>(rng() % (s.size() + 1)), '\0');
        return s;
    };
    const char* keys[] = {"ssText", "SSTEXT", "ssCLBCP", "x", "ssText="};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int items = static_cast<int>(rng() % 5);
        for (int i = 0; i < items; ++i) {
            text += randomBytes(3);
            text += keys[rng() % 5];
            text += rng() % 4 ? "=" : "";
            text += randomBytes(6);
            if (rng() % 3)
                text += ';';
        }
        const auto split = bw::splitDelimited(text, ';');
        TSRInfo rule;
        TextToRule(rule, text);
        EXPECT_EQ(rule.Source.ssText, bw::decode1251(bw::delimitedValue(split, std::string("ssText"))))
            << ::testing::PrintToString(text);

        // Written values hold no zero byte: a zero ends a delimited text.
        TSRInfo written;
        auto noZero = [&](int most) {
            std::string s = randomBytes(most);
            std::replace(s.begin(), s.end(), '\0', 'z');
            return bw::decode1251(s);
        };
        written.Source.ssText = noZero(12);
        written.Source.ssCLBCP = noZero(6);
        written.SearchActionType = ofatReplace;
        written.Target.tsText = noZero(12);
        const std::string out = RuleToText(written);
        const auto back = bw::splitDelimited(out, ';');
        EXPECT_EQ(bw::decode1251(bw::delimitedValue(back, std::string("ssText"))), written.Source.ssText);
        EXPECT_EQ(bw::joinDelimited(back, ';'), out);
    }
}
