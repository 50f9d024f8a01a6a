#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>

#include "engine/processengine.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "platform/ui/chooser.h"
#include "rules/ui/fptextedit.h"
#include "rules/ui/fsigns.h"
#include "tests/support/screens.h"
#include "tests/support/testutil.h"

namespace {

// Runs `act` once a modal window has come up (the first active modal widget).
[[maybe_unused]] void whenModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

// Two pages in a host window, wired as the rule dialog wires them.
class TextPageTest : public bw::test::TempDirTest {
protected:
    TextPageTest() {
        auto* layout = new QHBoxLayout(&host);
        search = new TFPTextEdit(&host, 0);
        target = new TFPTextEdit(&host, 1);
        layout->addWidget(search);
        layout->addWidget(target);
        texts = std::make_unique<TPageTexts>(search, target);
        search->SetWholeRuleTexts(texts.get());
        target->SetWholeRuleTexts(texts.get());
        base = path("Favorites") + QDir::separator();
        search->SetLibraryPath(base);
        target->SetLibraryPath(base);
        host.show();
        QApplication::setActiveWindow(&host);
        search->SEText->setFocus();
        QApplication::clipboard()->clear();
    }
    ~TextPageTest() override { delete FSigns; }

    // A key press as the user makes it: shortcuts first, then the focused control.
    static void key(QWidget* to, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        to->setFocus();
        QKeyEvent press(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods);
        QApplication::sendEvent(to, &release);
    }
    static QString shown(TFPTextEdit* page) { return page->SEText->toPlainText(); }
    static void setCaret(TFPTextEdit* page, int pos, int length = 0) {
        QTextCursor c = page->SEText->textCursor();
        c.setPosition(pos);
        c.setPosition(pos + length, QTextCursor::KeepAnchor);
        page->SEText->setTextCursor(c);
    }
    static int caret(TFPTextEdit* page) { return page->SEText->textCursor().position(); }
    QString lastMessage() const { return prompt.asked().empty() ? QString() : prompt.asked().back().text; }

