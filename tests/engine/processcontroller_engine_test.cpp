#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "engine/processengine.h"
#include "platform/prompt.h"

// The controller bound to the real engine, with a view that answers from a script.
namespace {

class AnsweringView : public TProcessView {
public:
    std::deque<std::function<void()>> steps;
    std::vector<int> marks;
    int result = mrNone;
    bool shown = false;
    std::string text;
    int selStart = 0;

    int ShowModal() override {
        shown = true;
        result = mrNone;
        if (steps.empty()) {
            ADD_FAILURE() << "shown more often than scripted";
            return mrAbort;
        }
        auto step = std::move(steps.front());
        steps.pop_front();
        step();
        shown = false;
        return result;
    }
    void CloseModal(int r) override {
        if (shown) result = r;
    }
    bool IsShown() const override { return shown; }
    void PumpMessages() override {}
    QString Caption() const override { return {}; }
    void SetCaption(const QString&) override {}
    void ApplyLayout(const TProcessLayout&) override {}
    void SetEditCaption(const QString&) override {}
    void SetReadOnly(bool) override {}
    void ShowText(const std::string& bytes, int start, int) override {
        text = bytes;
        selStart = start;
        marks.push_back(start);
    }
    void ClearText() override { text.clear(); }
    std::string ViewText() const override { return text; }
    int SelStart() const override { return selStart; }
    int SelLength() const override { return 0; }
    void SetSelection(int start, int) override { selStart = start; }
    void FocusText() override {}
    int CodePageNumber() const override { return TProcessCodePages::NoConversion; }
};

class EngineWindowTest : public ::testing::Test {
protected:
    EngineWindowTest() {
        ConnectProcessWindow(engine, window);
        window.MakeBackup = [this](const QString&) {
            ++backups;
            return true;
        };
        engine.FileName = QStringLiteral("/tmp/file.txt");
    }
    using Answer = void (TProcessController::*)();
    void Run(TOnFoundActionType action, const std::string& text, std::initializer_list<Answer> answers) {
        for (Answer a : answers) view.steps.push_back([this, a] { (window.*a)(); });
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        engine.ActionMode.OnFoundActionType = action;
        engine.SetSourceText("a");
        if (action != ofatDontChange) engine.SetTargetText("b");
        if (action == ofatDontChange)
            window.PrepareFind();
        else
            window.PrepareReplace();
        engine.ResetPassCounters();
        engine.LoadFromString(text);
        engine.StartPos = 0;
        engine.ProcessAll();
        EXPECT_TRUE(view.steps.empty());
    }

    TRERichEdit engine;
    AnsweringView view;
    TREProcessEngine adapter{engine};
    TProcessController window{adapter, view};
    int backups = 0;
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scoped{prompt};
};

using C = TProcessController;

TEST_F(EngineWindowTest, AnswersChangeTheText) {
    Run(ofatReplace, "a1 a2 a3 a4", {&C::Yes, &C::No, &C::YesToFile});
    EXPECT_EQ(engine.Text(), "b1 a2 b3 b4");
    EXPECT_EQ(engine.Counters.PassCounters.PassFinds, 4);
    EXPECT_EQ(engine.Counters.PassCounters.PassReplacements, 3);
    EXPECT_EQ(view.marks, (std::vector<int>{0, 3, 6}));
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
    view.steps.push_back([this] { window.Yes(); });
    view.steps.push_back([this] {
        window.Edit();
        window.ContinueCurPos(); // the caret is still on the shown match
    });
    Run(ofatDontChange, "a1 a2 a3", {&C::Yes});
    EXPECT_EQ(view.marks, (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(engine.Counters.PassCounters.PassFinds, 3);
    EXPECT_TRUE(engine.DoSettingNewStartPosition);
    EXPECT_EQ(backups, 1); // entering edit mode
}

TEST_F(EngineWindowTest, AbortStopsThePass) {
    prompt.push(bw::Answer::Yes);
    view.steps.push_back([this] { window.Yes(); });
    view.steps.push_back([this] { window.Abort(); });
    Run(ofatReplace, "a a a", {});
    EXPECT_TRUE(engine.ActionMode.amAbort);
    EXPECT_EQ(view.marks.size(), 2u);
    EXPECT_EQ(engine.Counters.RunTotals.ReplacementsTotal, 0); // an aborted pass adds nothing
}

TEST(ConversionCodePages, ComboItemsFromTheTable) {
    TConversionCodePages pages;
    QStringList names;
    for (const auto& item : pages.Items()) names << item.name;
    EXPECT_EQ(names, (QStringList{"Win-1251", "866", "KOI8-R", "ISO 8859-5", "Macintosh", "Unicode (UCS-2)", "UTF-8",
                                  "Automatic"}));
    EXPECT_EQ(pages.Items()[0].number, TProcessCodePages::NoConversion);
    EXPECT_EQ(pages.DefaultItem(), 7);

    QString log;
    EXPECT_EQ(pages.Convert(TProcessCodePages::NoConversion, "\xC0", log), "\xC0");
    EXPECT_EQ(log, QStringLiteral("Win-1251 -> Win-1251,"));
    log.clear();
    // KOI8-R "а" (0xC1) is Windows-1251 0xE0.
    EXPECT_EQ(pages.Convert(pages.Items()[2].number, "\xC1", log), "\xE0");
    EXPECT_EQ(log, QStringLiteral("KOI8-R -> Win-1251,"));
}

} // namespace
