#include "engine/replacement.h"
#include "engine/rerichedit.h"
#include "engine/textfiles.h"
#include "tests/support/testutil.h"

#include <gtest/gtest.h>

#include <array>
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
    auto guard = [count = std::make_shared<int>(0), limit](TRERichEdit& sender) {
        if (++*count > limit)
            sender.ActionMode.amAbort = true;
    };
    e.OnAfterFound = guard;
    e.OnBeforeReplace = [guard](TRERichEdit& sender, bool&) { guard(sender); };
}

// Finds and changes of the passes so far; the run totals of finds, passes with
// finds, changes and passes with changes.
std::pair<int, int> passCounts(const TRERichEdit& e) {
    return {e.Counters.PassCounters.PassFinds, e.Counters.PassCounters.PassReplacements};
}
std::array<int, 4> totals(const TRERichEdit& e) {
    const auto& t = e.Counters.RunTotals;
    return {t.FindsTotal, t.PassesWithFinds, t.ReplacementsTotal, t.PassesWithReplacements};
}

std::string runPass(TRERichEdit& e, const std::string& text) {
    e.LoadFromString(text);
    e.StartPos = 0;
    e.ProcessAll();
    return e.Text();
}

// The run's line-file cache for the length of a test.
struct LineFilesInUse {
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
    // rule, text, result, finds, changes, next start
    const std::tuple<Rule, std::string, std::string, int, int, std::int32_t> cases[] = {
        // The next find starts after the inserted text: no match inside a replacement.
        {{"a", false, "aa"}, "banana", "baanaanaa", 3, 3, 9},
        {{"a", false, "", false, ofatDelete}, "banana", "bnn", 3, 3, 3},
        {{"n", false, "-", false, ofatInsertBefore}, "nn", "-n-n", 2, 2, 4},
        {{"n", false, "-", false, ofatInsertAfter}, "nn", "n-n-", 2, 2, 4},
        {{"an", false, "X", false, ofatWriteToFile}, "banana", "banana", 2, 2, 5},
        {{"a", false, "", false, ofatDontChange}, "banana", "banana", 3, 0, 6},
        {{"x[D]y", true, "[1I]", true}, "x12y x3y xy x444y", "1 2 xy 3", 3, 3, 8},
        // Deleting from the very start leaves the rest at the start of the text.
        {{"[LB]a", true, "", false, ofatDelete}, "aa\naa", "\n", 4, 4, 1},
        {{"[FB]a", true, "", false, ofatDelete}, "aab", "b", 2, 2, 0},
        {{"a[D b]", true, "", false, ofatDelete, stWholeWord | stMatchCase}, "a ba b", "", 2, 2, 0},
    };
    for (const auto& [rule, text, expected, finds, changes, startAfter] : cases) {
        SCOPED_TRACE(text + " / " + rule.search);
        TRERichEdit e;
        setRule(e, rule);
        int afterFound = 0; // with the match marked
        e.OnAfterFound = [&](TRERichEdit& s) { afterFound += s.SelMarked && s.SelStart == s.FoundAt; };
        EXPECT_EQ(runPass(e, text), expected);
        EXPECT_EQ(passCounts(e), std::pair(finds, changes));
        EXPECT_EQ(totals(e), (std::array{finds, 1, changes, changes > 0 ? 1 : 0}));
        EXPECT_EQ(e.StartPos, startAfter);
        EXPECT_EQ(afterFound, rule.action == ofatDontChange ? finds : 0);
        EXPECT_EQ(e.Modified(), text != expected);
    }
}


