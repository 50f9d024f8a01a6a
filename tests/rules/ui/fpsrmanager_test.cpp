#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMenu>
#include <QMouseEvent>

#include "platform/appdirs.h"
#include "platform/ui/chooser.h"
#include "rules/rulelistblock.h"
#include "rules/ui/fpsrmanager.h"
#include "services/fileroutines.h"
#include "services/ui/components.h"
#include "tests/rules/ui/rulesui.h"
#include "tests/support/screens.h"

namespace {

using bw::test::pressKey;

class FPSRManagerTest : public bw::test::TempDirTest {
protected:
    FPSRManagerTest() {
        page.Editor = &editor;
        page.resize(500, 300);
        page.show();
    }
    // Adds a confirmed rule through the Add action.
    void add(const QString& search, const QString& target = {}, bool checked = true) {
        editor.script.push_back([=](TSRInfo& r) {
            r.Source.ssText = search;
            r.Target.tsText = target;
            r.SearchActionType = ofatReplace;
            return true;
        });
        page.AAdd->trigger();
        if (!checked)
            page.LVSR->topLevelItem(page.Count() - 1)->setCheckState(0, Qt::Unchecked);
    }
    // "+a" for a checked rule a, "-a" for an unchecked one; cells must agree.
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < page.Count(); ++i) {
            QTreeWidgetItem* item = page.LVSR->topLevelItem(i);
            const QString mark = page.Checked(i) ? "+" : "-";
            EXPECT_EQ(item->checkState(0) == Qt::Checked, page.Checked(i));
            EXPECT_EQ(item->text(1), RuleCellText(page.Rule(i).Source.ssText));
            out << mark + page.Rule(i).Source.ssText;
        }
        EXPECT_EQ(page.LVSR->topLevelItemCount(), page.Count());
        return out;
    }
    QPoint cellCenter(int row, int column) const {
        const QRect r = page.LVSR->visualItemRect(page.LVSR->topLevelItem(row));
        const int x = page.LVSR->header()->sectionViewportPosition(column) + page.LVSR->header()->sectionSize(column) / 2;
        return {x, r.center().y()};
    }
    void drop(QPoint at, const QString& format = TSRListView::kRowMime) {
        QMimeData data;
        data.setData(format, "0");
        // A drop reaches the widget that accepted the drag's entry.
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page.LVSR->viewport(), &enter);
        QDropEvent event(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page.LVSR->viewport(), &event);
    }
    void mouseMove(QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, page.LVSR->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(page.LVSR->viewport(), &event);
    }

    bw::test::ScriptEditor editor;
    bw::ScriptedChooser chooser;
    bw::ScopedChooser scopedChooser{chooser};
    TFPSRManager page;
};

TEST_F(FPSRManagerTest, EnablingFollowsTheSelection) {
    EXPECT_TRUE(IsForm(&page)); // keeps its own settings section while docked

    EXPECT_FALSE(page.AEdit->isEnabled());
    EXPECT_FALSE(page.ARemove->isEnabled());
    add("a");
    EXPECT_TRUE(page.AEdit->isEnabled());
    page.LVSR->clearSelection();
    EXPECT_FALSE(page.ARemove->isEnabled());
}

TEST_F(FPSRManagerTest, AddKeepsTheRuleOnlyWhenConfirmed) {
    TSRInfo options;
    options.Source.sbCaseSensitive = true;
    options.Source.ssCLBCP = "KOI8-R";
    options.SearchActionType = ofatInsertAfter;
    editor.last = RuleToText(options);

    add(QString::fromUtf8("first line\r\nsecond"), "t");
    EXPECT_EQ(rows(), QStringList({QString::fromUtf8("+first line\r\nsecond")}));
    EXPECT_EQ(page.LVSR->topLevelItem(0)->text(1), "first line");
    EXPECT_EQ(page.LVSR->topLevelItem(0)->text(3), "...");
    EXPECT_TRUE(page.Rule(0).Source.sbCaseSensitive); // from the last-rule text
    EXPECT_EQ(page.Rule(0).Source.ssCLBCP, "KOI8-R");
    EXPECT_EQ(page.SelectedRow(), 0);

    // Cancelled: the new row goes, even when the last-rule text carries a search text.
    options.Source.ssText = "stale";
    editor.last = RuleToText(options);
    pressKey(page.LVSR, Qt::Key_Insert);
    EXPECT_EQ(editor.edits, 2);
    EXPECT_EQ(page.Count(), 1);
    EXPECT_EQ(page.SelectedRow(), 0);

    // Double-click with no row selected adds too.
    page.LVSR->clearSelection();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 250), page.LVSR->viewport()->mapToGlobal(QPointF(5, 250)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page.LVSR->viewport(), &dbl);
    EXPECT_EQ(editor.edits, 3);
    EXPECT_EQ(page.Count(), 1);
}

