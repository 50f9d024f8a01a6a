#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "engine/processcontroller.h"
#include "platform/prompt.h"

namespace {

// A literal search over a byte text with the engine's pass: reports or asks at
// each match, advances the start past it (or keeps a start the window chose),
// and counts finds and changes.
class ScriptEngine : public TProcessEngine {
public:
    std::string text;
    bool modified = false;
    QString fileName = QStringLiteral("C:\\site\\page.htm");
    int startPos = 0;
    int foundAt = -1;
    int foundLength = 0;
    bool doSetting = true;
    bool reportOnly = false;
    bool aborted = false;
    std::string search = "a";
    std::string target = "b";
    int passFinds = 0;
    int passReplacements = 0;
    TProcessController* window = nullptr;
    // Accepted changes leave the text as it is (writing to a file).
    bool keepsText = false;
    mutable int textReads = 0;

    const std::string& Text() const override {
        ++textReads;
        return text;
    }
    void SetText(const std::string& bytes) override { text = bytes; }
    std::uint64_t TextVersion() const override { return std::hash<std::string>{}(text); }
    bool Modified() const override { return modified; }
    void SetModified(bool on) override { modified = on; }
    QString FileName() const override { return fileName; }
    int StartPos() const override { return startPos; }
    void SetStartPos(int pos) override { startPos = pos; }
    int FoundAt() const override { return foundAt; }
    void SetFoundAt(int pos) override { foundAt = pos; }
    int FoundLength() const override { return foundLength; }
    void SetDoSettingNewStartPosition(bool on) override { doSetting = on; }
    bool ReportOnly() const override { return reportOnly; }
    void SetAbort() override { aborted = true; }
    void MarkFound() override {}
    void ResetPassCounters() override { passFinds = passReplacements = 0; }
    void UncountFind() override { --passFinds; }

    void Load(const std::string& bytes) {
        text = bytes;
        modified = false;
    }

    void ProcessAll() {
        foundAt = 0;
        for (int guard = 0; !aborted && foundAt >= 0; ++guard) {
            ASSERT_LT(guard, 1000) << "the pass does not end";
            const std::size_t at = startPos > static_cast<int>(text.size()) ? std::string::npos : text.find(search, startPos);
            foundAt = at == std::string::npos ? -1 : static_cast<int>(at);
            foundLength = static_cast<int>(search.size());
            if (foundAt < 0) break;
            ++passFinds;
            if (reportOnly) {
                Advance();
                window->AfterFound();
            } else {
                bool go = true;
                window->BeforeReplace(go);
                if (go) {
                    ++passReplacements;
                    if (keepsText) {
                        Advance();
                        continue;
                    }
                    text.replace(foundAt, foundLength, target);
                    modified = true;
                    startPos = foundAt + static_cast<int>(target.size());
                } else {
                    Advance();
                }
            }
        }
    }

private:
    void Advance() {
        if (doSetting)
            startPos = foundAt + foundLength;
        else
            doSetting = true;
    }
};

// The dialog played from a script: each showing runs the next step, which acts
// as the user would through the controller.
class ScriptView : public TProcessView {
public:
    struct Showing {
        int markStart;
        std::string shownText;
        TProcessLayout layout;
        bool readOnly;
    };
    using Step = std::function<void()>;

    std::deque<Step> steps;
    std::vector<Showing> showings;
    int result = mrNone;
    bool shown = false;
    bool readOnly = false;
    QString caption = QStringLiteral("Processing of file");
    QString editCaption = QStringLiteral("E&dit");
    TProcessLayout layout;
    std::string viewText;
    int selStart = 0;
    int selLength = 0;
    int markStart = -1;
    int codePage = TProcessCodePages::NoConversion;