TEST(ProcessAll, MarkedRangesCoverEachMatchOrTheTextThatTookItsPlace) {
    // rule, the pieces of the result shown in the marking colour
    const std::pair<Rule, std::vector<std::string>> cases[] = {
        {{"a", false, "XY"}, {"XY", "XY"}},
        {{"a", false, "", false, ofatDelete}, {"", ""}},
        {{"a", false, "<", false, ofatInsertBefore}, {"<a", "<a"}},
        {{"a", false, "X", false, ofatWriteToFile}, {"a", "a"}},
        {{"a", false, "", false, ofatDontChange}, {"a", "a"}},
    };
    for (const auto& [rule, pieces] : cases) {
        SCOPED_TRACE(int(rule.action));
        TRERichEdit e;
        setRule(e, rule);
        const std::string result = runPass(e, "a b a");
        ASSERT_EQ(e.MarkedRanges.size(), pieces.size());
        for (std::size_t k = 0; k < pieces.size(); ++k)
            EXPECT_EQ(result.substr(e.MarkedRanges[k].first, e.MarkedRanges[k].second), pieces[k]);
        // A new text or a new pass starts without marks.
        e.LoadFromString("b");
        EXPECT_TRUE(e.MarkedRanges.empty());
    }
    // A declined change is not marked.
    TRERichEdit e;
    setRule(e, {"a", false, "XY"});
    int asked = 0;
    e.OnBeforeReplace = [&](TRERichEdit&, bool& go) { go = ++asked == 2; };
    EXPECT_EQ(runPass(e, "a b a"), "a b XY");
    EXPECT_EQ(e.MarkedRanges, (TMarkedRanges{{4, 2}}));
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
    EXPECT_EQ(passCounts(e), std::pair(3, 2));

    // A counter starts again with every pass; pass counters add up, totals take each pass once.
    e.OnBeforeReplace = nullptr;
    EXPECT_EQ(runPass(e, "xx"), "14");
    EXPECT_EQ(passCounts(e), std::pair(5, 4));
    EXPECT_EQ(totals(e), (std::array{5, 2, 4, 2}));
}

TEST(ProcessAll, BackReferencesOfEveryKind) {
    const std::tuple<Rule, std::string, std::string> cases[] = {
        {{"a[*1]b", true, "([1B])", true}, "a123b", "(123)"},
        {{"a[*1]b", true, "([1B])", true}, "ab", "()"},
        {{"[3?2]", true, "[2B][2B]", true}, "xyz", "xyzxyz"},
        // A literal gives its text as written, also when the file differs in case.
        {{"[OB2]ab[D3]", true, "<[2B]|[3B]>", true, ofatReplace, 0}, "[AB12", "<[ab|12>"},
        {{"[LB1][FB2]x[FE3]", true, "[1B][2B][3B]y", true}, "x", "y"},
        // Merged literals carry the number of their first part.
        {{"[OB4]a[CB]", true, "<[4B]>", true}, "x[a]", "x<[a]>"},
    };
    for (const auto& [rule, text, expected] : cases) {
        SCOPED_TRACE(rule.search + " -> " + rule.target);
        TRERichEdit e;
        setRule(e, rule);
        EXPECT_EQ(runPass(e, text), expected);
    }
}

TEST_F(Processing, OutputBlocksAreWrittenForTheChangingActionsOnly) {
    // action, declined, result, what the output file collects
    const std::tuple<TOnFoundActionType, bool, std::string, std::string> cases[] = {
        {ofatReplace, false, "XaXb", "XaXb"},   {ofatWriteToFile, false, "ab", "XaXb"},
        {ofatInsertBefore, false, "XaaXbb", ""}, {ofatReplace, true, "ab", ""},
    };
    for (const auto& [action, decline, expected, log] : cases) {
        SCOPED_TRACE(int(action));
        // The output folder does not exist yet: it is made, not asked about.
        const QString out = folder() + "missing/" + QString::number(action) + QString::number(decline) + "/";
        TRERichEdit e;
        e.SetOutFolder(out);
        setRule(e, {"[?1]", true, "[O\"log.txt\"]X[1B][O][O\"open.txt\"]", true, action});
        e.OnBeforeReplace = [no = decline](TRERichEdit&, bool& go) { go = !no; };
        EXPECT_EQ(runPass(e, "ab"), expected);
        EXPECT_EQ(readFile(out + "log.txt"), log);
        // An output block left open collects nothing, but its file is made.
        EXPECT_EQ(exists(out + "open.txt"), !log.empty());
        EXPECT_TRUE(prompt.asked().empty());
    }
}

