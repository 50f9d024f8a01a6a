#include "engine/replacement.h"
#include "engine/rerichedit.h"
#include "engine/textfiles.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

namespace {

struct Rule {
    std::string search;
    bool maskedSearch = false;
    std::string target;
    bool maskedTarget = false;
    TOnFoundActionType action = ofatReplace;
    TSearchTypes options = stMatchCase;
};

void setRule(TRERichEdit& e, const Rule& r) {
    e.Options.soMaskedSource = r.maskedSearch;
    e.Options.soMaskedTarget = r.maskedTarget;
    e.SearchOptions = r.options;
    e.ActionMode.OnFoundActionType = r.action;
    e.SetSourceText(r.search);
    if (r.action != ofatDontChange)
        e.SetTargetText(r.target);
}

// Stops a pass that reports too many matches, so that a pass that would never
// end fails the test instead of hanging it.
void limitMatches(TRERichEdit& e, int limit) {
    auto count = std::make_shared<int>(0);
    auto guard = [count, limit](TRERichEdit& sender) {
        if (++*count > limit)
            sender.ActionMode.amAbort = true;
    };
    e.OnAfterFound = guard;
    e.OnBeforeReplace = [guard](TRERichEdit& sender, bool&) { guard(sender); };
}

std::string runPass(TRERichEdit& e, const std::string& text) {
    e.LoadFromString(text);
    e.StartPos = 0;
    e.ProcessAll();
    return e.Text();
}

// The run's line-file cache for the length of a test.
class LineFilesInUse {
public:
    LineFilesInUse() { TextFilesCache = &cache; }
    ~LineFilesInUse() { TextFilesCache = nullptr; }
    TTextFiles cache;
};

class Processing : public bw::test::TempDirTest {
protected:
    TRERichEdit e;
    QString folder() const { return dir_.path() + "/"; }
};

// ---------------------------------------------------------------------------

TEST(ProcessAll, EachActionChangesTheTextAndMovesOn) {
    struct Case {
        Rule rule;
        std::string text, expected;
        int finds, replacements;
        std::int32_t startAfter;
    };
    const std::vector<Case> cases = {
        // The next find starts after the inserted text: no match inside a replacement.
        {{"a", false, "aa"}, "banana", "baanaanaa", 3, 3, 9},
        {{"a", false, "", false, ofatDelete}, "banana", "bnn", 3, 3, 3},
        {{"n", false, "-", false, ofatInsertBefore}, "nn", "-n-n", 2, 2, 4},
        {{"n", false, "-", false, ofatInsertAfter}, "nn", "n-n-", 2, 2, 4},
        {{"an", false, "X", false, ofatWriteToFile}, "banana", "banana", 2, 2, 5},
        {{"a", false, "", false, ofatDontChange}, "banana", "banana", 3, 0, 6},
        // Case-insensitive literal; a replacement of another length in the middle.
        {{"AN", false, "<>", false, ofatReplace, 0}, "bAnana!", "b<><>a!", 2, 2, 5},
        {{"x[D]y", true, "[1I]", true}, "x12y x3y xy x444y", "1 2 xy 3", 3, 3, 8},
        // Deleting from the very start leaves the rest at the start of the text.
        {{"[LB]a", true, "", false, ofatDelete}, "aa\naa", "\n", 4, 4, 1},
        {{"[FB]a", true, "", false, ofatDelete}, "aab", "b", 2, 2, 0},
        {{"a[D b]", true, "", false, ofatDelete, stWholeWord | stMatchCase}, "a ba b", "", 2, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.rule.search);
        TRERichEdit e;
        setRule(e, c.rule);
        int afterFound = 0;
        e.OnAfterFound = [&](TRERichEdit& s) {
            ++afterFound;
            EXPECT_TRUE(s.SelMarked);
            EXPECT_EQ(s.SelStart, s.FoundAt);
        };
        EXPECT_EQ(runPass(e, c.text), c.expected);
        EXPECT_EQ(e.Counters.PassCounters.PassFinds, c.finds);
        EXPECT_EQ(e.Counters.PassCounters.PassReplacements, c.replacements);
        EXPECT_EQ(e.StartPos, c.startAfter);
        EXPECT_EQ(e.Counters.RunTotals.FindsTotal, c.finds);
        EXPECT_EQ(e.Counters.RunTotals.PassesWithFinds, 1);
        EXPECT_EQ(e.Counters.RunTotals.ReplacementsTotal, c.replacements);
        EXPECT_EQ(e.Counters.RunTotals.PassesWithReplacements, c.replacements > 0 ? 1 : 0);
        EXPECT_EQ(afterFound, c.rule.action == ofatDontChange ? c.finds : 0);
        EXPECT_EQ(e.Modified(), c.text != c.expected);
    }
}

TEST(ProcessAll, DeclinedChangeLeavesNoTrace) {
    TRERichEdit e;
    setRule(e, {"x", false, "[1I3]", true});
    int asked = 0;
    e.OnBeforeReplace = [&](TRERichEdit& s, bool& go) {
        go = ++asked != 2;
        EXPECT_EQ(s.TargetResult, asked <= 2 ? std::to_string(1 + 3 * (asked - 1)) : "4");
    };
    EXPECT_EQ(runPass(e, "xxx"), "1x4");
    EXPECT_EQ(e.Counters.PassCounters.PassFinds, 3);
    EXPECT_EQ(e.Counters.PassCounters.PassReplacements, 2);

    // A counter starts again with every pass; pass counters add up, totals take each pass once.
    e.OnBeforeReplace = nullptr;
    e.LoadFromString("xx");
    e.StartPos = 0;
    e.ProcessAll();
    EXPECT_EQ(e.Text(), "14");
    EXPECT_EQ(e.Counters.PassCounters.PassFinds, 5);
    EXPECT_EQ(e.Counters.PassCounters.PassReplacements, 4);
    EXPECT_EQ(e.Counters.RunTotals.FindsTotal, 5);
    EXPECT_EQ(e.Counters.RunTotals.ReplacementsTotal, 4);
    EXPECT_EQ(e.Counters.RunTotals.PassesWithReplacements, 2);
}

TEST(ProcessAll, BackReferencesOfEveryKind) {
    struct Case {
        Rule rule;
        std::string text, expected;
    };
    const std::vector<Case> cases = {
        {{"a[*1]b", true, "([1B])", true}, "a123b", "(123)"},
        {{"a[*1]b", true, "([1B])", true}, "ab", "()"},
        {{"[3?2]", true, "[2B][2B]", true}, "xyz", "xyzxyz"},
        // A literal gives its text as written, also when the file differs in case.
        {{"[OB2]ab[D3]", true, "<[2B]|[3B]>", true, ofatReplace, 0}, "[AB12", "<[ab|12>"},
        {{"id=[D1]", true, "ID:[1B]", true}, "id=7,id=42", "ID:7,ID:42"},
        {{"[LB1][FB2]x[FE3]", true, "[1B][2B][3B]y", true}, "x", "y"},
        // Merged literals carry the number of their first part.
        {{"[OB4]a[CB]", true, "<[4B]>", true}, "x[a]", "x<[a]>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule.search + " -> " + c.rule.target);
        TRERichEdit e;
        setRule(e, c.rule);
        EXPECT_EQ(runPass(e, c.text), c.expected);
    }
}

TEST_F(Processing, OutputBlocksAreWrittenForTheChangingActionsOnly) {
    struct Case {
        TOnFoundActionType action;
        bool decline;
        std::string text, log;
    };
    const std::vector<Case> cases = {
        {ofatReplace, false, "XaXb", "XaXb"},
        {ofatDelete, false, "XaXb", "XaXb"},
        {ofatWriteToFile, false, "ab", "XaXb"},
        {ofatInsertBefore, false, "XaaXbb", ""},
        {ofatInsertAfter, false, "aXabXb", ""},
        {ofatReplace, true, "ab", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.action));
        // The output folder does not exist yet: it is made, not asked about.
        const QString out = folder() + "missing/" + QString::number(c.action) + QString::number(c.decline) + "/";
        TRERichEdit e;
        e.SetOutFolder(out);
        setRule(e, {"[?1]", true, "[O\"log.txt\"]X[1B][O][O\"open.txt\"]", true, c.action});
        e.OnBeforeReplace = [&](TRERichEdit&, bool& go) { go = !c.decline; };
        EXPECT_EQ(runPass(e, "ab"), c.text);
        EXPECT_EQ(readFile(out + "log.txt"), c.log);
        // An output block left open collects nothing, but its file is made.
        EXPECT_EQ(exists(out + "open.txt"), !c.log.empty());
        EXPECT_TRUE(prompt.asked().empty());
    }
}

TEST_F(Processing, LineBlocksTakeLinesAndDeclinedBuildsGiveTheirCursorsBack) {
    writeFile("in/names.txt", "A\r\nB\nC\n");
    struct Case {
        std::string target;
        std::int32_t fileIndex;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"[Q1\"names.txt\"]", 0, "ABC(x)A"},
        {"[Q\"names.txt\"]", 0, "AAA(x)A"},
        {"[QG1\"names.txt\"]", 0, "BCA(x)B"},
        {"[QA2\"names.txt\"]", 0, "CCC(x)C"},
        {"[QA3\"names.txt\"]", 0, "(x)"},
        {"[QC\"names.txt\"]", 1, "BBB(x)B"},
        {"[QC\"names.txt\"]", 3, "(x)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        LineFilesInUse lines; // every cursor at line 0 again
        RunFileIndex = c.fileIndex;
        TRERichEdit e;
        e.SetInFolder(folder() + "in/");
        setRule(e, {"x", false, c.target, true});
        // The fourth change is declined: the next build gives the same line again.
        int asked = 0;
        e.OnBeforeReplace = [&](TRERichEdit&, bool& go) { go = ++asked != 4; };
        EXPECT_EQ(runPass(e, "xxx(x)x"), c.expected);
    }
    RunFileIndex = 0;
}

TEST_F(Processing, FoldersOutsideTheWorkingCodePageAreKept) {
    // Folder names in characters Windows-1251 lacks must not turn into '?'.
    const QString in = folder() + QString::fromUtf8("\xE8\xBE\x93\xE5\x85\xA5/");
    const QString out = folder() + QString::fromUtf8("\xE8\xBE\x93\xE5\x87\xBA/");
    writeFile(QString::fromUtf8("\xE8\xBE\x93\xE5\x85\xA5/names.txt"), "N1\nN2\n");
    LineFilesInUse lines;
    TRERichEdit e;
    e.SetInFolder(in);
    e.SetOutFolder(out);
    setRule(e, {"x", false, "[Q1\"names.txt\"][O\"log.txt\"]x[O]", true});
    EXPECT_EQ(runPass(e, "x x"), "N1x N2x");
    EXPECT_EQ(readFile(out + "log.txt"), "xx");
}

TEST_F(Processing, EventsCancelDeclineAndRedirectThePass) {
    // A cancelled pass: no recompilation, no find, no after-event.
    setRule(e, {"a", false, "b"});
    int after = 0;
    e.OnAfterProcessAll = [&](TRERichEdit&) { ++after; };
    e.OnBeforeProcessAll = [](TRERichEdit&, bool& go) { go = false; };
    EXPECT_EQ(runPass(e, "aaa"), "aaa");
    EXPECT_EQ(after, 0);
    EXPECT_EQ(e.Counters, TRERichEdit::TCounters());
    e.OnBeforeProcessAll = nullptr;

    // A handler that clears DoSettingNewStartPosition and moves the start back
    // to 0 sees the first match again, once.
    setRule(e, {"a", false, "", false, ofatDontChange});
    std::vector<std::int32_t> seen;
    e.OnAfterFound = [&](TRERichEdit& s) {
        seen.push_back(s.FoundAt);
        if (seen.size() == 2) {
            s.DoSettingNewStartPosition = false;
            s.StartPos = 0;
        }
    };
    runPass(e, "banana");
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 3, 1, 1, 3, 5}));
    EXPECT_EQ(after, 1);
    e.OnAfterFound = nullptr;

    // The replacement rewritten in the hint memo is what goes into the text.
    struct Memo : TRERichEdit::THintMemo {
        std::string text;
        bool modified = false;
        void SetHint(const std::string& t) override { text = t, modified = false; }
        bool HintModified() const override { return modified; }
        std::string Hint() const override { return text; }
    } memo;
    e.HintMemo = &memo;
    setRule(e, {"a", false, "b"});
    e.OnBeforeReplace = [&](TRERichEdit& s, bool&) {
        EXPECT_EQ(memo.text, "b");
        if (s.FoundAt == 3)
            memo.text = "EDITED", memo.modified = true;
    };
    EXPECT_EQ(runPass(e, "banana"), "bbnEDITEDnb");
    e.HintMemo = nullptr;
    e.OnBeforeReplace = nullptr;

    // A pattern that no longer compiles at the start of a pass: one message,
    // abort set, totals untouched, the after-event still raised.
    setRule(e, {"[?1]", true, "[1B]", true});
    e.SetSourceText("abc");
    after = 0;
    const auto totals = e.Counters.RunTotals;
    EXPECT_EQ(runPass(e, "abc"), "abc");
    EXPECT_TRUE(e.ActionMode.amAbort);
    EXPECT_EQ(e.Counters.RunTotals, totals);
    EXPECT_EQ(after, 1);
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.startsWith(QString::fromUtf8("Блок с номером 1")));
}