    int ShowModal() override {
        shown = true;
        result = mrNone;
        showings.push_back({markStart, viewText, layout, readOnly});
        if (steps.empty()) {
            ADD_FAILURE() << "the window was shown more often than scripted";
            result = mrAbort;
        } else {
            Step step = std::move(steps.front());
            steps.pop_front();
            step();
            if (result == mrNone) ADD_FAILURE() << "a scripted showing did not close the window";
        }
        shown = false;
        return result;
    }
    void CloseModal(int r) override {
        if (shown) result = r;
    }
    bool IsShown() const override { return shown; }
    void PumpMessages() override {}
    QString Caption() const override { return caption; }
    void SetCaption(const QString& c) override { caption = c; }
    void ApplyLayout(const TProcessLayout& l) override { layout = l; }
    void SetEditCaption(const QString& c) override { editCaption = c; }
    void SetReadOnly(bool on) override { readOnly = on; }
    void ShowText(const std::string& bytes, int start, int length) override {
        viewText = bytes;
        markStart = start;
        selStart = start;
        selLength = length;
    }
    void ClearText() override { viewText.clear(); }
    std::string ViewText() const override { return viewText; }
    int SelStart() const override { return selStart; }
    int SelLength() const override { return selLength; }
    void SetSelection(int start, int length) override {
        selStart = start;
        selLength = length;
    }
    void FocusText() override {}
    int CodePageNumber() const override { return codePage; }
};

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

    // Steps of the script.
    using Step = ScriptView::Step;
    Step Do(void (TProcessController::*action)()) {
        return [this, action] { (window.*action)(); };
    }
    void Script(std::initializer_list<Step> steps) {
        for (const Step& s : steps) view.steps.push_back(s);
    }
    std::vector<int> Marks() const {
        std::vector<int> marks;
        for (const auto& s : view.showings) marks.push_back(s.markStart);
        return marks;
    }

    ScriptEngine engine;
    ScriptView view;
    TProcessController window{engine, view};
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scopedPrompt{prompt};
    std::vector<QString> backups;
    bool backupResult = true;
};

using C = TProcessController;

TEST_F(ProcessControllerTest, ReplaceModeAnswers) {
    struct Case {
        const char* name;
        std::vector<void (C::*)()> answers;
        std::string text;
        int replacements;
    };
    const Case cases[] = {
        {"yes to each", {&C::Yes, &C::Yes, &C::Yes, &C::Yes}, "b1 b2 b3 b4", 4},
        {"yes to file", {&C::Yes, &C::YesToFile}, "b1 b2 b3 b4", 4},
        {"yes to all", {&C::YesToAll}, "b1 b2 b3 b4", 4},
        {"no and yes", {&C::No, &C::No, &C::Yes, &C::No}, "a1 a2 b3 a4", 1},
        {"no to file", {&C::Yes, &C::NoToFile}, "b1 a2 a3 a4", 1},
        {"no to all", {&C::NoToAll}, "a1 a2 a3 a4", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.Load("a1 a2 a3 a4");
        engine.aborted = false;
        view.showings.clear();
        for (auto a : c.answers) Script({Do(a)});
        RunRule(true);
        EXPECT_EQ(engine.text, c.text);
        EXPECT_EQ(view.showings.size(), c.answers.size());
        EXPECT_EQ(engine.passFinds, 4);
        EXPECT_EQ(engine.passReplacements, c.replacements);
        EXPECT_TRUE(view.steps.empty());
        EXPECT_FALSE(engine.aborted);
    }
}

TEST_F(ProcessControllerTest, AbortAsksAndStopsThePass) {
    engine.Load("a1 a2 a3");
    prompt.push(bw::Answer::No);  // first abort refused: the window stays
    prompt.push(bw::Answer::Yes);
    Script({Do(&C::Yes), [this] {
                EXPECT_FALSE(window.Abort());
                EXPECT_EQ(view.result, mrNone);
                EXPECT_TRUE(window.Abort());
            }});
    RunRule(true);
    EXPECT_TRUE(engine.aborted);
    EXPECT_EQ(view.result, mrAbort);
    EXPECT_EQ(engine.text, "b1 a2 a3");
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].text, QStringLiteral("Abort the operation?"));
    EXPECT_EQ(prompt.asked()[0].caption, QStringLiteral("Confirmation"));
}

TEST_F(ProcessControllerTest, ClosingTheWindowDuringARunAsksToAbort) {
    engine.Load("a1 a2");
    prompt.push(bw::Answer::No);
    prompt.push(bw::Answer::Yes);
    Script({[this] {
        EXPECT_FALSE(window.CloseQuery(mrCancel));  // No: stays open
        EXPECT_EQ(view.result, mrNone);
        EXPECT_TRUE(window.CloseQuery(mrYes));      // not a close by the user
        EXPECT_FALSE(window.CloseQuery(mrCancel));  // Yes: closed by the abort
    }});
    RunRule(true);
    EXPECT_TRUE(engine.aborted);
    EXPECT_EQ(engine.text, "a1 a2");
}