TEST_F(Processing, LineBlocksTakeLinesAndDeclinedBuildsGiveTheirCursorsBack) {
    writeFile("in/names.txt", "A\r\nB\nC\n");
    const std::tuple<std::string, std::int32_t, std::string> cases[] = {
        {"[Q1\"names.txt\"]", 0, "ABC(x)A"},  {"[Q\"names.txt\"]", 0, "AAA(x)A"},
        {"[QG1\"names.txt\"]", 0, "BCA(x)B"}, {"[QA2\"names.txt\"]", 0, "CCC(x)C"},
        {"[QA3\"names.txt\"]", 0, "(x)"},     {"[QC\"names.txt\"]", 1, "BBB(x)B"},
        {"[QC\"names.txt\"]", 3, "(x)"},
    };
    for (const auto& [target, fileIndex, expected] : cases) {
        SCOPED_TRACE(target);
        LineFilesInUse lines; // every cursor at line 0 again
        RunFileIndex = fileIndex;
        TRERichEdit e;
        e.SetInFolder(folder() + "in/");
        setRule(e, {"x", false, target, true});
        // The fourth change is declined: the next build gives the same line again.
        int asked = 0;
        e.OnBeforeReplace = [&](TRERichEdit&, bool& go) { go = ++asked != 4; };
        EXPECT_EQ(runPass(e, "xxx(x)x"), expected);
    }
    RunFileIndex = 0;
}

TEST_F(Processing, FoldersOutsideTheWorkingCodePageAreKept) {
    // Folder names in characters Windows-1251 lacks must not turn into '?'.
    const QString in = folder() + QString::fromUtf8("\xE8\xBE\x93\xE5\x85\xA5/");
    const QString out = folder() + QString::fromUtf8("\xE8\xBE\x93\xE5\x87\xBA/");
    writeFile(QString::fromUtf8("\xE8\xBE\x93\xE5\x85\xA5/names.txt"), "N1\nN2\n");
    LineFilesInUse lines;
    e.SetInFolder(in);
    e.SetOutFolder(out);
    setRule(e, {"x", false, "[Q1\"names.txt\"][O\"log.txt\"]x[O]", true});
    EXPECT_EQ(runPass(e, "x x"), "N1x N2x");
    EXPECT_EQ(readFile(out + "log.txt"), "xx");
}

TEST_F(Processing, EventsCancelDeclineAndRedirectThePass) {
    // A cancelled pass: no find, no after-event.
    setRule(e, {"a", false, "b"});
    int after = 0;
    e.OnAfterProcessAll = [&](TRERichEdit&) { ++after; };
    e.OnBeforeProcessAll = [](TRERichEdit&, bool& go) { go = false; };
    EXPECT_EQ(runPass(e, "aaa"), "aaa");
    EXPECT_EQ(after + e.Counters.PassCounters.PassFinds, 0);
    e.OnBeforeProcessAll = nullptr;

    // A handler that clears DoSettingNewStartPosition and moves the start back
    // to 0 sees the first match again, once.
    setRule(e, {"a", false, "", false, ofatDontChange});
    std::vector<std::int32_t> seen;
    e.OnAfterFound = [&](TRERichEdit& s) {
        seen.push_back(s.FoundAt);
        if (seen.size() == 2)
            s.DoSettingNewStartPosition = false, s.StartPos = 0;
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
    const auto before = totals(e);
    EXPECT_EQ(runPass(e, "abc"), "abc");
    EXPECT_TRUE(e.ActionMode.amAbort);
    EXPECT_EQ(totals(e), before);
    EXPECT_EQ(after, 1);
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.startsWith(QStringLiteral("Block number 1 ")));
}

TEST_F(Processing, LoadAndSaveEventsCarryTheFileNameAndCanCancel) {
    const QString file = writeFile("a.txt", "one\r\ntwo");
    std::vector<QString> events;
    bool allow = false;
    e.OnBeforeLoadFile = e.OnBeforeSaveFile = [&](const QString& f, bool& go) {
        events.push_back("before " + f), go = allow;
    };
    e.OnAfterLoadFile = e.OnAfterSaveFile = [&](const QString& f) { events.push_back("after " + f); };
    e.LoadFromString("kept");
    e.SetModified(true);
    EXPECT_FALSE(e.LoadFromFile(file));
    EXPECT_FALSE(e.SaveToFile(file));
    EXPECT_EQ(e.Text(), "kept");
    EXPECT_TRUE(e.Modified());
    EXPECT_EQ(readFile(file), "one\r\ntwo");

    allow = true;
    EXPECT_TRUE(e.LoadFromFile(file));
    EXPECT_EQ(e.Text(), "one\r\ntwo");
    EXPECT_EQ(e.FileName, file);
    EXPECT_FALSE(e.Modified());
    e.LoadFromString("new\r\n");
    EXPECT_TRUE(e.SaveToFile(file));
    EXPECT_EQ(readFile(file), "new\r\n");
    const QString b = "before " + file, a = "after " + file;
    EXPECT_EQ(events, (std::vector<QString>{b, b, b, a, b, a}));
    EXPECT_THROW(e.LoadFromFile(path("none.txt")), bw::Error);
}

