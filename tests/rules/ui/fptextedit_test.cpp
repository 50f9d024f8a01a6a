#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "engine/processengine.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "platform/ui/chooser.h"
#include "rules/ui/fptextedit.h"
#include "rules/ui/fsigns.h"
#include "services/ui/formlangmanager.h"
#include "tests/support/languages.h"
#include "tests/support/screens.h"
#include "tests/support/uitest.h"

namespace {

// Runs `act` once a modal window has come up (the first active modal widget).
void whenModal(std::function<void(QWidget*)> act) {
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
        bw::test::pressKey(to, k, mods);
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

TEST_F(TextPageTest, ASecondPopupRequestIsIgnoredAndOptionsHidesThePanel) {
    emit search->SEText->customContextMenuRequested(QPoint(5, 5));
    ASSERT_TRUE(search->PMEdit->isVisible());
    const QPoint at = search->PMEdit->pos();
    emit search->SEText->customContextMenuRequested(QPoint(90, 90));
    EXPECT_EQ(search->PMEdit->pos(), at);
    search->PMEdit->hide();

    EXPECT_TRUE(search->POptions->isVisible());
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

    // No-break spaces and lone CRs: the bytes come back as Windows-1251 with CR LF.
    search->SetText("a\xA0" "b\rc");
    EXPECT_EQ(search->Text(), "a\xA0" "b\r\nc");

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

// ---- From file: the processing window in select mode

class FromFileTest : public TextPageTest {
protected:
    FromFileTest() {
        ProcessModes.Clear();
        FProcess = &window;
        FProcessEngine = &engine;
        file = writeFile("in.txt", std::string("zero one\r\ntwo\0three", 18));
    }
    ~FromFileTest() override {
        FProcess = nullptr;
        FProcessEngine = nullptr;
    }
    TRERichEdit engine;
    TREProcessEngine processEngine{engine};
    TFProcess window{processEngine};
    QString file;
};

TEST_F(FromFileTest, OkInsertsOrLoadsTheSelectedFragment) {
    const QString before = window.windowTitle();
    search->SetText("AB");
    setCaret(search, 1);
    QString caption;
    chooser.pushFiles({file});
    whenModal([&](QWidget*) {
        caption = window.windowTitle();
        window.SetSelection(5, 10); // "one\r\ntwo", the NUL after it and one more
        window.BOk->click();
    });
    key(search->SEText, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(caption, "Select a fragment of in.txt");
    EXPECT_EQ(search->Text(), "Aone\r\ntwoB");
    EXPECT_EQ(window.windowTitle(), before);
    EXPECT_TRUE(ProcessModes.Empty());

    chooser.pushFiles({file});
    whenModal([&](QWidget*) {
        window.SetSelection(0, 4);
        window.BOk->click();
    });
    search->ALoadFromFile->trigger();
    EXPECT_EQ(search->Text(), "zero");
}

TEST_F(FromFileTest, CancelOrAFileThatCannotBeReadChangeNothing) {
    const QString before = window.windowTitle();
    target->SetText("keep");
    chooser.pushFiles({file});
    whenModal([&](QWidget*) {
        window.SetSelection(0, 4);
        window.BCancel->click();
    });
    target->ALoadFromFile->trigger();
    EXPECT_EQ(target->Text(), "keep");
    EXPECT_EQ(window.windowTitle(), before);
    EXPECT_TRUE(ProcessModes.Empty());
    EXPECT_TRUE(window.Controller().CaptionStack().isEmpty());

    // Cancelled in the file chooser, or a file that cannot be read: the window never shows.
    target->ALoadFromFile->trigger();
    chooser.pushFiles({path("missing.txt")});
    target->ALoadFromFile->trigger();
    EXPECT_EQ(target->Text(), "keep");
    EXPECT_EQ(window.windowTitle(), before);
    EXPECT_TRUE(ProcessModes.Empty());
    EXPECT_TRUE(window.Controller().CaptionStack().isEmpty());
    EXPECT_TRUE(lastMessage().contains("missing.txt"));
}

// ---- signs

TEST_F(TextPageTest, SignsInsertABlockForThePagesSide) {
    search->SetText("abcdef");
    setCaret(search, 3);
    QString offered;
    whenModal([&](QWidget*) {
        offered = FSigns->EText->text();
        FSigns->BOk->click();
    });
    key(search->SEText, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(offered, "[FB]");
    EXPECT_EQ(shown(search), "abc[FB]def");
    EXPECT_EQ(caret(search), 7);

    // The target side has no [FB]: the dialog offers [LEW]; a selection is replaced.
    target->SetText("xyz");
    setCaret(target, 1, 1);
    whenModal([&](QWidget*) {
        offered = FSigns->EText->text();
        FSigns->BOk->click();
    });
    target->APasteSign->trigger();
    EXPECT_EQ(offered, "[LEW]");
    EXPECT_EQ(shown(target), "x[LEW]z");

    // Cancel inserts nothing.
    whenModal([&](QWidget*) { FSigns->BCancel->click(); });
    search->PMEdit->actions().at(2)->trigger();
    EXPECT_EQ(shown(search), "abc[FB]def");
}

// ---- the text library

class LibraryTest : public TextPageTest {
protected:
    static QStringList captions(QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }
    static QAction* item(QMenu* menu, const QString& text) {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                return a;
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }
    // Drops a menu down as the user does, and closes it again.
    static void open(QMenu* menu) {
        menu->popup(QPoint(0, 0));
        menu->hide();
    }
};

TEST_F(LibraryTest, MenusShowTheFoldersOfTheRoleAndOpenTheirFiles) {
    writeFile("Favorites/Source/b.txt", "B");
    writeFile("Favorites/Source/html/a.txt", "line 1\nline 2\n");
    writeFile("Favorites/Source/R&D.txt", "rd");
    QDir().mkpath(path("Favorites/Source/empty"));
    QDir().mkpath(path("Favorites/Source/.svn"));
    writeFile("Favorites/Target/t.txt", "T");
    QFile::link(path("Favorites/Source"), path("Favorites/Source/loop"));

    search->AFavorites->trigger();
    EXPECT_TRUE(search->PMFavorites->isVisible());
    EXPECT_EQ(captions(search->PMFavorites),
              (QStringList{"b.txt", "R&&D.txt", "empty", "html", "loop", "-", "Add to library..."}));
    search->PMFavorites->hide();
    QMenu* html = item(search->PMFavorites, "html")->menu();
    ASSERT_NE(html, nullptr);
    EXPECT_TRUE(html->actions().isEmpty()); // not read before it opens
    open(html);
    EXPECT_EQ(captions(html), QStringList{"a.txt"});
    item(html, "a.txt")->trigger();
    EXPECT_EQ(search->Text(), "line 1\r\nline 2");
    item(search->PMFavorites, "R&&D.txt")->trigger();
    EXPECT_EQ(search->Text(), "rd");

    // A folder linking back to its parent opens one level at a time.
    QMenu* loop = item(search->PMFavorites, "loop")->menu();
    open(loop);
    EXPECT_EQ(captions(loop), (QStringList{"b.txt", "R&&D.txt", "empty", "html", "loop"}));
    EXPECT_TRUE(item(loop, "loop")->menu()->actions().isEmpty());
    QMenu* empty = item(search->PMFavorites, "empty")->menu();
    open(empty);
    EXPECT_TRUE(empty->actions().isEmpty());

    open(target->PMFavorites);
    EXPECT_EQ(captions(target->PMFavorites), (QStringList{"t.txt", "-", "Add to library..."}));
    // No folder yet: only the separator and the add item.
    open(search->PMFullFavorites);
    EXPECT_EQ(captions(search->PMFullFavorites), (QStringList{"-", "Add to library..."}));

    // A library file that has gone is named; the text stays.
    QFile::remove(path("Favorites/Source/b.txt"));
    item(search->PMFavorites, "b.txt")->trigger();
    EXPECT_EQ(search->Text(), "rd");
    EXPECT_TRUE(lastMessage().contains("b.txt"));
    // The next drop reads the folders again.
    writeFile("Favorites/Source/html/c.txt", "C");
    open(search->PMFavorites);
    EXPECT_EQ(captions(search->PMFavorites),
              (QStringList{"R&&D.txt", "empty", "html", "loop", "-", "Add to library..."}));
    html = item(search->PMFavorites, "html")->menu();
    open(html);
    EXPECT_EQ(captions(html), (QStringList{"a.txt", "c.txt"}));
    item(html, "c.txt")->trigger();
    EXPECT_EQ(search->Text(), "C");
}

TEST_F(LibraryTest, AddingWritesLinesAsksBeforeReplacingAndNeverWritesQuestionMarks) {
    const QString file = path("Favorites/Target/new.txt");
    target->SetText("x\r\ny");
    open(target->PMFavorites);
    chooser.pushSave(path("Favorites/Target/new")); // the suffix is added
    item(target->PMFavorites, "Add to library...")->trigger();
    EXPECT_EQ(readFile(file), "x\r\ny\r\n");
    EXPECT_EQ(chooser.requests().back().folder, path("Favorites/Target") + QDir::separator());
    EXPECT_EQ(captions(target->PMFavorites), (QStringList{"new.txt", "-", "Add to library..."}));

    target->SetText("other");
    chooser.pushSave(file);
    prompt.push(bw::Answer::No);
    item(target->PMFavorites, "Add to library...")->trigger();
    EXPECT_EQ(readFile(file), "x\r\ny\r\n");
    EXPECT_TRUE(lastMessage().contains("new.txt"));

    // A write that fails (a folder in the way) is named, after the retry question is declined.
    QDir().mkpath(path("Favorites/Target/busy.txt"));
    chooser.pushSave(path("Favorites/Target/busy.txt"));
    prompt.push(bw::Answer::Yes); // replace it
    prompt.push(bw::Answer::No);  // do not try again
    item(target->PMFavorites, "Add to library...")->trigger();
    EXPECT_TRUE(lastMessage().contains("busy.txt"));
    EXPECT_EQ(readFile(file), "x\r\ny\r\n");

    target->SEText->setPlainText(QString::fromUtf8("\u4e2d"));
    const std::size_t asked = chooser.requests().size();
    item(target->PMFavorites, "Add to library...")->trigger();
    EXPECT_EQ(chooser.requests().size(), asked); // named before a file is chosen
    EXPECT_TRUE(lastMessage().contains(QString::fromUtf8("\u4e2d")));
    EXPECT_EQ(readFile(file), "x\r\ny\r\n");
}

TEST_F(LibraryTest, FullFavoritesActOnBothTextsFromEitherPage) {
    search->SetText("ab");
    target->SetText("");
    open(target->PMFullFavorites);
    chooser.pushSave(path("Favorites/Full/rule.txt"));
    item(target->PMFullFavorites, "Add to library...")->trigger();
    EXPECT_EQ(readFile(path("Favorites/Full/rule.txt")), std::string("\x02\0\0\0\0\0\0\0ab", 10));

    writeFile("Favorites/Full/sub/pair.txt", std::string("\x03\0\0\0\x02\0\0\0onetw", 13));
    open(target->PMFullFavorites);
    QMenu* sub = item(target->PMFullFavorites, "sub")->menu();
    open(sub);
    item(sub, "pair.txt")->trigger();
    EXPECT_EQ(search->Text(), "one");
    EXPECT_EQ(target->Text(), "tw");

    // A character that Windows-1251 lacks, in either text: named, and nothing is written.
    target->SEText->setPlainText(QString::fromUtf8("\u4e2d"));
    const std::size_t asked = chooser.requests().size();
    open(search->PMFullFavorites);
    item(search->PMFullFavorites, "Add to library...")->trigger();
    EXPECT_EQ(chooser.requests().size(), asked);
    EXPECT_TRUE(lastMessage().contains(QString::fromUtf8("\u4e2d")));
}

// ---- pictures and access keys

TEST_F(TextPageTest, PicturesAndAccessKeysInBothLanguages) {
    TFormLangManager languages;
    ASSERT_TRUE(bw::test::useShippedLanguages(languages));
    languages.RegisterForm(&host, 0);
    search->SetText("[FB]Search text\r\nsecond line");
    host.resize(1250, 260);
    for (int lang : {0, 1}) {
        languages.SetCurrentLang(lang);
        QApplication::processEvents(); // the new captions are laid out
        const QString suffix = lang == 0 ? QStringLiteral("_en") : QStringLiteral("_ru");
        for (QWidget* menu : {static_cast<QWidget*>(search->ATBTextEdit), static_cast<QWidget*>(search->ADInsert->menu()),
                              static_cast<QWidget*>(search->ADLoad->menu()), static_cast<QWidget*>(search->PMEdit)}) {
            QStringList keyless;
            const QStringList captions = bw::test::actionCaptions(menu->actions(), &keyless);
            EXPECT_EQ(bw::test::sharedAccessKeys(captions) + keyless, QStringList()) << suffix.toStdString();
        }
        EXPECT_FALSE(bw::test::saveScreen(*search, "text_page" + suffix).isEmpty());
        search->PMEdit->popup(QPoint(0, 0));
        EXPECT_FALSE(bw::test::saveScreen(*search->PMEdit, "text_page_popup" + suffix).isEmpty());
        search->PMEdit->hide();
    }
    EXPECT_EQ(search->AClearText->text(), QString::fromUtf8("&Очистить"));
}

} // namespace
