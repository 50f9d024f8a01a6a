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

QStringList LinesFor(const TFileLineFacts& facts, const TReportOptions& options = {}) {
    TReport report;
    ReportFileLine(report, options, FakeTexts(), facts);
    return report.Lines();
}

} // namespace

// Each line comes with all boxes on and goes when its own box is off.
TEST(ReportFileLine, LinesByActionCountsAndOptions) {
    struct Case {
        const char* name;
        TFileLineFacts facts;
        bool TReportOptions::*box;
        QString line;
    };
    const Case cases[] = {
        {"find-only with finds", Facts(ofatDontChange, 3, 0, false), &TReportOptions::CBFound,
         "found /d/a.htm 3 (Win-1251)"},
        {"find-only without finds", Facts(ofatDontChange, 0, 0, false), &TReportOptions::CBSNotFound,
         "found /d/a.htm 0 (Win-1251)"},
        {"replace accepted", Facts(ofatReplace, 2, 2, true), &TReportOptions::CBChanged, "changed /d/a.htm C2 F2"},
        {"insert accepted", Facts(ofatInsertAfter, 1, 1, true), &TReportOptions::CBChanged, "changed /d/a.htm C1 F1"},
        {"replace all declined", Facts(ofatReplace, 2, 0, false), &TReportOptions::CBNotChanged, "declined /d/a.htm 2"},
        {"replace found nothing", Facts(ofatReplace, 0, 0, false), &TReportOptions::CBRNotFound, "nothing /d/a.htm 0"},
        {"delete declined", Facts(ofatDelete, 2, 0, false), nullptr, ""},
        {"write to file", Facts(ofatWriteToFile, 4, 4, false), nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinesFor(c.facts), c.line.isEmpty() ? QStringList() : QStringList{c.line}) << c.name;
        if (c.box) {
            TReportOptions off;
            off.*c.box = false;
            EXPECT_EQ(LinesFor(c.facts, off), QStringList()) << c.name << ", box off";
        }
    }
    // A save given up is said even with the changed lines off.
    TReportOptions noChanged;
    noChanged.CBChanged = false;
    EXPECT_EQ(LinesFor(Facts(ofatReplace, 2, 2, true, TSaveOutcome::GaveUp), noChanged),
              QStringList{"/d/a.htm: the changes were not saved"});
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
    bool visible = false;
    QString Title() const override { return title; }
    void SetTitle(const QString& t) override { titles << (title = t); }
    void SetPanelText(const QString&) override {}
    void SetProgress(int, int) override {}
    void SetGaugeVisible(bool v) override { visible = v; }
};

} // namespace

TEST(TMyGauge, TitleShowsWholePercentOnlyWhenItRises) {
    FakeGaugeView view;
    TMyGauge gauge(view, FakeTexts());
    gauge.Start(3);
    for (const char* name : {"a", "b", "c", "d"}) // one step too many stays at the maximum
        gauge.Step(name);
    EXPECT_EQ(view.titles, (QStringList{"{33%} Working - Brindlewick", "{66%} Working - Brindlewick",
                                        "{100%} Working - Brindlewick"}));
    EXPECT_EQ(gauge.Progress(), 3);
    gauge.Finish();
    EXPECT_EQ(view.title, "Brindlewick");
    EXPECT_FALSE(view.visible);

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