TEST_F(ProcessControllerTest, FindModeShowsEachFindUntilAStandingYes) {
    engine.Load("a1 a2 a3");
    Script({Do(&C::Yes), Do(&C::Yes), Do(&C::Yes)});
    RunRule(false);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(engine.passFinds, 3);
    const TProcessLayout& l = view.showings[0].layout;
    EXPECT_TRUE(l.yesActions);
    EXPECT_FALSE(l.noActions);
    EXPECT_FALSE(l.replaceBox);
    EXPECT_FALSE(l.continueActions);
    EXPECT_FALSE(l.selectPanel);
    EXPECT_EQ(l.question, QStringLiteral("Continue ?"));
    EXPECT_TRUE(view.showings[0].readOnly);

    view.showings.clear();
    Script({Do(&C::YesToFile)});
    RunRule(false);
    EXPECT_EQ(view.showings.size(), 1u);
    EXPECT_EQ(engine.passFinds, 3);
    EXPECT_EQ(engine.text, "a1 a2 a3");
    EXPECT_TRUE(backups.empty());
}

TEST_F(ProcessControllerTest, LayoutPerMode) {
    struct Case {
        TProcessMode mode;
        TProcessLayout layout;
    };
    const Case cases[] = {
        {pmFind, {false, true, false, false, false, "Continue ?"}},
        {pmReplace, {false, true, true, false, true, "Replace ?"}},
        {pmEdit, {true, false, false, false, false, "Continue ?"}},
        {pmSelect, {false, true, false, true, false, "Continue ?"}},
    };
    for (const Case& c : cases) {
        ProcessModes.Clear();
        window.SetMode(c.mode);
        EXPECT_EQ(view.layout, c.layout) << c.mode;
        EXPECT_TRUE(ProcessModes.Contains(c.mode));
    }
    // Modes are added, never removed, by SetMode.
    window.SetMode(pmFind);
    EXPECT_TRUE(ProcessModes.Contains(pmSelect));
}

TEST_F(ProcessControllerTest, AnswerKeys) {
    using K = TProcessController::Key;
    struct Case {
        K key;
        bool ctrl, shift, alt;
        int result;
        TProcessAnswers answers;
        bool consumed;
    };
    const Case cases[] = {
        {K::Enter, false, false, false, mrYes, {}, true},
        {K::Enter, true, false, false, mrYes, {ansYesToFile}, true},
        {K::Enter, true, false, true, mrYes, {ansYesToFile}, true},
        {K::Enter, true, true, false, mrYesToAll, {ansYesToAll}, true},
        {K::Enter, false, true, false, mrNone, {}, true},
        {K::Enter, false, false, true, mrNone, {}, true},
        {K::Add, false, false, false, mrYes, {}, true},
        {K::Add, true, true, true, mrYesToAll, {ansYesToAll}, true},
        {K::Subtract, false, false, false, mrNo, {}, false},
        {K::Subtract, true, false, false, mrNo, {ansNoToFile}, false},
        {K::Subtract, true, true, false, mrNoToAll, {ansNoToAll}, false},
        {K::Subtract, false, true, false, mrNone, {}, false},
    };
    for (TProcessMode mode : {pmFind, pmReplace}) {
        for (const Case& c : cases) {
            ProcessModes.Clear();
            ProcessAnswers.Clear();
            window.SetMode(mode);
            view.shown = true;
            view.result = mrNone;
            EXPECT_EQ(window.KeyDown(c.key, c.ctrl, c.shift, c.alt), c.consumed);
            EXPECT_EQ(view.result, c.result) << int(c.key) << c.ctrl << c.shift << c.alt;
            EXPECT_TRUE(ProcessAnswers == c.answers);
        }
    }
    // Outside find and replace mode, and in edit mode, the keys are the text's.
    for (TProcessMode mode : {pmSelect, pmView, pmEdit}) {
        ProcessModes.Clear();
        ProcessModes.Include(pmReplace);
        ProcessModes.Include(mode);
        view.result = mrNone;
        for (K key : {K::Enter, K::Add, K::Subtract, K::Delete})
            EXPECT_FALSE(window.KeyDown(key, false, false, false)) << mode;
        EXPECT_EQ(view.result, mrNone);
    }
}