TEST_F(Processing, LoadAndSaveEventsCarryTheFileNameAndCanCancel) {
    const QString file = writeFile("a.txt", "one\r\ntwo");
    std::vector<QString> events;
    bool allow = false;
    e.OnBeforeLoadFile = [&](const QString& f, bool& go) { events.push_back("before " + f), go = allow; };
    e.OnAfterLoadFile = [&](const QString& f) { events.push_back("after " + f); };
    e.OnBeforeSaveFile = e.OnBeforeLoadFile;
    e.OnAfterSaveFile = e.OnAfterLoadFile;
    e.LoadFromString("kept");
    e.SetModified(true);
    EXPECT_FALSE(e.LoadFromFile(file));
    EXPECT_EQ(e.Text(), "kept");
    EXPECT_TRUE(e.Modified());
    EXPECT_FALSE(e.SaveToFile(file));
    EXPECT_EQ(readFile(file), "one\r\ntwo");

    allow = true;
    EXPECT_TRUE(e.LoadFromFile(file));
    EXPECT_EQ(e.Text(), "one\r\ntwo");
    EXPECT_EQ(e.FileName, file);
    EXPECT_FALSE(e.Modified());
    e.LoadFromString("new\r\n");
    EXPECT_TRUE(e.SaveToFile(file));
    EXPECT_EQ(readFile(file), "new\r\n");
    EXPECT_EQ(events, (std::vector<QString>{"before " + file, "before " + file, "before " + file, "after " + file,
                                            "before " + file, "after " + file}));
    EXPECT_THROW(e.LoadFromFile(path("none.txt")), bw::Error);
}

