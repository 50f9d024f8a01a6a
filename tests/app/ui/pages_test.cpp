// The conversion page, the flat page control and the title rule.

#include <QApplication>
#include <QBuffer>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <gtest/gtest.h>

#include "app/mainunit.h"
#include "app/ui/fconvert.h"
#include "engine/codepages.h"
#include "services/ui/pagecontrolex.h"
#include "tests/support/screens.h"
#include "tests/support/testutil.h"

namespace {

TEST(FlatPageRect, FollowsTheBorders) {
    const QRect standard(QPoint(4, 24), QPoint(195, 145)); // where a plain page control puts the page
    const QSize client(200, 150);
    struct Case {
        TEdgeBorders borders;
        QRect expected; // left, top, right, bottom as first pixels outside
    } cases[] = {
        {ebTop, QRect(QPoint(0, 21), QPoint(199, 149))},
        {TEdgeBorders(), QRect(QPoint(0, 20), QPoint(199, 149))},
        {ebLeft | ebTop | ebRight | ebBottom, QRect(QPoint(1, 21), QPoint(198, 148))},
        {ebLeft | ebBottom, QRect(QPoint(1, 20), QPoint(199, 148))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FlatPageRect(standard, client, c.borders), c.expected) << int(c.borders);
}

TEST(PageControlEx, FlatPagesSpanTheControl) {
    TPageControlEx plain, flat;
    flat.Flat = true;
    flat.EdgeBorders = ebTop;
    for (TPageControlEx* pc : {&plain, &flat}) {
        pc->addTab(new QWidget, QStringLiteral("One"));
        pc->addTab(new QWidget, QStringLiteral("Two"));
        pc->resize(300, 200);
        pc->show();
    }
    QApplication::processEvents();
    const QRect p = plain.findChild<QStackedWidget*>()->geometry();
    const QRect f = flat.findChild<QStackedWidget*>()->geometry();
    EXPECT_EQ(f.left(), 0);
    EXPECT_EQ(f.width(), 300);
    EXPECT_EQ(f.bottom(), 199);
    EXPECT_LE(f.top(), p.top());
    EXPECT_GT(f.top(), flat.tabBar()->geometry().bottom()); // never over the tabs
    // Laid out again (a resize, another tab): the page stays where the rule puts it.
    flat.resize(320, 200);
    flat.addTab(new QWidget, QStringLiteral("Three"));
    QApplication::processEvents();
    EXPECT_EQ(flat.findChild<QStackedWidget*>()->geometry().width(), 320);
    EXPECT_EQ(flat.findChild<QStackedWidget*>()->geometry().top(), f.top());
    // Switched off, the page goes back to the standard place.
    flat.Flat = false;
    flat.Relayout();
    EXPECT_NE(flat.findChild<QStackedWidget*>()->geometry().left(), 0);
}

TEST(ProjectTitle, NamesTheFileWithoutFolderAndExtension) {
    const std::pair<QString, QString> cases[] = {
        {"New project", "Brindlewick - New project"},
        {"/home/u/Projects/job.bwp", "Brindlewick - job"},
        {"/home/u/a.b.bwp", "Brindlewick - a.b"},
        {"C:\\Work\\x.y\\plain", "Brindlewick - plain"},
        {"/home/u.v/noext", "Brindlewick - noext"},
    };
    for (const auto& [path, title] : cases)
        EXPECT_EQ(ProjectTitle(path), title) << path.toStdString();
}

TEST(SchemeButtons, StackAroundTheMiddle) {
    const TButtonTops design = SchemeButtonTops(174, 25);
    EXPECT_EQ(design.Add, 52);
    EXPECT_EQ(design.Remove, 80);
    EXPECT_EQ(design.RemoveAll, 108);
    EXPECT_EQ(SchemeButtonTops(60, 25).Add, -4); // truncated toward zero: (60 - 75 + 6) / 2
}

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

using ConvertPage = bw::test::TempDirTest;

TEST_F(ConvertPage, SourcesFillOnTheFirstEntryOnly) {
    TFConvert page;
    EXPECT_FALSE(page.AddSelectedStep()); // never visited: nothing is selected
    page.FrameEnter();
    EXPECT_EQ(Items(page.LBCP1).size(), 8);
    EXPECT_EQ(page.LBCP1->currentItem()->text(), "Win-1251");
    EXPECT_EQ(Items(page.LBCP2), QStringList({"866", "KOI8-R", "ISO 8859-5", "Macintosh", "Unicode (UCS-2)", "UTF-8"}));
    EXPECT_EQ(page.LBCP2->currentRow(), 0);
    page.LBCP1->setCurrentRow(7); // Automatic
    EXPECT_EQ(Items(page.LBCP2).size(), 7);
    EXPECT_TRUE(Items(page.LBCP2).contains("Win-1251"));
    page.FrameEnter();
    EXPECT_EQ(page.LBCP1->currentRow(), 7);
    EXPECT_EQ(Items(page.LBCP2).size(), 7);
}

TEST_F(ConvertPage, StepsAreAddedAndRemovedWithTheirSelection) {
    TFConvert page;
    page.FrameEnter();
    // A double-click on a source is preceded by its click: the first target.
    page.LBCP1->setCurrentRow(1); // 866
    emit page.LBCP1->itemDoubleClicked(page.LBCP1->item(1));
    ASSERT_EQ(Items(page.LBScheme), QStringList({"866 -> Win-1251"}));
    page.LBCP2->setCurrentRow(1);
    page.BAdd->click();
    emit page.LBCP2->itemDoubleClicked(page.LBCP2->item(1));
    ASSERT_EQ(page.LBScheme->count(), 3);
    EXPECT_EQ(page.LBScheme->currentRow(), 2);

    page.LBScheme->setCurrentRow(1);
    page.BRemove->click(); // the middle one: the selection stays at 1
    EXPECT_EQ(page.LBScheme->count(), 2);
    EXPECT_EQ(page.LBScheme->currentRow(), 1);
    page.BRemove->click(); // the last one: the new last is selected
    EXPECT_EQ(page.LBScheme->count(), 1);
    EXPECT_EQ(page.LBScheme->currentRow(), 0);
    page.LBScheme->setCurrentRow(-1);
    page.BRemove->click(); // nothing selected: nothing goes
    EXPECT_EQ(page.LBScheme->count(), 1);
    page.BRemoveAll->click();
    EXPECT_EQ(page.LBScheme->count(), 0);
    page.BRemove->click(); // on an empty scheme
    EXPECT_EQ(page.LBScheme->count(), 0);
}

TEST_F(ConvertPage, LoadedStepsAreAppendedAndShown) {
    TFConvert page;
    page.AddStep(3);
    page.AddStep(10);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    page.SaveScheme(buffer);
    buffer.seek(0);
    page.LoadScheme(buffer);
    EXPECT_EQ(page.LBScheme->count(), 4);
    EXPECT_EQ(page.LBScheme->currentRow(), 3);
    EXPECT_EQ(page.LBScheme->item(2)->text(), page.Scheme().Caption(0));
    page.AddStep(ConversionCount); // outside the table: refused
    EXPECT_EQ(page.LBScheme->count(), 4);
}

TEST_F(ConvertPage, ConvertsAFileWithOneReportLine) {
    TFConvert page;
    page.AddStep(FindConversion(cpWin1251, cpKOI8R));
    const QString file = writeFile("a.txt", "\xE0\xE1");
    TReport report;
    EXPECT_TRUE(page.ConvertFile(file, report, [](const QString& key) {
        return key == "szConvertedFile" ? QStringLiteral("%s: %s") : QString();
    }));
    EXPECT_EQ(readFile(file), "\xC1\xC2");
    ASSERT_EQ(report.Count(), 1);
    EXPECT_EQ(report[0], file + ": Win-1251 -> KOI8-R");
}

} // namespace