TEST_F(ProcessControllerTest, DeleteKeyRemovesTheMatchAndSkipsNothing) {
    // Replace mode: the first match, at position 0, is deleted; the text that
    // moved into its place is searched again.
    engine.Load("aaa");
    Script({[this] { EXPECT_TRUE(window.KeyDown(TProcessController::Key::Delete, false, false, false)); },
            Do(&C::Yes), Do(&C::Yes)});
    RunRule(true);
    EXPECT_EQ(engine.text, "bb");
    EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(engine.passFinds, 3);
    EXPECT_EQ(engine.passReplacements, 2);
    EXPECT_TRUE(engine.doSetting);
    EXPECT_EQ(backups.size(), 1u);

    // Find mode: the start has already passed the match when it is shown.
    engine.Load("xaab");
    backups.clear();
    view.showings.clear();
    Script({Do(&C::DelSelected), Do(&C::Yes)});
    RunRule(false);
    EXPECT_EQ(engine.text, "xab");
    EXPECT_EQ(Marks(), (std::vector<int>{1, 1}));
    EXPECT_TRUE(engine.modified);
    EXPECT_TRUE(engine.doSetting);
    EXPECT_EQ(backups.size(), 1u);
}

TEST_F(ProcessControllerTest, EditModeUndoAndKeep) {
    engine.Load("a1 a2");
    engine.modified = true; // an earlier change of this text
    prompt.push(bw::Answer::No);  // keep editing
    prompt.push(bw::Answer::Yes); // undo
    Script({[this] {
        window.Edit();
        EXPECT_TRUE(window.InEditMode());
        EXPECT_FALSE(view.readOnly);
        EXPECT_EQ(view.layout, (TProcessLayout{true, false, false, false, false, "Continue ?"}));
        EXPECT_EQ(view.editCaption, QStringLiteral("Stop e&diting"));
        EXPECT_EQ(window.CaptionStack().size(), 1);
        view.caption = QStringLiteral("editing");
        view.viewText = "zz a1 a2";
        window.Yes(); // not offered in edit mode
        EXPECT_EQ(view.result, mrNone);
        window.Edit(); // No: stays in edit mode
        EXPECT_TRUE(window.InEditMode());
        window.Edit(); // Yes: edits undone
        EXPECT_FALSE(window.InEditMode());
        EXPECT_EQ(view.viewText, "a1 a2");
        EXPECT_TRUE(view.readOnly);
        EXPECT_EQ(view.editCaption, QStringLiteral("E&dit"));
        EXPECT_EQ(view.caption, QStringLiteral("Processing of file"));
        EXPECT_TRUE(window.CaptionStack().isEmpty());
        EXPECT_EQ(view.layout.question, QStringLiteral("Replace ?"));
        window.No();
    },
            [this] {
                // In and out without changes: the text keeps its modified flag
                // and is read-only again.
                window.Edit();
                window.Edit();
                EXPECT_TRUE(view.readOnly);
                EXPECT_TRUE(window.ReadOnly());
                window.No();
            }});
    RunRule(true);
    EXPECT_EQ(engine.text, "a1 a2");
    EXPECT_TRUE(engine.modified);
    EXPECT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].text, QStringLiteral("Undo all changes?"));
    EXPECT_TRUE(backups.empty()); // an already changed text was copied before its change
}

TEST_F(ProcessControllerTest, EditWithoutChangesLeavesAnUnchangedTextUnmodified) {
    engine.Load("a1");
    Script({[this] {
        window.Edit();
        window.Edit();
        window.No();
    }});
    RunRule(true);
    EXPECT_FALSE(engine.modified);
    EXPECT_TRUE(view.readOnly);
    EXPECT_EQ(backups.size(), 1u); // entering edit mode copies the file
}

