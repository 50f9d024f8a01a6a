#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include "engine/ui/fprocess.h"
#include "platform/prompt.h"

#include <functional>

namespace {

class StillEngine : public TProcessEngine {
public:
    std::string text = "one a two\r\nthree";
    bool modified = false;
    int startPos = 0;
    int foundAt = 4;
    int foundLength = 1;
    bool aborted = false;
    const std::string& Text() const override { return text; }
    void SetText(const std::string& bytes) override { text = bytes; }
    std::uint64_t TextVersion() const override { return std::hash<std::string>{}(text); }
    bool Modified() const override { return modified; }
    void SetModified(bool on) override { modified = on; }
    QString FileName() const override { return QStringLiteral("/data/page.htm"); }
    int StartPos() const override { return startPos; }
    void SetStartPos(int pos) override { startPos = pos; }
    int FoundAt() const override { return foundAt; }
    void SetFoundAt(int pos) override { foundAt = pos; }
    int FoundLength() const override { return foundLength; }
    void SetDoSettingNewStartPosition(bool) override {}
    bool ReportOnly() const override { return false; }
    void SetAbort() override { aborted = true; }
    void MarkFound() override {}
    void ResetPassCounters() override {}
    void UncountFind() override {}
};

class FProcessTest : public ::testing::Test {
protected:
    FProcessTest() {
        ProcessModes.Clear();
        ProcessAnswers.Clear();
    }
    // Shows the window modally and runs `act` once it is up.
    int ShowAndDo(std::function<void()> act) {
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, &dialog, [this, act, &timer] {
            if (!dialog.isVisible()) return;
            timer.stop();
            act();
            if (dialog.isVisible()) dialog.done(mrNone);
        });
        timer.start();
        return dialog.Controller().ShowModal();
    }
    void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &press);
    }
    std::vector<QString> ToolBarTexts() const {
        std::vector<QString> texts;
        for (QAction* a : dialog.ATBSR->actions()) texts.push_back(a->isSeparator() ? QStringLiteral("|") : a->text());
        return texts;
    }
    static bool Shown(QWidget* w, QWidget* top) { return w->isVisibleTo(top); }

    StillEngine engine;
    TFProcess dialog{engine};
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scoped{prompt};
};

