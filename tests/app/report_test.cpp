#include "app/report.h"

#include <gtest/gtest.h>

#include "tests/app/runfixture.h"

using bw::test::FakeTexts;

namespace {

TFileLineFacts Facts(TOnFoundActionType action, int f, int c, bool modified,
                     TSaveOutcome save = TSaveOutcome::NotModified) {
    TFileLineFacts facts;
    facts.Path = "/d/a.htm";
    facts.CodePage = "Win-1251";
    facts.Action = action;
    facts.Finds = f;
    facts.Replacements = c;
    facts.Modified = modified;
    facts.Save = modified && save == TSaveOutcome::NotModified ? TSaveOutcome::Saved : save;
    return facts;
}

} // namespace

TEST(ReportFileLine, LinesByActionCountsAndOptions) {
    struct Case {
        const char* name;
        TFileLineFacts facts;
        TReportOptions options;
        QStringList expected;
    };
    TReportOptions all;
    TReportOptions noFound = all;
    noFound.CBFound = false;
    TReportOptions noSNotFound = all;
    noSNotFound.CBSNotFound = false;
    TReportOptions noChanged = all;
    noChanged.CBChanged = false;
    TReportOptions noNotChanged = all;
    noNotChanged.CBNotChanged = false;
    TReportOptions noRNotFound = all;
    noRNotFound.CBRNotFound = false;

    const Case cases[] = {
        {"find-only with finds", Facts(ofatDontChange, 3, 0, false), all, {"found /d/a.htm 3 (Win-1251)"}},
        {"find-only with finds, box off", Facts(ofatDontChange, 3, 0, false), noFound, {}},
        {"find-only without finds", Facts(ofatDontChange, 0, 0, false), all, {"found /d/a.htm 0 (Win-1251)"}},
        {"find-only without finds, box off", Facts(ofatDontChange, 0, 0, false), noSNotFound, {}},
        {"replace accepted", Facts(ofatReplace, 2, 2, true), all, {"changed /d/a.htm C2 F2"}},
        {"replace accepted, box off", Facts(ofatReplace, 2, 2, true), noChanged, {}},
        {"replace all declined", Facts(ofatReplace, 2, 0, false), all, {"declined /d/a.htm 2"}},
        {"replace all declined, box off", Facts(ofatReplace, 2, 0, false), noNotChanged, {}},
        {"replace found nothing", Facts(ofatReplace, 0, 0, false), all, {"nothing /d/a.htm 0"}},
        {"replace found nothing, box off", Facts(ofatReplace, 0, 0, false), noRNotFound, {}},
        {"delete declined gives no line", Facts(ofatDelete, 2, 0, false), all, {}},
        {"write to file gives no line", Facts(ofatWriteToFile, 4, 4, false), all, {}},
        {"insert accepted", Facts(ofatInsertAfter, 1, 1, true), all, {"changed /d/a.htm C1 F1"}},
        {"save given up", Facts(ofatReplace, 2, 2, true, TSaveOutcome::GaveUp), all, {"/d/a.htm: the changes were not saved"}},
        {"save given up, changed box off", Facts(ofatReplace, 2, 2, true, TSaveOutcome::GaveUp), noChanged,
         {"/d/a.htm: the changes were not saved"}},
    };
    for (const Case& c : cases) {
        TReport report;
        ReportFileLine(report, c.options, FakeTexts(), c.facts);
        EXPECT_EQ(report.Lines(), c.expected) << c.name;
    }
}

TEST(ReportFileLine, OwnLinesFallBackToEnglishAndNameTheCodePage) {
    TReport report;
    TFileLineFacts lossy = Facts(ofatReplace, 1, 1, true, TSaveOutcome::Lossy);
    lossy.CodePage = "KOI8-R";
    ReportFileLine(report, {}, FakeTexts(), lossy);
    TFileLineFacts capped = Facts(ofatReplace, 100, 100, true);
    capped.PassCapReached = true;
    ReportFileLine(report, {}, FakeTexts(), capped);
    ReportUnknownCodePage(report, FakeTexts(), "/d/a.htm", "CP-XYZ");

    ASSERT_EQ(report.Count(), 4);
    EXPECT_TRUE(report[0].startsWith("/d/a.htm: not saved")) << report[0].toStdString();
    EXPECT_TRUE(report[0].contains("KOI8-R"));
    EXPECT_EQ(report[1], "changed /d/a.htm C100 F100");
    EXPECT_TRUE(report[2].contains("stopped")) << report[2].toStdString();
    EXPECT_EQ(report[3], "/d/a.htm: code page \"CP-XYZ\" is unknown, the rule skipped it");
}

TEST(AddSummary, FormFollowsLastActionAndSitsAboveTheLines) {
    TSummaryCounts counts{3, 5, 7, 2, 4, 1};
    TReport replace;
    replace.Append("PLUS");
    replace.Append("line");
    AddSummary(replace, {}, FakeTexts(), ofatReplace, counts);
    EXPECT_EQ(replace.Lines(), (QStringList{"REPORT", "processed 3 of 5", "changed files 1 of 5", "changes 4 of 7", "",
                                            "PLUS", "line"}));

    TReport find;
    AddSummary(find, {}, FakeTexts(), ofatDontChange, counts);
    EXPECT_EQ(find.Lines(), (QStringList{"REPORT", "processed 3 of 5", "files with finds 2", "finds 7"}));

    TReportOptions off;
    off.CBSummary = false;
    TReport none;
    AddSummary(none, off, FakeTexts(), ofatReplace, counts);
    EXPECT_TRUE(none.IsEmpty());

    AddConvertReportHeader(none, FakeTexts(), {2, 5});
    EXPECT_EQ(none.Lines(), (QStringList{"REPORT", "processed 2 of 5", "", "PLUS"}));
}

namespace {

struct FakeGaugeView : TGaugeView {
    QString title = "Brindlewick";
    QStringList titles;
    QString panel;
    bool visible = false;
    int progress = -1;
    QString Title() const override { return title; }
    void SetTitle(const QString& t) override {
        title = t;
        titles << t;
    }
    void SetPanelText(const QString& t) override { panel = t; }
    void SetProgress(int p, int) override { progress = p; }
    void SetGaugeVisible(bool v) override { visible = v; }
};

} // namespace

TEST(TMyGauge, TitleShowsWholePercentOnlyWhenItRises) {
    FakeGaugeView view;
    TMyGauge gauge(view, FakeTexts());
    gauge.Start(3);
    EXPECT_TRUE(view.visible);
    for (const char* name : {"a", "b", "c", "d"}) // one step too many stays at the maximum
        gauge.Step(name);
    EXPECT_EQ(view.titles, (QStringList{"{33%} Working - Brindlewick", "{66%} Working - Brindlewick",
                                        "{100%} Working - Brindlewick"}));
    EXPECT_EQ(gauge.Progress(), 3);
    EXPECT_EQ(view.panel, "d");
    gauge.Finish();
    EXPECT_EQ(view.title, "Brindlewick");
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(view.panel, "");

    view.titles.clear();
    gauge.Start(200);
    for (int i = 0; i < 200; ++i)
        gauge.Step("x");
    EXPECT_EQ(view.titles.size(), 100);
    EXPECT_EQ(view.titles.front(), "{1%} Working - Brindlewick");

    gauge.Finish();
    gauge.Start(0); // no files: no division by zero
    gauge.Step("x");
    EXPECT_EQ(gauge.Progress(), 0);
}