// Continuing from the caret, the beginning and the end of the text, after an
// edit, in replace and in find mode.
TEST_F(ProcessControllerTest, ContinueFromEachPosition) {
    struct Case {
        const char* name;
        bool replace;
        int caret;
        void (C::*where)();
        std::vector<int> marks;
        std::string text;
    };
    // Matches at 0, 4, 7 and 10; the first is answered Yes, at the second the
    // user puts "x" in front of the text and continues; later ones get Yes.
    const Case cases[] = {
        {"replace, caret", true, 6, &C::ContinueCurPos, {0, 4, 8, 11}, "xb1 ca2 b3 b4"},
        {"replace, begin", true, 0, &C::ContinueBegFile, {0, 4, 5, 8, 11}, "xb1 cb2 b3 b4"},
        {"replace, end", true, 0, &C::ContinueNextFile, {0, 4}, "xb1 ca2 a3 a4"},
        {"find, caret", false, 6, &C::ContinueCurPos, {0, 4, 8, 11}, "xa1 ca2 a3 a4"},
        {"find, begin", false, 0, &C::ContinueBegFile, {0, 4, 1, 5, 8, 11}, "xa1 ca2 a3 a4"},
        {"find, end", false, 0, &C::ContinueNextFile, {0, 4}, "xa1 ca2 a3 a4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.Load("a1 ca2 a3 a4");
        view.showings.clear();
        Script({Do(&C::Yes), [this, &c] {
                    window.Edit();
                    view.viewText = "x" + view.viewText;
                    view.selStart = c.caret;
                    (window.*c.where)();
                    EXPECT_FALSE(window.InEditMode());
                    EXPECT_TRUE(window.CaptionStack().isEmpty());
                }});
        for (std::size_t i = 2; i < c.marks.size(); ++i) Script({Do(&C::Yes)});
        RunRule(c.replace);
        EXPECT_EQ(engine.text, c.text);
        EXPECT_EQ(Marks(), c.marks);
        EXPECT_TRUE(engine.modified);
        EXPECT_TRUE(engine.doSetting);
        EXPECT_TRUE(view.steps.empty());
        view.steps.clear();
    }
}

// The match on which the user chose to continue is not reported or counted
// again, and the engine's start flag does not outlive the continue.
TEST_F(ProcessControllerTest, ContinueNeverRepeatsAMatchNorLeaksItsFlag) {
    // Find mode, continue from the caret left at the shown match.
    engine.Load("a1 a2 a3");
    Script({Do(&C::Yes), [this] {
                window.Edit();
                window.ContinueCurPos();
            },
            Do(&C::Yes)});
    RunRule(false);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(engine.passFinds, 3);
    EXPECT_TRUE(engine.doSetting);

    // Replace mode, the same.
    engine.Load("a1 a2 a3");
    view.showings.clear();
    Script({Do(&C::No), [this] {
                window.Edit();
                window.ContinueCurPos();
            },
            Do(&C::Yes)});
    RunRule(true);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(engine.passFinds, 3);
    EXPECT_EQ(engine.text, "a1 a2 b3");

    // Find mode, "The next file" on the last character: that match once.
    engine.Load("a1 a");
    view.showings.clear();
    Script({[this] {
                window.Edit();
                window.ContinueNextFile();
            },
            Do(&C::Yes)});
    RunRule(false);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 3}));
    EXPECT_EQ(engine.passFinds, 2);
    EXPECT_TRUE(engine.doSetting);

    // Continue at the last match of a find pass: the next pass and the next
    // rule still report every match once.
    engine.Load("a a");
    view.showings.clear();
    Script({Do(&C::Yes), [this] {
                window.Edit();
                window.ContinueNextFile();
            }});
    RunRule(false);
    EXPECT_TRUE(engine.doSetting);
    view.showings.clear();
    Script({Do(&C::Yes), Do(&C::Yes)});
    RunRule(false);
    EXPECT_EQ(Marks(), (std::vector<int>{0, 2}));
    EXPECT_EQ(engine.passFinds, 2);
}

TEST_F(ProcessControllerTest, AStandingYesOverAnUnchangedTextDoesNotReadItPerMatch) {
    // Writing every match to a file leaves the text unchanged: after its one
    // copy the text must not be compared again for each match.
    engine.keepsText = true;
    std::string text;
    for (int i = 0; i < 500; ++i) text += "a ";
    engine.Load(text);
    engine.textReads = 0;
    RunRule(true, false);
    EXPECT_EQ(engine.passReplacements, 500);
    EXPECT_EQ(backups.size(), 1u);
    EXPECT_LT(engine.textReads, 10);
}