TEST_F(FProcessTest, LayoutAndToolBarOrder) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Processing of file"));
    EXPECT_EQ(dialog.size(), QSize(761, 338));
    EXPECT_EQ(dialog.minimumSize(), QSize(580, 105));
    EXPECT_EQ(ToolBarTexts(), (std::vector<QString>{"Ye&s", "&Yes to File", "Y&es to All", "|", "&No", "N&o to File",
                                                    "No &to All", "|", "E&dit", "|", "&Abort", "&Current position",
                                                    "T&he next file", "&Begin of the file"}));
    EXPECT_FALSE(Shown(dialog.PS, &dialog));
    EXPECT_EQ(dialog.GBRT->title(), QStringLiteral("Replace with"));
    EXPECT_EQ(dialog.BOk->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(dialog.BCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(dialog.LCP->text(), QStringLiteral("Codepage"));
}

TEST_F(FProcessTest, ButtonsPerMode) {
    auto visible = [this](std::initializer_list<QAction*> actions) {
        std::vector<bool> v;
        for (QAction* a : actions) v.push_back(a->isVisible());
        return v;
    };
    auto all = {dialog.AYes, dialog.AYesToFile, dialog.AYesToAll, dialog.ANo, dialog.ANoToFile, dialog.ANoToAll,
                dialog.AEdit, dialog.AAbort, dialog.ACCurPos, dialog.ACNextFile, dialog.ACBegFile};

    dialog.PrepareReplace();
    EXPECT_EQ(visible(all), (std::vector<bool>{1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(Shown(dialog.GBRT, &dialog));
    EXPECT_EQ(dialog.LAction->text(), QStringLiteral("Replace ?"));

    ProcessModes.Clear();
    dialog.PrepareFind();
    EXPECT_EQ(visible(all), (std::vector<bool>{1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(Shown(dialog.GBRT, &dialog));
    EXPECT_TRUE(Shown(dialog.PSR, &dialog));
    EXPECT_EQ(dialog.LAction->text(), QStringLiteral("Continue ?"));

    dialog.SetMode(pmEdit);
    EXPECT_EQ(visible(all), (std::vector<bool>{0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 1}));

    ProcessModes.Clear();
    ProcessModes.Include(pmSelect);
    dialog.PrepareSelectExecute();
    EXPECT_TRUE(Shown(dialog.PS, &dialog));
    EXPECT_FALSE(Shown(dialog.PSR, &dialog));
    EXPECT_FALSE(Shown(dialog.GBRT, &dialog));
}

TEST_F(FProcessTest, TextShownOneCharacterPerByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    all += "\r\n\r\r\n";
    dialog.ShowText(all, 13, 2);
    EXPECT_EQ(dialog.ViewText(), all);
    EXPECT_EQ(dialog.SelStart(), 13);
    EXPECT_EQ(dialog.SelLength(), 2);
    EXPECT_EQ(dialog.REProcess->document()->characterCount() - 1, static_cast<int>(all.size()));

    dialog.ShowText("ab\r\ncd\r\nef", 8, 2);
    EXPECT_EQ(dialog.REProcess->textCursor().selectedText(), QStringLiteral("ef"));
    ASSERT_EQ(dialog.REProcess->extraSelections().size(), 1);
    EXPECT_EQ(dialog.REProcess->extraSelections()[0].format.foreground().color(), QColor(0, 128, 0));
}

TEST_F(FProcessTest, ShowingMarksTheMatchReadOnly) {
    dialog.PrepareReplace();
    std::string shown;
    bool readOnly = false;
    const int r = ShowAndDo([&] {
        shown = dialog.REProcess->textCursor().selectedText().toStdString();
        readOnly = dialog.REProcess->isReadOnly();
        dialog.AYes->trigger();
    });
    EXPECT_EQ(r, mrYes);
    EXPECT_EQ(shown, "a");
    EXPECT_TRUE(readOnly);
}

TEST_F(FProcessTest, AnswerKeysReachTheControllerBeforeTheText) {
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int result;
    };
    const Case cases[] = {
        {Qt::Key_Return, Qt::NoModifier, mrYes},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, mrYes},
        {Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier, mrYesToAll},
        {Qt::Key_Plus, Qt::KeypadModifier, mrYes},
        {Qt::Key_Minus, Qt::KeypadModifier, mrNo},
        {Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier | Qt::ShiftModifier, mrNoToAll},
        {Qt::Key_Minus, Qt::NoModifier, mrNone}, // not the keypad's
    };
    dialog.PrepareReplace();
    for (const Case& c : cases) {
        ProcessAnswers.Clear();
        EXPECT_EQ(ShowAndDo([&] { Key(dialog.REProcess, c.key, c.mods); }), c.result) << c.key;
    }
    EXPECT_EQ(engine.text, "one a two\r\nthree");
}

TEST_F(FProcessTest, EditModeTypesIntoTheText) {
    dialog.PrepareReplace();
    std::string edited;
    bool answered = true;
    const int r = ShowAndDo([&] {
        dialog.AEdit->trigger();
        EXPECT_FALSE(dialog.REProcess->isReadOnly());
        EXPECT_EQ(dialog.AEdit->text(), QStringLiteral("Stop e&diting"));
        QTextCursor c = dialog.REProcess->textCursor();
        c.setPosition(0);
        dialog.REProcess->setTextCursor(c);
        Key(dialog.REProcess, Qt::Key_Return); // a line break, not an answer
        answered = dialog.result() != mrNone || !dialog.isVisible();
        Key(dialog.REProcess, Qt::Key_Delete); // deletes a character, not the match
        edited = dialog.ViewText();
        dialog.ACBegFile->trigger();
    });
    EXPECT_FALSE(answered);
    EXPECT_EQ(edited, "\nne a two\r\nthree");
    EXPECT_EQ(r, mrNo);
    EXPECT_EQ(engine.text, "\nne a two\r\nthree");
    EXPECT_TRUE(engine.modified);
    EXPECT_EQ(engine.startPos, 0);
    EXPECT_TRUE(dialog.REProcess->isReadOnly());
    EXPECT_EQ(dialog.AEdit->text(), QStringLiteral("E&dit"));
}

TEST_F(FProcessTest, CloseButtonAsksToAbort) {
    dialog.PrepareReplace();
    prompt.push(bw::Answer::No);
    prompt.push(bw::Answer::Yes);
    bool stayed = false;
    const int r = ShowAndDo([&] {
        dialog.reject();
        stayed = dialog.isVisible();
        dialog.reject();
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(r, mrAbort);
    EXPECT_TRUE(engine.aborted);
}

TEST_F(FProcessTest, HintMemoGivesBackTheEditedReplacement) {
    TRERichEdit::THintMemo* hint = dialog.HintMemo();
    hint->SetHint("new\r\ntext");
    EXPECT_FALSE(hint->HintModified());
    EXPECT_EQ(hint->Hint(), "new\r\ntext");
    dialog.MHint->appendPlainText(QStringLiteral("!"));
    EXPECT_TRUE(hint->HintModified());
    EXPECT_EQ(hint->Hint(), "new\r\ntext\n!");
}

class TwoPages : public TProcessCodePages {
public:
    std::vector<Item> Items() const override { return {{"Win-1251", NoConversion}, {"KOI8-R", 9}, {"Automatic", 42}}; }
    int DefaultItem() const override { return 2; }
    std::string Convert(int number, const std::string& bytes, QString& log) override {
        log += QStringLiteral("%1 -> Win-1251,").arg(number);
        return number == NoConversion ? bytes : "<" + bytes + ">";
    }
};

TEST_F(FProcessTest, SelectModeWithCodePages) {
    TwoPages pages;
    dialog.FillCodePages(&pages);
    EXPECT_EQ(dialog.CBCP->count(), 3);
    EXPECT_EQ(dialog.CBCP->currentText(), QStringLiteral("Automatic"));
    CurrentFileText = "abc";
    ProcessModes.Include(pmSelect);
    dialog.PrepareSelectExecute();
    std::string shown, converted;
    const int r = ShowAndDo([&] {
        shown = dialog.ViewText();
        dialog.CBCP->setCurrentIndex(0);
        converted = dialog.ViewText();
        dialog.SetSelection(1, 2);
        Key(dialog.REProcess, Qt::Key_Delete);
        dialog.BOk->click();
    });
    EXPECT_EQ(r, mrOk);
    EXPECT_EQ(shown, "<abc>");
    EXPECT_EQ(converted, "abc");
    EXPECT_EQ(SelectedText, "bc");
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