TEST_F(Processing, ReportOnlyRuleIgnoresTheTargetOfAnEarlierRule) {
    setRule(e, {"[?5]", true, "[5B]", true});
    setRule(e, {"xy", true, "", false, ofatDontChange});
    runPass(e, "xyxy");
    EXPECT_FALSE(e.ActionMode.amAbort);
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(e.Counters.PassCounters.PassFinds, 2);
}

TEST_F(Processing, PlainSearchTextLeavesNoBlocksForBackReferences) {
    setRule(e, {"[?1]", true, "[1B]", true});
    e.Options.soMaskedSource = false;
    e.SetSourceText("a");
    try {
        e.SetTargetText("[1B]");
        FAIL() << "a back-reference to a plain search text compiled";
    } catch (const bw::Error& error) {
        EXPECT_EQ(error.message(), QString::fromUtf8("Блок с номером 1 не найден в тексте для поиска"));
    }
}

TEST(ProcessAll, EveryPassEndsAlsoOnEmptyMatches) {
    struct Case {
        Rule rule;
        bool decline;
        std::string text, expected;
        int finds;
    };
    const std::vector<Case> cases = {
        {{"[FB]", true, "", false, ofatDontChange}, false, "ab", "ab", 1},
        {{"[LB]", true, "", false, ofatDontChange}, false, "a\nb\n", "a\nb\n", 3},
        {{"[0?]", true, "", false, ofatDontChange}, false, "ab", "ab", 3},
        {{"[0?]", true, "-", false, ofatReplace}, false, "ab", "-a-b-", 3},
        {{"[LB]", true, "", false, ofatReplace}, false, "a\nb", "a\nb", 2},
        {{"[LB]", true, "> ", false, ofatInsertBefore}, false, "a\nb", "> a\n> b", 2},
        {{"[FB]", true, "<", false, ofatInsertAfter}, false, "ab", "<ab", 1},
        {{"[0?]", true, "x", false, ofatWriteToFile}, false, "ab", "ab", 3},
        {{"[FE]", true, "!", false, ofatReplace}, true, "ab", "ab", 1},
        {{"[FE]", true, "!", false, ofatReplace}, false, "ab", "ab!", 1},
        {{"a", false, "b", false, ofatReplace}, true, "aaa", "aaa", 3},
        {{"", false, "b", false, ofatReplace}, false, "aaa", "aaa", 0},
        {{"[LB]", true, "[LEU]", true, ofatReplace}, false, "\n", "\n\n\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule.search + " -> " + c.rule.target + " over " + c.text);
        TRERichEdit e;
        setRule(e, c.rule);
        limitMatches(e, 50);
        if (c.decline) // a standing No
            e.OnBeforeReplace = [](TRERichEdit&, bool& go) { go = false; };
        EXPECT_EQ(runPass(e, c.text), c.expected);
        EXPECT_EQ(e.Counters.PassCounters.PassFinds, c.finds);
        EXPECT_FALSE(e.ActionMode.amAbort);
    }
}

TEST(ProcessAll, RepeatedPassesEnd) {
    struct Case {
        Rule rule;
        bool repeat;
        std::string text, expected;
        int passes;
        bool capped;
    };
    const std::string ys(150, 'y');
    const std::vector<Case> cases = {
        {{"aa", false, "a"}, true, "aaaaaaaa", "a", 4, false},
        {{"aa", false, "a"}, false, "aaaaaaaa", "aaaa", 1, false},
        {{"a", false, "a"}, true, "aaa", "aaa", 1, false},
        {{"a", false, "-", false, ofatInsertBefore}, true, "aa", "-a-a", 1, false},
        {{"a", false, "-", false, ofatWriteToFile}, true, "aa", "aa", 1, false},
        // Each pass moves the x one place on: the limit ends it.
        {{"x[?1]", true, "[1B]x", true}, true, "x" + ys, std::string(100, 'y') + "x" + std::string(50, 'y'), 100,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule.search + " over " + c.text);
        TRERichEdit e;
        setRule(e, c.rule);
        e.LoadFromString(c.text);
        const auto outcome = e.ProcessAllRepeated(c.repeat);
        EXPECT_EQ(e.Text(), c.expected);
        EXPECT_EQ(outcome.Passes, c.passes);
        EXPECT_EQ(outcome.CapReached, c.capped);
        EXPECT_EQ(e.Counters.RunTotals.FindsTotal, e.Counters.PassCounters.PassFinds);
    }
}

TEST_F(Processing, RenameTakesASafeNameFromTheTextAndNeverOverwrites) {
    writeFile("d/taken.txt", "other");
    struct Case {
        std::string name;
        bool renamed;
    };
    const std::vector<Case> cases = {
        {"new.txt", true}, {"", false},        {"sub/x.txt", false}, {"..\\x.txt", false},
        {"..", false},     {"a\tb.txt", false}, {"taken.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString old = writeFile("d/old.htm", "<t>" + c.name + "</t><t>second</t>");
        TRERichEdit e;
        setRule(e, {"<t>[*1]</t>", true, "[1B]", true, ofatRenameFile});
        e.FileName = old;
        runPass(e, readFile(old));
        const QString renamed = path("d/" + QString::fromStdString(c.name));
        EXPECT_EQ(e.Counters.PassCounters.PassFinds, 1); // the pass ends after the first match
        EXPECT_EQ(e.Counters.PassCounters.PassReplacements, c.renamed ? 1 : 0);
        EXPECT_EQ(e.RenameError().isEmpty(), c.renamed);
        EXPECT_EQ(e.FileName, c.renamed ? renamed : old);
        EXPECT_EQ(exists(old), !c.renamed);
        EXPECT_EQ(readFile(path("d/taken.txt")), "other");
        if (c.renamed) {
            EXPECT_TRUE(e.SaveToFile(e.FileName));
            EXPECT_TRUE(QFile::remove(renamed));
        }
    }
}

TEST_F(Processing, UnknownActionIsRefused) {
    setRule(e, {"a", false, "b"});
    e.ActionMode.OnFoundActionType = static_cast<TOnFoundActionType>(7);
    limitMatches(e, 5);
    EXPECT_EQ(runPass(e, "aaa"), "aaa");
    EXPECT_TRUE(e.ActionMode.amAbort);
    EXPECT_EQ(e.Counters.PassCounters.PassFinds, 0);
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains("7"));
}

// A handler that reads the text at every change sees what a pass making each
// change at once would show, and the pass ends the same either way.
TEST(ProcessAll, TextReadDuringAPassIsTheCurrentText) {
    const std::vector<Rule> rules = {
        {"ab", false, "X"},
        {"a", false, "", false, ofatDelete},
        {"[LB]b", true, "[LEU]", true},
        {"b[*1]a", true, "<[1B]>", true},
        {"a", false, "[LEW]", true, ofatInsertBefore},
        {"b", false, "xy", false, ofatInsertAfter},
        {"ab", false, "b", false, ofatReplace, stWholeWord | stMatchCase},
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int size = static_cast<int>(rng() % 20);
        for (int i = 0; i < size; ++i)
            text += "ab \n"[rng() % 4];
        const Rule& rule = rules[static_cast<std::size_t>(round) % rules.size()];
        SCOPED_TRACE(rule.search + " over " + text);

        TRERichEdit quiet;
        setRule(quiet, rule);
        const std::string expected = runPass(quiet, text);

        TRERichEdit watched;
        setRule(watched, rule);
        std::string before;
        watched.OnBeforeReplace = [&](TRERichEdit& s, bool&) {
            before = s.Text();
            EXPECT_LE(s.FoundAt + s.FoundLength, static_cast<std::int32_t>(before.size()));
        };
        watched.OnAfterReplace = [&](TRERichEdit& s) {
            // The change is the match replaced (or the text inserted) at FoundAt.
            std::string redo = before;
            const auto at = static_cast<std::size_t>(s.FoundAt);
            const auto len = static_cast<std::size_t>(s.FoundLength);
            const auto action = s.ActionMode.OnFoundActionType;
            if (action == ofatInsertBefore)
                redo.insert(at, s.TargetResult);
            else if (action == ofatInsertAfter)
                redo.insert(at + len, s.TargetResult);
            else
                redo.replace(at, len, s.TargetResult);
            EXPECT_EQ(s.Text(), redo);
        };
        EXPECT_EQ(runPass(watched, text), expected);
        EXPECT_EQ(watched.Counters, quiet.Counters);
    }
}

} // namespace
