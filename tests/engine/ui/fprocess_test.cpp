#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <map>

#include "engine/ui/fprocess.h"
#include "platform/prompt.h"
#include "services/ui/datamodule.h"
#include "tests/support/languages.h"
#include "tests/engine/processfakes.h"
#include "tests/support/screens.h"

namespace {

class FProcessTest : public ::testing::Test {
protected:
    FProcessTest() {
        ProcessModes.Clear();
        ProcessAnswers.Clear();
        engine.text = "one a two\r\nthree";
        engine.foundAt = 4;
        engine.foundLength = 1;
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
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(dialog.REProcess, &press);
    }
    bool Shown(QWidget* w) const { return w->isVisibleTo(&dialog); }

    bw::test::ScriptEngine engine;
    TFProcess dialog{engine};
    bw::ScriptedPrompt prompt;
    bw::ScopedPrompt scoped{prompt};
};

TEST_F(FProcessTest, ButtonsAndCaptionsPerMode) {
    EXPECT_FALSE(Shown(dialog.PS));

    const std::vector<QAction*> all = {dialog.AYes,  dialog.AYesToFile, dialog.AYesToAll,  dialog.ANo,
                                       dialog.ANoToFile, dialog.ANoToAll, dialog.AEdit, dialog.AAbort,
                                       dialog.ACCurPos,  dialog.ACNextFile, dialog.ACBegFile};
    // What a mode does not offer stays on the bar, greyed.
    auto visible = [&] {
        std::vector<bool> v;
        for (QAction* a : all) {
            EXPECT_TRUE(a->isVisible()) << a->objectName().toStdString();
            v.push_back(a->isEnabled());
        }
        return v;
    };
    dialog.PrepareReplace();
    EXPECT_EQ(visible(), (std::vector<bool>{1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(Shown(dialog.GBRT));
    EXPECT_EQ(dialog.LAction->text(), QStringLiteral("Replace ?"));

    ProcessModes.Clear();
    dialog.PrepareFind();
    EXPECT_EQ(visible(), (std::vector<bool>{1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(Shown(dialog.GBRT));
    EXPECT_TRUE(Shown(dialog.PSR));
    EXPECT_EQ(dialog.LAction->text(), QStringLiteral("Continue ?"));

    dialog.SetMode(pmEdit);
    EXPECT_EQ(visible(), (std::vector<bool>{0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 1}));

    ProcessModes.Clear();
    ProcessModes.Include(pmSelect);
    dialog.PrepareSelectExecute();
    EXPECT_TRUE(Shown(dialog.PS));
    EXPECT_FALSE(Shown(dialog.PSR));
}

// Every answer of the mode has its own button on the bar, also with longer
// captions: none folds into the bar's overflow menu.
TEST_F(FProcessTest, EveryAnswerOfAModeShowsOnTheBar) {
    const std::vector<QAction*> all = {dialog.AYes,  dialog.AYesToFile, dialog.AYesToAll,  dialog.ANo,
                                       dialog.ANoToFile, dialog.ANoToAll, dialog.AEdit, dialog.AAbort,
                                       dialog.ACCurPos,  dialog.ACNextFile, dialog.ACBegFile};
    const std::vector<std::function<void()>> modes = {
        [&] { dialog.PrepareReplace(); },
        [&] { dialog.PrepareFind(); },
        [&] { dialog.SetMode(pmEdit); },
    };
    for (const bool longer : {false, true}) {
        if (longer)
            for (QAction* a : all) a->setText(a->text() + QStringLiteral(" and some more words"));
        for (std::size_t m = 0; m < modes.size(); ++m) {
            SCOPED_TRACE(testing::Message() << "mode " << m << (longer ? ", longer captions" : ""));
            ProcessModes.Clear();
            modes[m]();
            dialog.resize(dialog.minimumSizeHint());
            ShowAndDo([&] {
                QApplication::processEvents();
                if (!longer) bw::test::saveScreen(dialog, QStringLiteral("FProcess_mode%1").arg(m));
                for (QAction* a : all) {
                    QWidget* button = dialog.AnswerButton(a);
                    ASSERT_NE(button, nullptr);
                    EXPECT_EQ(button->isVisible(), a->isVisible()) << a->objectName().toStdString();
                    if (a->isVisible()) {
                        EXPECT_TRUE(dialog.ATBSR->rect().contains(button->geometry()))
                            << a->objectName().toStdString();
                    }
                }
            });
        }
    }
}

// No answer ever moves: every answer keeps its place on the bar whatever the
// mode, the language or the Edit caption. (A button that moved under the
// pointer would take the next click.)
TEST_F(FProcessTest, AnswersKeepTheirPlaces) {
    const std::vector<QAction*> all = {dialog.AYes,  dialog.AYesToFile, dialog.AYesToAll,  dialog.ANo,
                                       dialog.ANoToFile, dialog.ANoToAll, dialog.AEdit, dialog.AAbort,
                                       dialog.ACCurPos,  dialog.ACNextFile, dialog.ACBegFile};
    // Where each answer shows, in window coordinates; a hidden one is left out.
    auto places = [&] {
        QApplication::processEvents();
        std::map<std::string, QRect> at;
        for (QAction* a : all)
            if (QWidget* button = dialog.AnswerButton(a); button && button->isVisible())
                at[a->objectName().toStdString()] = QRect(button->mapTo(&dialog, QPoint(0, 0)), button->size());
        return at;
    };
    TDMDataModule dm;
    bw::test::useShippedLanguages(*dm.LangManager);
    dm.LangManager->RegisterForm(&dialog, 0);
    dialog.Controller().GetText = [&dm](const QString& key) { return dm.LangManager->GetText(key); };
    const auto edit = [&] { dialog.AEdit->trigger(); };
    const struct {
        const char* step;
        std::function<void()> act;
        const char* picture; // saved as FProcess_<picture>_<language>
    } steps[] = {{"replace", [] {}, "replace"},
                 {"edit", edit, "edit"},
                 {"leaving edit mode", edit, nullptr},
                 {"find", [&] { ProcessModes.Clear(); dialog.PrepareFind(); }, "find"},
                 {"edit in find mode", edit, nullptr}};
    for (const int lang : {0, 1}) {
        SCOPED_TRACE(lang == 0 ? "English" : "Russian");
        dm.LangManager->SetCurrentLang(lang);
        ProcessModes.Clear();
        dialog.PrepareReplace();
        // The minimum width is right before the window shows, also after a
        // language change while it was hidden.
        const int hiddenMinimum = dialog.minimumSize().width();
        dialog.resize(dialog.minimumSizeHint());
        ShowAndDo([&] {
            std::map<std::string, QRect> replace;
            for (const auto& s : steps) {
                s.act();
                // At its minimum size, which fits a screen 800 wide, the
                // window shows every answer whole, each at its place.
                QApplication::processEvents();
                dialog.resize(dialog.minimumSize().width(), dialog.height());
                const auto now = places();
                if (replace.empty()) {
                    replace = now;
                    EXPECT_EQ(replace.size(), all.size());
                }
                EXPECT_EQ(now, replace) << s.step;
                EXPECT_LE(dialog.minimumSize().width(), 800) << s.step;
                EXPECT_EQ(dialog.minimumSize().width(), hiddenMinimum) << s.step;
                for (const auto& [name, at] : now)
                    EXPECT_TRUE(dialog.rect().contains(at)) << s.step << ": " << name;
                if (s.picture)
                    bw::test::saveScreen(dialog, QStringLiteral("FProcess_%1_%2").arg(s.picture, lang ? "ru" : "en"));
            }
            EXPECT_NE(dialog.AEdit->text(), dm.LangManager->GetText(QStringLiteral("szEdit")));
            edit();
        });
    }
}

// Tab goes through the answers as they read: the first row left to right,
// then the second.
TEST_F(FProcessTest, TabGoesThroughTheAnswersInReadingOrder) {
    dialog.PrepareReplace();
    ShowAndDo([&] {
        QApplication::processEvents();
        std::vector<QToolButton*> chain;
        for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain())
            if (auto* b = qobject_cast<QToolButton*>(w); b && b->parentWidget() == dialog.ATBSR) {
                EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << b->text().toStdString();
                chain.push_back(b);
            }
        auto reading = chain;
        std::stable_sort(reading.begin(), reading.end(), [](QToolButton* a, QToolButton* b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        EXPECT_EQ(chain.size(), 11u);
        EXPECT_EQ(chain, reading);
        EXPECT_GT(chain.back()->y(), chain.front()->y());
    });
}

// A match in a line of megabytes shows like one in a short line: selected,
// in the marking colour and scrolled into view; the bytes and positions the
// window gives back are those of the whole text, also after an edit.
TEST_F(FProcessTest, MatchInAVeryLongLineIsMarkedAndInView) {
    std::string text(6'000'000, 'x');
    for (std::size_t i = 7; i < text.size(); i += 9) text[i] = ' ';
    const int matches[] = {100, 3'000'000, int(text.size()) - 6};
    for (int at : matches) text.replace(std::size_t(at), 6, "needle");
    engine.text = text;
    engine.foundLength = 6;
    dialog.PrepareReplace();
    dialog.resize(761, 338);

    auto inView = [&](int pos) {
        QTextCursor c = dialog.REProcess->textCursor();
        c.setPosition(pos - dialog.SelStart() + c.selectionStart());
        return dialog.REProcess->viewport()->rect().contains(dialog.REProcess->cursorRect(c));
    };
    for (const int at : matches) {
        SCOPED_TRACE(at);
        engine.foundAt = at;
        ShowAndDo([&] {
            QApplication::processEvents();
            EXPECT_EQ(dialog.SelStart(), at);
            EXPECT_EQ(dialog.REProcess->textCursor().selectedText(), QStringLiteral("needle"));
            const QTextCursor c = dialog.REProcess->textCursor();
            bool marked = false;
            for (const auto& mark : dialog.REProcess->extraSelections())
                marked |= mark.cursor.selectionStart() == c.selectionStart() &&
                          mark.cursor.selectionEnd() == c.selectionEnd() &&
                          mark.format.foreground().color() == QColor(0, 128, 0);
            EXPECT_TRUE(marked);
            EXPECT_TRUE(inView(at));
            EXPECT_TRUE(inView(at + 6));
            EXPECT_TRUE(dialog.ViewText() == text);
            if (at == matches[1]) bw::test::saveScreen(dialog, QStringLiteral("FProcess_long_line"));
        });
    }

    // An edit in the window lands at its place in the whole text, and the
    // caret position continues from there.
    engine.foundAt = matches[1];
    ShowAndDo([&] {
        dialog.AEdit->trigger();
        dialog.SetSelection(matches[1], 0);
        dialog.REProcess->insertPlainText(QStringLiteral("Z"));
        EXPECT_EQ(dialog.SelStart(), matches[1] + 1);
        dialog.ACCurPos->trigger();
    });
    EXPECT_TRUE(engine.text == text.insert(std::size_t(matches[1]), "Z"));
    EXPECT_EQ(engine.startPos, matches[1] + 1);
}

// The part of a long text shown around a match: always the match, never a
// line of more than a couple of kilobytes about it, cut at line starts and
// ends where a line is short.
TEST(ProcessExcerptTest, PartAroundTheMatch) {
    std::string lines;
    while (lines.size() < 1'000'000) lines += std::string(78, 'x') + "\r\n";
    const std::string oneLine(1'000'000, 'x');
    std::string mixed = oneLine + "\n" + lines;
    const struct {
        const char* name;
        const std::string& text;
    } texts[] = {{"lines", lines}, {"one line", oneLine}, {"mixed", mixed}};
    for (const auto& t : texts) {
        const int size = int(t.text.size());
        for (const auto& [at, length] : std::vector<std::pair<int, int>>{
                 {0, 0}, {0, 5}, {1, 1}, {500'000, 6}, {999'990, 30}, {1'000'000, 1}, {size - 1, 1}, {size, 0}}) {
            if (at + length > size) continue;
            SCOPED_TRACE(testing::Message() << t.name << " at " << at << " length " << length);
            const auto [from, to] = ProcessExcerpt(t.text, at, length);
            EXPECT_LE(from, std::size_t(at));
            EXPECT_GE(to, std::size_t(at + length));
            EXPECT_LE(to, t.text.size());
            EXPECT_LE(to - from, std::size_t(2 * 8192 + length));
            // Where the part is cut, it is cut at a line start (or end), or
            // inside a long line close to the match.
            EXPECT_TRUE(from == 0 || t.text[from - 1] == '\n' || at - int(from) == 1024) << from;
            EXPECT_TRUE(to == t.text.size() || t.text[to - 1] == '\n' || int(to) - at - length == 1024) << to;
            // The longest line shown.
            std::size_t longest = 0, run = 0;
            for (std::size_t i = from; i < to; ++i) run = t.text[i] == '\n' ? 0 : run + 1, longest = std::max(longest, run);
            EXPECT_LE(longest, std::size_t(2 * 1024 + length)) << t.name;
        }
    }
    // A short text is shown whole.
    const std::string small = "one a two\r\nthree";
    EXPECT_EQ(ProcessExcerpt(small, 4, 1), std::make_pair(std::size_t(0), small.size()));
}

TEST_F(FProcessTest, TextShownOneCharacterPerByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    all += "\r\n\r\r\n";
    dialog.ShowText(all, 13, 2);
    EXPECT_EQ(dialog.ViewText(), all);
    EXPECT_EQ(dialog.REProcess->document()->characterCount() - 1, static_cast<int>(all.size()));

    dialog.ShowText("ab\r\ncd\r\nef", 8, 2);
    EXPECT_EQ(dialog.REProcess->textCursor().selectedText(), QStringLiteral("ef"));
    EXPECT_EQ(dialog.REProcess->extraSelections().size(), 1);
    // Earlier marks join the match; a range past the text is passed over.
    dialog.ShowMarked({{0, 2}, {4, 2}, {9, 5}});
    EXPECT_EQ(dialog.REProcess->extraSelections().size(), 3);
}

// The answer keys reach the controller before the text, which shows the match
// marked and read-only.
TEST_F(FProcessTest, AnswerKeys) {
    const std::tuple<int, Qt::KeyboardModifiers, int> cases[] = {
        {Qt::Key_Return, Qt::NoModifier, mrYes},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, mrYes},
        {Qt::Key_Plus, Qt::KeypadModifier, mrYes},
        {Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier | Qt::ShiftModifier, mrNoToAll},
        {Qt::Key_Minus, Qt::NoModifier, mrNone}, // not the keypad's
    };
    dialog.PrepareReplace();
    // Named copies: a lambda may not capture a structured binding under clang 14.
    for (const auto& c : cases) {
        const int key = std::get<0>(c);
        const Qt::KeyboardModifiers mods = std::get<1>(c);
        ProcessAnswers.Clear();
        EXPECT_EQ(ShowAndDo([&] {
                      EXPECT_EQ(dialog.REProcess->textCursor().selectedText(), QStringLiteral("a"));
                      EXPECT_TRUE(dialog.REProcess->isReadOnly());
                      Key(key, mods);
                  }),
                  std::get<2>(c))
            << key;
    }
    EXPECT_EQ(engine.text, "one a two\r\nthree");
}

// One press of Delete takes the match out once, wherever the key lands and
// however it arrives; on a text already changed it takes nothing.
TEST_F(FProcessTest, DeleteTakesTheMatchOnce) {
    enum Via { TextClick, WindowClick, ButtonClick, TextPosted };
    const struct {
        bool find;
        Via via;
        bool modified;
        std::string text;
        int result;
    } cases[] = {
        {false, TextClick, false, "one  two\r\nthree", mrNo},
        {false, WindowClick, false, "one  two\r\nthree", mrNo},
        {false, TextPosted, false, "one  two\r\nthree", mrNo},
        {false, ButtonClick, false, "one  two\r\nthree", mrNo},
        {true, TextClick, false, "one  two\r\nthree", mrNo},
        {true, TextPosted, false, "one  two\r\nthree", mrNo},
        {false, TextClick, true, "one a two\r\nthree", mrNone},
    };
    for (const auto& c : cases) {
        ProcessModes.Clear();
        engine.text = "one a two\r\nthree";
        engine.modified = c.modified;
        c.find ? dialog.PrepareFind() : dialog.PrepareReplace();
        const int r = ShowAndDo([&] {
            switch (c.via) {
            case TextClick: QTest::keyClick(dialog.REProcess, Qt::Key_Delete); break;
            case WindowClick: QTest::keyClick(&dialog, Qt::Key_Delete); break;
            case ButtonClick: QTest::keyClick(dialog.AnswerButton(dialog.AYes), Qt::Key_Delete); break;
            case TextPosted:
                QCoreApplication::postEvent(dialog.REProcess, new QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, {}));
                QCoreApplication::sendPostedEvents(dialog.REProcess, QEvent::KeyPress);
                break;
            }
        });
        EXPECT_EQ(engine.text, c.text) << c.find << c.via << c.modified;
        EXPECT_EQ(r, c.result) << c.find << c.via << c.modified;
    }
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
        Key(Qt::Key_Return); // a line break, not an answer
        answered = dialog.result() != mrNone || !dialog.isVisible();
        Key(Qt::Key_Delete); // deletes a character, not the match
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
    dialog.MHint->appendPlainText(QStringLiteral("!"));
    EXPECT_TRUE(hint->HintModified());
    EXPECT_EQ(hint->Hint(), "new\r\ntext\n!");
}

TEST_F(FProcessTest, SelectModeWithCodePages) {
    bw::test::FakeCodePages pages;
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
        Key(Qt::Key_Delete);
        dialog.BOk->click();
    });
    EXPECT_EQ(r, mrOk);
    EXPECT_EQ(shown, "[abc]");
    EXPECT_EQ(converted, "abc");
    EXPECT_EQ(SelectedText, "bc");
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