TEST_F(Processing, LeftoverTargetBlocksAreNeverUsed) {
    // A report-only rule does not recompile the target of an earlier rule.
    setRule(e, {"[?5]", true, "[5B]", true});
    setRule(e, {"xy", true, "", false, ofatDontChange});
    runPass(e, "xyxy");
    EXPECT_FALSE(e.ActionMode.amAbort);
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(passCounts(e), std::pair(2, 0));

    // A plain search text leaves no blocks for a back-reference to read.
    setRule(e, {"[?1]", true, "[1B]", true});
    e.Options.soMaskedSource = false;
    e.SetSourceText("a");
    try {
        e.SetTargetText("[1B]");
        FAIL() << "a back-reference to a plain search text compiled";
    } catch (const bw::Error& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Block number 1 is not in the search text"));
    }
}

TEST(ProcessAll, EveryPassEndsAlsoOnEmptyMatches) {
    // rule, under a standing No, text, result, finds
    const std::tuple<Rule, bool, std::string, std::string, int> cases[] = {
        {{"[0?]", true, "-"}, false, "ab", "-a-b-", 3},   {{"[LB]", true, ""}, false, "a\nb", "a\nb", 2},
        {{"[FE]", true, "!"}, true, "ab", "ab", 1},       {{"[FE]", true, "!"}, false, "ab", "ab!", 1},
        {{"a", false, "b"}, true, "aaa", "aaa", 3},       {{"", false, "b"}, false, "aaa", "aaa", 0},
        {{"[LB]", true, "[LEU]", true}, false, "\n", "\n\n\n", 2},
        {{"[LB]", true, "> ", false, ofatInsertBefore}, false, "a\nb", "> a\n> b", 2},
        {{"[FB]", true, "<", false, ofatInsertAfter}, false, "ab", "<ab", 1},
        {{"[0?]", true, "x", false, ofatWriteToFile}, false, "ab", "ab", 3},
    };
    for (const auto& [rule, decline, text, expected, finds] : cases) {
        SCOPED_TRACE(rule.search + " -> " + rule.target + " over " + text);
        TRERichEdit e;
        setRule(e, rule);
        limitMatches(e, 50);
        if (decline)
            e.OnBeforeReplace = [](TRERichEdit&, bool& go) { go = false; };
        EXPECT_EQ(runPass(e, text), expected);
        EXPECT_EQ(e.Counters.PassCounters.PassFinds, finds);
        EXPECT_FALSE(e.ActionMode.amAbort);
    }
}

TEST(ProcessAll, RepeatedPassesEnd) {
    // rule, text, result, passes, stopped by the limit
    const std::tuple<Rule, std::string, std::string, int, bool> cases[] = {
        {{"a", false, "a"}, "aaa", "aaa", 1, false}, // replaced, but the text did not change
        {{"a", false, "-", false, ofatInsertBefore}, "aa", "-a-a", 1, false},
        {{"a", false, "-", false, ofatWriteToFile}, "aa", "aa", 1, false},
        // Each pass moves the x one place on: the limit ends it.
        {{"x[?1]", true, "[1B]x", true}, "x" + std::string(150, 'y'), std::string(100, 'y') + "x" + std::string(50, 'y'),
         100, true},
    };
    for (const auto& [rule, text, expected, passes, capped] : cases) {
        SCOPED_TRACE(rule.search + " over " + text);
        TRERichEdit e;
        setRule(e, rule);
        e.LoadFromString(text);
        const auto outcome = e.ProcessAllRepeated(true);
        EXPECT_EQ(e.Text(), expected);
        EXPECT_EQ(outcome.Passes, passes);
        EXPECT_EQ(outcome.CapReached, capped);
        EXPECT_EQ(e.Counters.RunTotals.FindsTotal, e.Counters.PassCounters.PassFinds);
    }
}

