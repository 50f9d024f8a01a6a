#include <gtest/gtest.h>

#include "engine/processengine.h"
#include "platform/prompt.h"
#include "tests/engine/processfakes.h"

// The controller bound to the real engine, with a view that answers from a script.
namespace {

using C = TProcessController;

class EngineWindowTest : public ::testing::Test {
protected:
    EngineWindowTest() {
        ConnectProcessWindow(engine, window);
        window.MakeBackup = [this](const QString&) { return ++backups > 0; };
        engine.FileName = QStringLiteral("/tmp/file.txt");
    }
    void Run(TOnFoundActionType action, const std::string& text, std::initializer_list<void (C::*)()> answers) {
        for (auto a : answers) view.steps.push_back([this, a] { (window.*a)(); });
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        engine.ActionMode.OnFoundActionType = action;
        engine.SetSourceText("a");
        if (action == ofatDontChange) {
            window.PrepareFind();
        } else {
            engine.SetTargetText("b");
            window.PrepareReplace();
        }
        engine.ResetPassCounters();
        engine.LoadFromString(text);
        engine.StartPos = 0;
        engine.ProcessAll();
        EXPECT_TRUE(view.steps.empty());
    }

    TRERichEdit engine;
    bw::test::ScriptView view;
    TREProcessEngine adapter{engine};
    TProcessController window{adapter, view};
    int backups = 0;
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scoped{prompt};
};

TEST_F(EngineWindowTest, AnswersChangeTheText) {
    Run(ofatReplace, "a1 a2 a3 a4", {&C::Yes, &C::No, &C::YesToFile});
    EXPECT_EQ(engine.Text(), "b1 a2 b3 b4");
    EXPECT_EQ(engine.Counters.PassCounters.PassFinds, 4);
    EXPECT_EQ(engine.Counters.PassCounters.PassReplacements, 3);
    EXPECT_EQ(view.Marks(), (std::vector<int>{0, 3, 6}));
    // Earlier changes keep the marking colour while later matches are shown.
    EXPECT_EQ(view.showings[2].marked, (TMarkedRanges{{0, 1}}));
    EXPECT_EQ(backups, 1);
}

TEST_F(EngineWindowTest, DeleteKeyAtTheStartOfTheText) {
    Run(ofatReplace, "aaa", {&C::DelSelected, &C::Yes, &C::Yes});
    EXPECT_EQ(engine.Text(), "bb");
    EXPECT_EQ(engine.Counters.PassCounters.PassReplacements, 2);
    EXPECT_TRUE(engine.Modified());
    EXPECT_EQ(backups, 1);
}

TEST_F(EngineWindowTest, ContinueInFindModeReportsEachMatchOnce) {
    view.steps = {[this] { window.Yes(); },
                  [this] {
                      window.Edit();
                      window.ContinueCurPos(); // the caret is still on the shown match
                  }};
    Run(ofatDontChange, "a1 a2 a3", {&C::Yes});
    EXPECT_EQ(view.Marks(), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(engine.Counters.PassCounters.PassFinds, 3);
    EXPECT_TRUE(engine.DoSettingNewStartPosition);
}

TEST_F(EngineWindowTest, AbortStopsThePass) {
    prompt.push(bw::Answer::Yes);
    view.steps = {[this] { window.Yes(); },
                  [this] {
                      EXPECT_TRUE(window.CloseQuery(mrYes)); // closing with an answer does not ask
                      window.Abort();
                  }};
    Run(ofatReplace, "a a a", {});
    EXPECT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(engine.ActionMode.amAbort);
    EXPECT_EQ(view.showings.size(), 2u);
    EXPECT_EQ(engine.Counters.RunTotals.ReplacementsTotal, 0); // an aborted pass adds nothing
}

TEST(ConversionCodePages, ComboItemsFromTheTable) {
    TConversionCodePages pages;
    EXPECT_EQ(pages.Items().size(), 8u);
    EXPECT_EQ(pages.Items()[0].number, TProcessCodePages::NoConversion);
    EXPECT_EQ(pages.DefaultItem(), 7);
    QString log;
    // KOI8-R "а" (0xC1) is Windows-1251 0xE0.
    EXPECT_EQ(pages.Convert(pages.Items()[2].number, "\xC1", log), "\xE0");
    EXPECT_EQ(log, QStringLiteral("KOI8-R -> Win-1251,"));
}

} // namespace