TEST_F(ProcessControllerTest, BackupsOncePerLoadedTextHoweverAccepted) {
    struct Case {
        const char* name;
        bool confirm;
        std::vector<void (C::*)()> answers;
        std::size_t copies;
    };
    const Case cases[] = {
        {"yes", true, {&C::Yes, &C::Yes, &C::Yes}, 1},
        {"yes to file", true, {&C::YesToFile}, 1},
        {"yes to all", true, {&C::YesToAll}, 1},
        {"no after yes", true, {&C::Yes, &C::No, &C::Yes}, 1},
        {"all refused", true, {&C::No, &C::NoToFile}, 0},
        {"without confirmation", false, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        backups.clear();
        engine.Load("a a a");
        for (auto a : c.answers) Script({Do(a)});
        RunRule(true, c.confirm);
        EXPECT_EQ(backups.size(), c.copies);
        if (!backups.empty()) {
            EXPECT_EQ(backups[0], engine.fileName);
        }
    }

    // Each loaded text gets its copy: a second rule, or the next code page of
    // a text that was changed and saved in between.
    backups.clear();
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

TEST_F(ProcessControllerTest, RefusedBackupRefusesTheChange) {
    backupResult = false;
    engine.Load("a a");
    Script({Do(&C::Yes), Do(&C::Yes)});
    RunRule(true);
    EXPECT_EQ(engine.text, "a a");
    EXPECT_EQ(engine.passReplacements, 0);
    EXPECT_FALSE(engine.aborted);

    // Entering edit mode or deleting: the window closes with Abort.
    engine.Load("a a");
    Script({[this] {
                window.Edit();
                EXPECT_FALSE(window.InEditMode());
                EXPECT_EQ(view.result, mrAbort);
            },
            [this] {
                window.DelSelected();
                EXPECT_EQ(view.result, mrAbort);
            }});
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
            EXPECT_EQ(view.layout.selectPanel, true);
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

class FakeCodePages : public TProcessCodePages {
public:
    std::vector<int> converted;
    std::vector<Item> Items() const override { return {{"Win-1251", NoConversion}, {"KOI8-R", 3}}; }
    int DefaultItem() const override { return 0; }
    std::string Convert(int number, const std::string& bytes, QString& log) override {
        converted.push_back(number);
        log += number == NoConversion ? QStringLiteral("Win-1251 -> Win-1251,") : QStringLiteral("KOI8-R -> Win-1251,");
        return number == NoConversion ? bytes : "[" + bytes + "]";
    }
};

TEST_F(ProcessControllerTest, ViewModeCaptionCodePageAndBalance) {
    FakeCodePages pages;
    window.CodePages = &pages;
    CurrentFileText = "text";
    view.caption = QStringLiteral("Brindlewick");
    window.PrepareView();
    EXPECT_TRUE(ProcessModes.Contains(pmView));
    EXPECT_FALSE(ProcessModes.Contains(pmSelect));
    EXPECT_EQ(window.CaptionStack().size(), 2);
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

TEST_F(ProcessControllerTest, CaptionStackAndLoadEvent) {
    view.caption = "one";
    window.PushCaption();
    view.caption = "two";
    window.PushCaption();
    view.caption = "three";
    window.PopCaption();
    EXPECT_EQ(view.caption, "two");
    window.PopCaption();
    EXPECT_EQ(view.caption, "one");
    window.PopCaption(); // nothing left: the caption stays
    EXPECT_EQ(view.caption, "one");

    ProcessAnswers = {ansYesToFile, ansYesToAll, ansNoToFile, ansNoToAll};
    engine.passFinds = 5;
    window.AfterLoadFile(QStringLiteral("x"));
    EXPECT_TRUE(ProcessAnswers == (TProcessAnswers{ansYesToAll, ansNoToAll}));
    EXPECT_EQ(engine.passFinds, 0);
}

TEST_F(ProcessControllerTest, TextsComeFromTheLanguageFirst) {
    window.GetText = [](const QString& key) { return key == "szReplaceQ" ? QStringLiteral("Заменить?") : QString(); };
    window.SetMode(pmReplace);
    EXPECT_EQ(view.layout.question, QStringLiteral("Заменить?"));
    EXPECT_EQ(window.Text("szEdit"), QStringLiteral("E&dit"));
    EXPECT_EQ(window.Text("szUnknown"), QString());
}

} // namespace