TEST_F(Processing, RenameTakesASafeNameFromTheTextAndNeverOverwrites) {
    writeFile("d/taken.txt", "other");
    writeFile("e/:new.txt", "elsewhere");
    // A name starting with ':' is a file beside the old one, not a resource
    // and not one in the current folder.
    bw::test::CurrentFolder here(path("e"));
    const std::pair<std::string, bool> cases[] = {
        {"new.txt", true}, {"", false},        {"sub/x.txt", false}, {"..\\x.txt", false},
        {"a\tb.txt", false}, {"taken.txt", false}, {":new.txt", true},
    };
    for (const auto& [name, renamed] : cases) {
        SCOPED_TRACE(name);
        const QString old = writeFile("d/old.htm", "<t>" + name + "</t><t>second</t>");
        TRERichEdit e;
        setRule(e, {"<t>[*1]</t>", true, "[1B]", true, ofatRenameFile});
        e.FileName = old;
        runPass(e, readFile(old));
        EXPECT_EQ(passCounts(e), std::pair(1, renamed ? 1 : 0)); // the pass ends after the first match
        EXPECT_EQ(e.RenameError().isEmpty(), renamed);
        EXPECT_EQ(e.FileName, renamed ? path("d/" + QString::fromStdString(name)) : old);
        EXPECT_EQ(exists(old), !renamed);
        EXPECT_EQ(readFile(path("d/taken.txt")), "other");
        EXPECT_EQ(readFile(path("e/:new.txt")), "elsewhere");
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
        {"ab", false, "X"}, {"a", false, "", false, ofatDelete}, {"[LB]b", true, "[LEU]", true},
        {"b[*1]a", true, "<[1B]>", true}, {"a", false, "[LEW]", true, ofatInsertBefore},
        {"b", false, "xy", false, ofatInsertAfter}, {"ab", false, "b", false, ofatReplace, stWholeWord | stMatchCase},
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = 0, size = static_cast<int>(rng() % 20); i < size; ++i)
            text += "ab \n"[rng() % 4];
        const Rule& rule = rules[static_cast<std::size_t>(round) % rules.size()];
        SCOPED_TRACE(rule.search + " over " + text);

        TRERichEdit quiet, watched;
        setRule(quiet, rule);
        setRule(watched, rule);
        const std::string expected = runPass(quiet, text);
        std::string before;
        watched.OnBeforeReplace = [&](TRERichEdit& s, bool&) {
            before = s.Text();
            EXPECT_LE(s.FoundAt + s.FoundLength, static_cast<std::int32_t>(before.size()));
        };
        watched.OnAfterReplace = [&](TRERichEdit& s) {
            // The change is the match replaced (or the text inserted) at FoundAt.
            const auto at = static_cast<std::size_t>(s.FoundAt), len = static_cast<std::size_t>(s.FoundLength);
            const auto action = s.ActionMode.OnFoundActionType;
            std::string redo = before;
            if (action == ofatInsertBefore || action == ofatInsertAfter)
                redo.insert(action == ofatInsertBefore ? at : at + len, s.TargetResult);
            else
                redo.replace(at, len, s.TargetResult);
            EXPECT_EQ(s.Text(), redo);
        };
        EXPECT_EQ(runPass(watched, text), expected);
        EXPECT_EQ(watched.Counters, quiet.Counters);
    }
}

} // namespace