TEST_F(FPSRManagerTest, KeysEditAndRemoveTheSelectedRowOnly) {
    add("a");
    add("b");
    add("c");
    page.LVSR->clearSelection();
    for (int key : {Qt::Key_Return, Qt::Key_Delete})
        pressKey(page.LVSR, key);
    page.AEdit->trigger();
    EXPECT_EQ(editor.edits, 3);
    EXPECT_EQ(rows(), QStringList({"+a", "+b", "+c"}));

    page.SelectRow(1);
    editor.script.push_back([](TSRInfo& r) {
        r.Source.ssText = "B";
        return true;
    });
    pressKey(page.LVSR, Qt::Key_Return);
    EXPECT_EQ(rows(), QStringList({"+a", "+B", "+c"}));
    pressKey(page.LVSR, Qt::Key_Delete);
    EXPECT_EQ(rows(), QStringList({"+a", "+c"}));
    EXPECT_EQ(page.SelectedRow(), 1); // the row that took the focus

    page.LVSR->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    page.AClear->trigger();
    EXPECT_EQ(page.Count(), 0);
    EXPECT_FALSE(page.HasCheckedRules());
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, "There is nothing to search for.");
}

TEST_F(FPSRManagerTest, MovesAndDropsKeepTheRuleItsMarkAndTheSelection) {
    add("a");
    add("b", {}, false);
    add("c");
    const TSRInfo* b = &page.Rule(1);

    page.LVSR->clearSelection();
    page.AMoveUp->trigger();
    page.AMoveDown->trigger();
    EXPECT_EQ(rows(), QStringList({"+a", "-b", "+c"}));
    page.SelectRow(0);
    page.AMoveUp->trigger();
    page.SelectRow(2);
    page.AMoveDown->trigger();
    EXPECT_EQ(rows(), QStringList({"+a", "-b", "+c"}));

    page.SelectRow(1);
    page.AMoveUp->trigger();
    EXPECT_EQ(rows(), QStringList({"-b", "+a", "+c"}));
    EXPECT_EQ(page.SelectedRow(), 0);
    EXPECT_EQ(&page.Rule(0), b);
    page.AMoveDown->trigger();
    page.AMoveDown->trigger();
    EXPECT_EQ(rows(), QStringList({"+a", "+c", "-b"}));
    EXPECT_EQ(page.SelectedRow(), 2);

    // Drops: onto a row lands before it; below the last row goes last; onto itself stays.
    page.SelectRow(2);
    drop(cellCenter(0, 1));
    EXPECT_EQ(rows(), QStringList({"-b", "+a", "+c"}));
    EXPECT_EQ(page.SelectedRow(), 0);
    drop(QPoint(30, page.LVSR->viewport()->height() - 3));
    EXPECT_EQ(rows(), QStringList({"+a", "+c", "-b"}));
    EXPECT_EQ(&page.Rule(2), b);
    drop(cellCenter(2, 2));
    EXPECT_EQ(rows(), QStringList({"+a", "+c", "-b"}));
    // Something that is no row of the list (dropped files) moves nothing.
    drop(cellCenter(0, 1), "text/uri-list");
    EXPECT_EQ(rows(), QStringList({"+a", "+c", "-b"}));
    // Editing after the moves works on the same rule.
    editor.script.push_back([&](TSRInfo& r) {
        EXPECT_EQ(&r, b);
        return true;
    });
    page.AEdit->trigger();
}

TEST_F(FPSRManagerTest, HintsShowOncePerCellAndOnlyWhenSwitchedOn) {
    const QString longText(5000, QChar('x'));
    add("search", longText);
    add(QString(300, QChar('s')) + "\nrest");
    EXPECT_EQ(page.LVSR->topLevelItem(1)->text(1).size(), 200);

    page.AShowHints->setChecked(false);
    mouseMove(cellCenter(0, 1));
    EXPECT_EQ(page.HintsShown(), 0);

    page.AShowHints->setChecked(true);
    mouseMove(cellCenter(0, 1));
    mouseMove(cellCenter(0, 1) + QPoint(2, 0));
    EXPECT_EQ(page.HintsShown(), 1);
    EXPECT_EQ(page.HintText(), "search");
    mouseMove(cellCenter(0, 2));
    EXPECT_EQ(page.HintsShown(), 2);
    EXPECT_EQ(page.HintText(), longText.left(4000) + QChar(0x2026));
    mouseMove(cellCenter(0, 3)); // the options column has no hint
    mouseMove(cellCenter(0, 0));
    EXPECT_EQ(page.HintsShown(), 2);
}

TEST_F(FPSRManagerTest, NarrowListKeepsTheColumnsItCanShow) {
    QHeaderView* h = page.LVSR->header();
    page.LVSR->resize(60, 200);
    EXPECT_EQ(h->sectionSize(1), h->minimumSectionSize());
    EXPECT_EQ(h->sectionSize(2), h->minimumSectionSize());
    EXPECT_EQ(h->sectionSize(0), 20);
}

