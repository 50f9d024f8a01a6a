#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/processcontroller.h"
#include "platform/prompt.h"
#include "tests/engine/processfakes.h"

namespace {

using bw::test::FakeCodePages;
using bw::test::ScriptEngine;
using bw::test::ScriptView;
using C = TProcessController;
using Answer = void (C::*)();
using Step = ScriptView::Step;
using Marks = std::vector<int>;

class ProcessControllerTest : public ::testing::Test {
protected:
    ProcessControllerTest() {
        engine.window = &window;
        window.MakeBackup = [this](const QString& f) {
            backups.push_back(f);
            return backupResult;
        };
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        SelectedText.clear();
        CurrentFileText.clear();
    }

    // One rule on the loaded text, as the run prepares it.
    void RunRule(bool replace, bool confirm = true) {
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        view.showings.clear();
        engine.reportOnly = !replace;
        if (replace) {
            window.PrepareReplace();
            if (!confirm) ProcessAnswers.Include(ansYesToAll);
        } else {
            window.PrepareFind();
        }
        engine.ResetPassCounters();
        Pass();
    }
    void Pass() {
        engine.startPos = 0;
        engine.ProcessAll();
    }

    Step Do(Answer action) {
        return [this, action] { (window.*action)(); };
    }
    void Script(std::initializer_list<Step> steps) { view.steps.insert(view.steps.end(), steps); }