// The outputs of a pass are gathered per file and appended once when the pass
// ends: an output file that cannot be written is asked about once per pass,
// not once per match, and each file gets its bytes in match order.
TEST_F(Processing, OutputsAreAppendedOncePerPass) {
    QDir().mkpath(folder() + "out/blocked.txt"); // a folder: no append can succeed
    e.SetOutFolder(folder() + "out/");
    setRule(e, {"[?1]", true, "[O\"blocked.txt\"][1B][O][O\"odd.txt\"]<[1B][O][O\"all.txt\"][1B][O]", true,
                ofatWriteToFile});
    prompt.push(bw::Answer::No); // do not try again
    EXPECT_EQ(runPass(e, "abc"), "abc");
    EXPECT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(readFile(folder() + "out/odd.txt"), "<a<b<c");
    EXPECT_EQ(readFile(folder() + "out/all.txt"), "abc");

    // A pass gathering more than the flush size writes on the way, in order.
    TOutputFiles outputs;
    const std::string chunk(TOutputFiles::kFlushSize / 4 + 1, 'x');
    std::string expectA, expectB;
    for (int i = 0; i < 6; ++i) {
        const std::string piece = chunk + char('0' + i);
        outputs.Add(folder() + "big/a.txt", piece);
        outputs.Add(folder() + "big/b.txt", std::to_string(i));
        expectA += piece;
        expectB += std::to_string(i);
    }
    EXPECT_EQ(readFile(folder() + "big/a.txt").size(), 4 * (chunk.size() + 1)); // flushed once, at 1 MiB
    outputs.Flush();
    EXPECT_EQ(readFile(folder() + "big/a.txt"), expectA);
    EXPECT_EQ(readFile(folder() + "big/b.txt"), expectB);
    EXPECT_TRUE(outputs.Empty());
}

// An exception from a handler leaves the pass with its text whole and its
// outputs written, and passes on to the caller.
TEST_F(Processing, AnExceptionInAPassSettlesTheTextAndTheOutputs) {
    e.SetOutFolder(folder());
    setRule(e, {"[?1]", true, "[O\"log.txt\"][1B][O]-", true});
    int asked = 0;
    e.OnBeforeReplace = [&](TRERichEdit&, bool&) {
        if (++asked == 3)
            throw std::bad_alloc();
    };
    e.LoadFromString("abcd");
    e.StartPos = 0;
    EXPECT_THROW(e.ProcessAll(), std::bad_alloc);
    EXPECT_EQ(e.Text(), "a-b-cd");
    EXPECT_EQ(readFile(folder() + "log.txt"), "ab");
    EXPECT_TRUE(e.SRManager.Outputs.Empty());
}

// Changes that keep the length are made in the text itself; every other way
// goes through a second buffer. Over random texts and rules both give the same
// text, counts and marks.
TEST(ProcessAllInPlace, SameResultAsThroughASecondBuffer) {
    const std::vector<Rule> rules = {
        {"ab", false, "AB"},
        {"ab", false, "AB", false, ofatReplace, stMatchCase | stWholeWord},
        {"a", false, "b", false, ofatReplace, 0},
        {"id=[D1]", true, "ID:[1B]", true},
        {"[LB]a", true, "x", false},
        {"[LB]b", true, "B", false},
        {"b[?1]", true, "[1B]b", true},
        {"[D1]", true, "[1B]", true},
        {"a[*]b", true, "xy", false},
        {"a[?1]b", true, "[1B][1B]b", true},
        {"ab", false, "xyz"},
        {"b", false, ""},
    };
    std::mt19937 rng(7);
    const char pieces[] = "ab \n1=id";
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int n = int(rng() % 60); n > 0; --n)
            text += pieces[rng() % (sizeof pieces - 1)];
        const Rule& rule = rules[std::size_t(round) % rules.size()];
        std::string results[2];
        TRERichEdit::TCounters counters[2];
        TMarkedRanges marks[2];
        for (int inPlace = 0; inPlace < 2; ++inPlace) {
            TRERichEdit::ChangeInPlace = inPlace == 1;
            TRERichEdit e;
            setRule(e, rule);
            limitMatches(e, 1000);
            e.LoadFromString(text);
            e.ProcessAllRepeated(round % 3 == 0);
            results[inPlace] = e.Text();
            counters[inPlace] = e.Counters;
            marks[inPlace] = e.MarkedRanges;
        }
        TRERichEdit::ChangeInPlace = true;
        ASSERT_EQ(results[1], results[0]) << "round " << round << " text «" << text << "» rule " << rule.search;
        EXPECT_EQ(counters[1], counters[0]) << round;
        EXPECT_EQ(marks[1], marks[0]) << round;
    }
}