TEST_F(FPSRManagerTest, SaveAndLoadListFiles) {
    add("a");
    add(QString::fromUtf8("б"), "c", false);
    const QString file = path("lists/mine.lsr");
    QDir().mkpath(path("lists"));

    chooser.pushSave(file);
    page.ASaveSRList->trigger();
    ASSERT_TRUE(exists(file));
    const std::string saved = readFile(file);
    const QString folder = bw::homeDir() + "LSR/";
    EXPECT_TRUE(QDir(folder).exists());
    ASSERT_EQ(chooser.requests().size(), 1u);
    EXPECT_EQ(chooser.requests()[0].folder, folder);
    EXPECT_EQ(chooser.requests()[0].defaultSuffix, "lsr");
    EXPECT_TRUE(chooser.requests()[0].filter.contains("*.lsr"));

    // Replacing asks; No leaves the old file.
    page.AClear->trigger();
    chooser.pushSave(file);
    prompt.push(bw::Answer::No);
    page.ASaveSRList->trigger();
    EXPECT_EQ(readFile(file), saved);

    chooser.pushFiles({file});
    page.ALoadSRList->trigger();
    EXPECT_EQ(rows(), QStringList({"+a", QString::fromUtf8("-б")}));
    EXPECT_EQ(chooser.requests().back().folder, folder);

    // Not a list or unreadable: a message naming the file, list unchanged.
    // Damaged (cut, or claiming more rules than it holds): the rules before
    // the damage are loaded, and one message names the file.
    std::string claims = saved;
    const std::size_t countAt = 4; // after the empty header
    ASSERT_EQ(claims.substr(countAt, 4), std::string("\x02\0\0\0", 4));
    claims[countAt] = 100;
    struct Bad {
        QString file;
        QStringList rows;
    };
    const QStringList both({"+a", QString::fromUtf8("-б")});
    const Bad bads[] = {
        {writeFile("notes.lsr", "Just some notes\r\nabout nothing\r\n"), {"+x"}},
        {path("missing.lsr"), {"+x"}},
        {writeFile("cut.lsr", saved.substr(0, saved.size() - 4)), {"+a"}},
        {writeFile("claims.lsr", claims), both},
    };
    for (const Bad& bad : bads) {
        SCOPED_TRACE(bad.file.toStdString());
        page.AClear->trigger();
        add("x");
        const std::size_t before = prompt.asked().size();
        chooser.pushFiles({bad.file});
        page.ALoadSRList->trigger();
        ASSERT_EQ(prompt.asked().size(), before + 1);
        EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(bad.file)));
        EXPECT_EQ(rows(), bad.rows);
    }
    page.LoadFromFile(file);
    // Cancel changes nothing.
    page.ALoadSRList->trigger();
    EXPECT_EQ(page.Count(), 2);

    // A save that cannot replace what is there says so and leaves it, with no part written.
    QDir().mkpath(path("lists/taken.lsr"));
    chooser.pushSave(path("lists/taken.lsr"));
    prompt.push(bw::Answer::Yes); // replace it
    prompt.push(bw::Answer::No);  // do not try again
    page.ASaveSRList->trigger();
    EXPECT_EQ(prompt.remaining(), 0u);
    EXPECT_TRUE(QFileInfo(path("lists/taken.lsr")).isDir());
    EXPECT_EQ(QDir(path("lists")).entryList(QDir::Files), QStringList({"mine.lsr"}));
    EXPECT_EQ(readFile(file), saved);
}

TEST_F(FPSRManagerTest, ProjectSectionLoadShowsTheRulesReadBeforeTheDamage) {
    add("old");
    TSRHeader header;
    TSRList list;
    list.Append(true, std::make_unique<TSRInfo>());
    list.Rule(0).Source.ssText = "p";
    list.Append(false, std::make_unique<TSRInfo>());
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    SaveRuleListBlock(out, header, list);
    bytes.chop(3);
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    EXPECT_THROW(page.LoadFromStream(in), bw::StreamReadError);
    EXPECT_EQ(rows(), QStringList({"+p"}));
}

TEST_F(FPSRManagerTest, ScreensAndAccessKeysInEnglishAndRussian) {
    add("first", "one");
    add(QString::fromUtf8("вторая\r\nстрока"), "", false);
    add("[S]x", "[1I]");
    page.SelectRow(1);
    bw::test::ShippedLanguages langs;
    langs.lm.RegisterForm(&page, 0);
    page.Texts = langs.texts();
    for (int lang : {0, 1}) {
        langs.lm.SetCurrentLang(lang);
        page.SetColumnCaptions();
        const QStringList bar = bw::test::actionCaptions(page.ATBSR->actions() + page.PMList->actions());
        EXPECT_EQ(bw::test::sharedAccessKeys(bar), QStringList()) << lang;
        EXPECT_EQ(bw::test::sharedAccessKeys(static_cast<QWidget&>(page)), QStringList()) << lang;
        QCoreApplication::sendPostedEvents();
        ASSERT_FALSE(bw::test::saveScreen(page, lang ? "FPSRManager_ru" : "FPSRManager_en").isEmpty());
    }
    EXPECT_EQ(page.LVSR->headerItem()->text(3), QString::fromUtf8("Свойства"));
}

} // namespace