    QWidget host;
    TFPTextEdit* search;
    TFPTextEdit* target;
    std::unique_ptr<TPageTexts> texts;
    QString base;
    bw::ScriptedChooser chooser;
    bw::ScopedChooser scopedChooser{chooser};
};

TEST_F(TextPageTest, ToolbarMenusAndShortcutsAreThePagesOwn) {
    std::vector<QString> bar;
    for (QAction* a : search->ATBTextEdit->actions())
        bar.push_back(a->isSeparator() ? QStringLiteral("|") : a->text());
    EXPECT_EQ(bar, (std::vector<QString>{"&Clear", "&Insert", "&Load", "&Favorites", "F&ull Favorites", "|",
                                         "&Additional signs", "&Options"}));
    auto texts = [](QMenu* m) {
        std::vector<QString> out;
        for (QAction* a : m->actions())
            out.push_back(a->isSeparator() ? QStringLiteral("|")
                                           : a->text() + QLatin1Char('/') + a->shortcut().toString() +
                                                 QLatin1Char('/') + QString::number(a->property("tag").toInt()));
        return out;
    };
    EXPECT_EQ(texts(search->ADInsert->menu()),
              (std::vector<QString>{"&Additional sign/Ctrl+Alt+I/0", "&From Clipboard/Ctrl+V/0",
                                    "F&rom file/Ctrl+Alt+Shift+V/0", "F&ile/Ctrl+Alt+V/0"}));
    EXPECT_EQ(texts(search->ADLoad->menu()),
              (std::vector<QString>{"Fr&om Clipboard/Ctrl+L/1", "F&rom file/Ctrl+Alt+Shift+L/1", "&File/Ctrl+Alt+L/1"}));
    EXPECT_EQ(texts(search->PMEdit),
              (std::vector<QString>{"Cop&y to clipboard/Ctrl+Ins/0", "|", "Insert additional &sign/Ctrl+Alt+I/0", "|",
                                    "Insert from Cli&pboard/Ctrl+V/0", "Insert from fil&e/Ctrl+Alt+Shift+V/0",
                                    "I&nsert file/Ctrl+Alt+V/0", "|", "Load from Clip&board/Ctrl+L/1",
                                    "Load from f&ile/Ctrl+Alt+Shift+L/1", "Loa&d file/Ctrl+Alt+L/1", "|",
                                    "&Clear/Ctrl+E/0"}));
    EXPECT_EQ(search->minimumSize(), QSize(600, 200));
    EXPECT_EQ(search->POptions->width(), 262);
    EXPECT_EQ(search->SEText->lineWrapMode(), QPlainTextEdit::NoWrap);

    // Options hides the options panel; the pattern toggle starts off.
    EXPECT_TRUE(search->POptions->isVisible());
    EXPECT_FALSE(search->AdditionalSigns());
    search->AOptions->trigger();
    EXPECT_FALSE(search->POptions->isVisible());
}

TEST_F(TextPageTest, ClipboardInsertLoadCopyAndClearThroughKeys) {
    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\rthree\nfour"));
    search->SetText("ab");
    setCaret(search, 1);
    key(search->SEText, Qt::Key_V, Qt::ControlModifier); // the page's Ctrl+V, not the edit's paste
    EXPECT_EQ(search->Text(), "aone\r\ntwo\r\nthree\r\nfourb");

    // Load replaces; an empty clipboard leaves the text empty.
    QApplication::clipboard()->setText(QStringLiteral("xyz"));
    key(search->SEText, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(shown(search), "xyz");
    QApplication::clipboard()->clear();
    key(search->SEText, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(shown(search), "");

    // Ctrl+Insert without a selection copies the whole text; the caret stays.
    search->SetText("first\r\nsecond");
    setCaret(search, 3);
    key(search->SEText, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "first\nsecond");
    EXPECT_EQ(caret(search), 3);
    EXPECT_FALSE(search->SEText->textCursor().hasSelection());
    setCaret(search, 1, 3);
    key(search->SEText, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "irs");

    key(search->SEText, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(shown(search), "");

    // The target page's keys act on the target page only.
    QApplication::clipboard()->setText(QStringLiteral("T"));
    search->SetText("S");
    key(target->SEText, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shown(target), "T");
    EXPECT_EQ(shown(search), "S");
}

TEST_F(TextPageTest, PopupItemsCallTheHandlersWithTheirTag) {
    QApplication::clipboard()->setText(QStringLiteral("new"));
    search->SetText("old");
    setCaret(search, 3);
    QAction* insert = search->PMEdit->actions().at(4);
    QAction* load = search->PMEdit->actions().at(8);
    insert->trigger();
    EXPECT_EQ(shown(search), "oldnew");
    load->trigger();
    EXPECT_EQ(shown(search), "new");
}

TEST_F(TextPageTest, FileInsertsUpToNulAndBadFilesChangeNothing) {
    const QString file = writeFile("in.txt", std::string("a\r\nb\0rest", 9));
    search->SetText("xy");
    setCaret(search, 1);
    chooser.pushFiles({file});
    key(search->SEText, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(search->Text(), "xa\r\nby");
    EXPECT_EQ(caret(search), 4);

    chooser.pushFiles({file});
    search->ALoadFile->trigger();
    EXPECT_EQ(search->Text(), "a\r\nb");

    // Cancelled, unreadable (a folder here) or missing: the text stays; a file that
    // cannot be read is named.
    search->ALoadFile->trigger();
    EXPECT_EQ(search->Text(), "a\r\nb");
    EXPECT_TRUE(prompt.asked().empty());
    for (const QString& bad : {path(""), path("missing.txt")}) {
        chooser.pushFiles({bad});
        search->ALoadFile->trigger();
        EXPECT_EQ(search->Text(), "a\r\nb");
        EXPECT_TRUE(lastMessage().contains(QDir::toNativeSeparators(bad))) << lastMessage().toStdString();
    }
}

} // namespace