    ScriptEngine engine;
    ScriptView view;
    TProcessController window{engine, view};
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scopedPrompt{prompt};
    std::vector<QString> backups;
    bool backupResult = true;
};

// Every answer in find and replace mode, and the copy each makes: one per loaded
// text before its first accepted change, however the change was accepted.
TEST_F(ProcessControllerTest, AnswersAndTheirBackups) {
    struct Case {
        const char* name;
        bool replace, confirm;
        std::vector<Answer> answers;
        std::string text;
        int replacements;
        std::size_t copies;
    };
    const Case cases[] = {
        {"find, yes", false, true, {&C::Yes, &C::Yes, &C::Yes, &C::Yes}, "a1 a2 a3 a4", 0, 0},
        {"find, yes to file", false, true, {&C::Yes, &C::YesToFile}, "a1 a2 a3 a4", 0, 0},
        {"find, yes to all", false, true, {&C::YesToAll}, "a1 a2 a3 a4", 0, 0},
        {"yes to each", true, true, {&C::Yes, &C::Yes, &C::Yes, &C::Yes}, "b1 b2 b3 b4", 4, 1},
        {"yes to file", true, true, {&C::Yes, &C::YesToFile}, "b1 b2 b3 b4", 4, 1},
        {"yes to all", true, true, {&C::YesToAll}, "b1 b2 b3 b4", 4, 1},
        {"no and yes", true, true, {&C::No, &C::No, &C::Yes, &C::No}, "a1 a2 b3 a4", 1, 1},
        {"no to file", true, true, {&C::Yes, &C::NoToFile}, "b1 a2 a3 a4", 1, 1},
        {"no to all", true, true, {&C::NoToAll}, "a1 a2 a3 a4", 0, 0},
        {"without confirmation", true, false, {}, "b1 b2 b3 b4", 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        backups.clear();
        engine.Load("a1 a2 a3 a4");
        for (Answer a : c.answers) Script({Do(a)});
        RunRule(c.replace, c.confirm);
        EXPECT_EQ(engine.text, c.text);
        EXPECT_EQ(view.showings.size(), c.answers.size());
        for (const auto& s : view.showings) EXPECT_TRUE(s.readOnly);
        EXPECT_EQ(engine.passFinds, 4);
        EXPECT_EQ(engine.passReplacements, c.replacements);
        EXPECT_TRUE(view.steps.empty());
        EXPECT_FALSE(engine.aborted);
        ASSERT_EQ(backups.size(), c.copies);
        if (!backups.empty()) {
            EXPECT_EQ(backups[0], engine.fileName);
        }
    }
}

// The modifiers of the answer keys; in select, view and edit mode the keys are the text's.
TEST_F(ProcessControllerTest, AnswerKeys) {
    using K = TProcessController::Key;
    struct Case {
        TProcessMode mode;
        K key;
        bool ctrl, shift, alt;
        int result;
        TProcessAnswers answers;
        bool consumed;
    };
    const Case cases[] = {
        {pmFind, K::Enter, true, false, true, mrYes, {ansYesToFile}, true},
        {pmFind, K::Enter, false, true, false, mrNone, {}, true},
        {pmReplace, K::Add, true, true, true, mrYesToAll, {ansYesToAll}, true},
        {pmReplace, K::Subtract, true, false, false, mrNo, {ansNoToFile}, false},
        {pmSelect, K::Enter, false, false, false, mrNone, {}, false},
        {pmView, K::Delete, false, false, false, mrNone, {}, false},
        {pmEdit, K::Enter, false, false, false, mrNone, {}, false},
    };
    for (const Case& c : cases) {
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        if (c.mode != pmFind) ProcessModes.Include(pmReplace);
        ProcessModes.Include(c.mode);
        view.shown = true;
        view.result = mrNone;
        EXPECT_EQ(window.KeyDown(c.key, c.ctrl, c.shift, c.alt), c.consumed);
        EXPECT_EQ(view.result, c.result) << c.mode << int(c.key) << c.ctrl << c.shift << c.alt;
        EXPECT_TRUE(ProcessAnswers == c.answers);
    }
}

TEST_F(ProcessControllerTest, DeleteKeyRemovesTheMatchAndSkipsNothing) {
    // Replace mode: the first match, at position 0, is deleted; the text that
    // moved into its place is searched again.
    engine.Load("aaa");
    // The key is passed on after the match is deleted.
    Script({[this] { EXPECT_FALSE(window.KeyDown(TProcessController::Key::Delete, false, false, false)); },
            Do(&C::Yes), Do(&C::Yes)});
    RunRule(true);
    EXPECT_EQ(engine.text, "bb");
    EXPECT_EQ(view.Marks(), (Marks{0, 0, 1}));
    EXPECT_EQ(engine.passFinds, 3);
    EXPECT_EQ(engine.passReplacements, 2);
    EXPECT_TRUE(engine.doSetting);
    EXPECT_EQ(backups.size(), 1u);

    // Find mode: the start has already passed the match when it is shown.
    engine.Load("xaab");
    Script({Do(&C::DelSelected), Do(&C::Yes)});
    RunRule(false);
    EXPECT_EQ(engine.text, "xab");
    EXPECT_EQ(view.Marks(), (Marks{1, 1}));
    EXPECT_TRUE(engine.modified);
    EXPECT_TRUE(engine.doSetting);
    EXPECT_EQ(backups.size(), 2u);
}

// Undoing the edits keeps the text's own modified flag; leaving without changes
// keeps it too, and the text is read-only again.
TEST_F(ProcessControllerTest, EditModeUndoAndLeaveWithoutChanges) {
    for (bool wasModified : {true, false}) {
        SCOPED_TRACE(wasModified);
        backups.clear();
        engine.Load("a1 a2");
        engine.modified = wasModified;
        prompt.push(bw::Answer::No);  // keep editing
        prompt.push(bw::Answer::Yes); // undo
        Script({[this] {
                    window.Edit();
                    EXPECT_FALSE(view.readOnly);
                    view.viewText = "zz a1 a2";
                    window.Yes(); // not offered in edit mode
                    EXPECT_EQ(view.result, mrNone);
                    window.Edit(); // No: stays in edit mode
                    EXPECT_TRUE(window.InEditMode());
                    window.Edit(); // Yes: edits undone
                    EXPECT_FALSE(window.InEditMode());
                    EXPECT_EQ(view.viewText, "a1 a2");
                    EXPECT_TRUE(view.readOnly);
                    EXPECT_EQ(view.layout.question, QStringLiteral("Replace ?"));
                    window.No();
                },
                [this] {
                    window.Edit();
                    window.Edit();
                    EXPECT_TRUE(view.readOnly);
                    window.No();
                }});
        RunRule(true);
        EXPECT_EQ(engine.text, "a1 a2");
        EXPECT_EQ(engine.modified, wasModified);
        EXPECT_EQ(prompt.asked().back().text, QStringLiteral("Undo all changes?"));
        // An already changed text was copied before its change.
        EXPECT_EQ(backups.size(), wasModified ? 0u : 1u);
    }
}

// Continuing from the caret, the beginning and the end of the text, after an
// edit or none, in replace and in find mode. The match on which the user chose
// to continue is not reported or counted again, and the engine's start flag
// does not outlive the continue: the next rule reports every match once.
TEST_F(ProcessControllerTest, ContinueFromEachPosition) {
    struct Case {
        const char* name;
        bool replace;
        std::string text;
        Answer first;
        bool edit; // puts "x" in front of the text
        int caret; // -1: left on the shown match
        Answer where;
        Marks marks;
        std::string result;
    };
    // The first match is answered, at the second the user continues; later ones get Yes.
    const std::string t = "a1 ca2 a3 a4"; // matches at 0, 4, 7 and 10
    const Case cases[] = {
        {"replace, caret", true, t, &C::Yes, true, 6, &C::ContinueCurPos, {0, 4, 8, 11}, "xb1 ca2 b3 b4"},
        {"replace, begin", true, t, &C::Yes, true, 0, &C::ContinueBegFile, {0, 4, 5, 8, 11}, "xb1 cb2 b3 b4"},
        {"replace, end", true, t, &C::Yes, true, 0, &C::ContinueNextFile, {0, 4}, "xb1 ca2 a3 a4"},
        {"find, caret", false, t, &C::Yes, true, 6, &C::ContinueCurPos, {0, 4, 8, 11}, "xa1 ca2 a3 a4"},
        {"find, begin", false, t, &C::Yes, true, 0, &C::ContinueBegFile, {0, 4, 1, 5, 8, 11}, "xa1 ca2 a3 a4"},
        {"find, end", false, t, &C::Yes, true, 0, &C::ContinueNextFile, {0, 4}, "xa1 ca2 a3 a4"},
        {"replace, caret on the refused match", true, "a1 a2 a3", &C::No, false, -1, &C::ContinueCurPos, {0, 3, 6},
         "a1 a2 b3"},
        {"find, end on the last match", false, "a1 a", &C::Yes, false, -1, &C::ContinueNextFile, {0, 3}, "a1 a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.Load(c.text);
        Script({Do(c.first), [this, &c] {
                    window.Edit();
                    if (c.edit) view.viewText = "x" + view.viewText;
                    if (c.caret >= 0) view.selStart = c.caret;
                    (window.*c.where)();
                    EXPECT_FALSE(window.InEditMode());
                    EXPECT_TRUE(window.CaptionStack().isEmpty());
                }});
        for (std::size_t i = 2; i < c.marks.size(); ++i) Script({Do(&C::Yes)});
        RunRule(c.replace);
        EXPECT_EQ(engine.text, c.result);
        EXPECT_EQ(view.Marks(), c.marks);
        EXPECT_EQ(engine.passFinds, static_cast<int>(c.marks.size()));
        EXPECT_EQ(engine.modified, c.edit || c.result != c.text);
        EXPECT_TRUE(engine.doSetting);
        EXPECT_TRUE(view.steps.empty());

        const auto finds = std::count(engine.text.begin(), engine.text.end(), 'a');
        for (auto i = finds; i > 0; --i) Script({Do(&C::Yes)});
        RunRule(false);
        EXPECT_EQ(engine.passFinds, finds);
        view.steps.clear();
    }
}

TEST_F(ProcessControllerTest, AnActionThatKeepsTheTextMakesNoCopyAndDoesNotReadIt) {
    // Writing every match to a file leaves the text unchanged: no copy, with
    // or without confirmation, and the text is not read for each match.
    engine.keepsText = true;
    std::string text;
    for (int i = 0; i < 500; ++i) text += "a ";
    engine.Load(text);
    engine.textReads = 0;
    RunRule(true, false);
    EXPECT_EQ(engine.passReplacements, 500);
    EXPECT_TRUE(backups.empty());
    EXPECT_LT(engine.textReads, 10);

    engine.Load("a a");
    Script({Do(&C::Yes), Do(&C::Yes)});
    RunRule(true);
    EXPECT_TRUE(backups.empty());
}

// Each loaded text gets its copy: a second rule, or the next code page of a
// text that was changed and saved in between; the same text loaded again not.
TEST_F(ProcessControllerTest, EachLoadedTextIsCopiedOnce) {
    engine.Load("a a");
    RunRule(true, false);
    engine.Load("a a");
    RunRule(true, false);
    EXPECT_EQ(backups.size(), 2u);
    engine.Load("b a"); // saved text of the first code page, loaded again
    Pass();
    EXPECT_EQ(backups.size(), 3u);
    engine.Load("b a"); // the same text loaded again within the rule
    engine.Load("b b");
    engine.Load("b a");
    Script({[this] {
        window.Edit(); // no change made
        window.Edit();
        window.Yes();
    }});
    ProcessAnswers.Clear();
    Pass();
    EXPECT_EQ(backups.size(), 3u);
}

// A copy that fails refuses the change and every later one of the file for
// the rule, without showing the window or asking for a copy again.
TEST_F(ProcessControllerTest, RefusedBackupRefusesTheChange) {
    backupResult = false;
    engine.Load("a a a");
    Script({Do(&C::Yes)});
    RunRule(true);
    EXPECT_EQ(engine.text, "a a a");
    EXPECT_EQ(engine.passReplacements, 0);
    EXPECT_FALSE(engine.aborted);
    EXPECT_EQ(view.showings.size(), 1u);
    EXPECT_EQ(backups.size(), 1u);
    EXPECT_TRUE(ProcessAnswers.Contains(ansNoToFile));

    // Entering edit mode or deleting: the window closes with Abort.
    Script({[this] {
                window.Edit();
                EXPECT_FALSE(window.InEditMode());
                EXPECT_EQ(view.result, mrAbort);
            },
            [this] {
                window.DelSelected();
                EXPECT_EQ(view.result, mrAbort);
            }});
    engine.Load("a a");
    RunRule(true);
    EXPECT_EQ(engine.text, "a a");
    EXPECT_TRUE(window.CaptionStack().isEmpty());
}

TEST_F(ProcessControllerTest, SelectModeIsReadOnlyAndNeverSaves) {
    CurrentFileText = "hello world";
    engine.text = "old";
    engine.modified = true;
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok);
        ProcessModes.Clear();
        ProcessModes.Include(pmSelect);
        window.PrepareSelect();
        EXPECT_EQ(view.selLength, 0);
        Script({[this, ok] {
            EXPECT_EQ(view.viewText, "hello world");
            EXPECT_TRUE(view.readOnly);
            window.Edit();
            EXPECT_FALSE(window.InEditMode());
            window.KeyDown(TProcessController::Key::Delete, false, false, false);
            window.DelSelected();
            EXPECT_EQ(view.result, mrNone);
            view.selStart = 6;
            view.selLength = 5;
            EXPECT_TRUE(window.CloseQuery(mrCancel));
            window.OkCancel(ok);
        }});
        EXPECT_EQ(window.ShowModal(), ok ? mrOk : mrCancel);
        EXPECT_EQ(SelectedText, "world");
        EXPECT_EQ(engine.text, "");
        EXPECT_EQ(view.caption, QStringLiteral("Processing of file"));
        EXPECT_TRUE(window.CaptionStack().isEmpty());
    }
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_TRUE(backups.empty());
}

TEST_F(ProcessControllerTest, ViewModeCaptionCodePageAndBalance) {
    FakeCodePages pages;
    window.CodePages = &pages;
    CurrentFileText = "text";
    view.caption = QStringLiteral("Brindlewick");
    window.PrepareView();
    EXPECT_FALSE(ProcessModes.Contains(pmSelect));
    Script({[this] {
        EXPECT_EQ(view.caption, QStringLiteral("Viewing page.htm (Win-1251 -> Win-1251)"));
        EXPECT_EQ(view.viewText, "text");
        view.codePage = 3;
        window.CodePageChange();
        EXPECT_EQ(view.caption, QStringLiteral("Viewing page.htm (KOI8-R -> Win-1251)"));
        EXPECT_EQ(view.viewText, "[text]");
        EXPECT_FALSE(engine.modified);
        window.PrepareView(); // already shown: nothing
        window.OkCancel(true);
    }});
    EXPECT_EQ(window.ShowModal(), mrOk);
    EXPECT_EQ(pages.converted, (std::vector<int>{TProcessCodePages::NoConversion, 3}));
    EXPECT_FALSE(ProcessModes.Contains(pmView));
    EXPECT_EQ(view.caption, QStringLiteral("Brindlewick"));
    EXPECT_TRUE(window.CaptionStack().isEmpty());

    // A file that could not be read: the view is given up before showing.
    window.PrepareView();
    window.CancelView();
    EXPECT_FALSE(ProcessModes.Contains(pmView));
    EXPECT_TRUE(window.CaptionStack().isEmpty());
    EXPECT_EQ(view.caption, QStringLiteral("Brindlewick"));
}

TEST_F(ProcessControllerTest, CaptionStackLoadEventAndTexts) {
    view.caption = "one";
    window.PushCaption();
    view.caption = "two";
    window.PopCaption();
    window.PopCaption(); // nothing left: the caption stays
    EXPECT_EQ(view.caption, "one");

    ProcessAnswers = {ansYesToFile, ansYesToAll, ansNoToFile, ansNoToAll};
    engine.passFinds = 5;
    window.AfterLoadFile(QStringLiteral("x"));
    EXPECT_TRUE(ProcessAnswers == (TProcessAnswers{ansYesToAll, ansNoToAll}));
    EXPECT_EQ(engine.passFinds, 0);

    window.GetText = [](const QString& key) { return key == "szReplaceQ" ? QStringLiteral("Заменить?") : QString(); };
    window.SetMode(pmReplace);
    EXPECT_EQ(view.layout.question, QStringLiteral("Заменить?"));
}

} // namespace
