#include "app/pluginhost.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "app/htmltotext.h"
#include "app/simplechanger.h"
#include "platform/error.h"
#include "tests/app/recordingreport.h"
#include "tests/app/runfixture.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

// A plug-in that writes every call into a shared log as "<name>.<call>".
class LoggingPlugin : public IPlugin {
public:
    LoggingPlugin(QString name, QStringList& log) : name_(std::move(name)), log_(log) {}
    ~LoggingPlugin() override { log_ << name_ + ".destroyed"; }

    QString GetName() const override { return name_; }
    bool ShowConfig(QWidget*) override { return log_ << name_ + ".show", true; }
    bool Prepare() override { return log_ << name_ + ".prepare", true; }
    bool HideConfig() override { return log_ << name_ + ".hide", true; }
    bool Process(TInfo info) override {
        log_ << name_ + ".process " + QFileInfo(info.FileName).fileName();
        if (onProcess)
            return onProcess(info);
        // Changes its own copy only.
        info.FileName += ".changed";
        return true;
    }
    std::function<bool(TInfo&)> onProcess;

private:
    QString name_;
    QStringList& log_;
};

// One of the built-in plug-ins' work with a fixed selection.
class WorkPlugin : public IPlugin {
public:
    using Work = bool (*)(TInfo, const TPluginSelection&);
    WorkPlugin(QString name, Work work, TPluginSelection selection)
        : name_(std::move(name)), work_(work), selection_(std::move(selection)) {}
    QString GetName() const override { return name_; }
    bool ShowConfig(QWidget*) override { return true; }
    bool Prepare() override { return true; }
    bool HideConfig() override { return true; }
    bool Process(TInfo info) override { return work_(std::move(info), selection_); }

private:
    QString name_;
    Work work_;
    TPluginSelection selection_;
};

bool SimpleChange(TInfo info, const TPluginSelection& s) { return SimpleChangerProcess(info, s); }

class PluginHostTest : public test::RunTest {
protected:
    PluginHostTest() {
        parts.Reporter = &reporter;
        parts.Texts = texts;
        parts.Gauge = &gauge;
        parts.BeforeRun = [this] { run.BeforeRun(); };
        parts.AfterRun = [this] { run.AfterRun(); };
        parts.GetFilesToProcess = [this](QStringList& out) { host.GetFilesToProcess(out); };
        parts.ShowInFiles = [this] { host.ShowPage(TRunPage::InFiles); };
        parts.PumpEvents = [this] {
            ++pumps;
            progress << gauge.Progress();
            if (onPump)
                onPump();
        };
        parts.MakeBackup = [this](const QString& p) { return backup(p); };
        parts.BusyChanged = [this] { busyLog << plugins->Applying(); };
    }

    // Lists logging plug-ins named a, b, ... and checks those given.
    void ListLogging(const QStringList& names, const QList<int>& checked) {
        std::vector<TPluginFactory> table;
        for (const QString& n : names)
            table.push_back([this, n] {
                auto p = std::make_unique<LoggingPlugin>(n, log);
                made.push_back(p.get());
                return std::unique_ptr<IPlugin>(std::move(p));
            });
        plugins = std::make_unique<TPluginHost>(std::move(table));
        plugins->Link();
        for (int i : checked)
            plugins->SetChecked(i, true);
    }

    TMyReporter reporter{report};
    TApplyParts parts{run.FilesToProcess};
    QStringList log; // outlives the plug-ins that write to it
    std::unique_ptr<TPluginHost> plugins;
    std::vector<LoggingPlugin*> made;
    QList<bool> busyLog;
    int pumps = 0;
    QList<int> progress; // the gauge at each pump
    std::function<void()> onPump;
};

} // namespace

// Listing, switching panels and Refresh, as one user session.
TEST_F(PluginHostTest, ListingSwitchingAndRefresh) {
    const QString longName(300, QLatin1Char('n'));
    std::vector<TPluginFactory> table{
        [this] { return std::unique_ptr<IPlugin>(new LoggingPlugin("a", log)); },
        [] { return std::unique_ptr<IPlugin>(); }, // a class without the interface is left out
        [this, longName] { return std::unique_ptr<IPlugin>(new LoggingPlugin(longName, log)); },
    };
    TPluginHost host(table);
    EXPECT_EQ(host.Count(), 0);
    EXPECT_EQ(host.ShownPluginIndex(), -1);
    host.Link();
    ASSERT_EQ(host.Count(), 2);
    EXPECT_EQ(host.Name(0), "a");
    EXPECT_EQ(host.Name(1), longName.left(255));
    EXPECT_EQ(host.ItemIndex(), 0);
    EXPECT_EQ(host.ShownPluginIndex(), -1);
    EXPECT_FALSE(host.AnyChecked());
    EXPECT_TRUE(log.isEmpty()) << "no panel before the user selects an item";

    host.Click(nullptr);
    host.Click(nullptr); // the shown one again: nothing
    host.SetItemIndex(1);
    host.Click(nullptr);
    const QString b = longName;
    EXPECT_EQ(log, QStringList({"a.show", "a.hide", b + ".show"}));
    EXPECT_EQ(host.ShownPluginIndex(), 1);

    // Refresh while a panel is shown: every plug-in goes (the shown one's
    // panel with it), both come back unchecked, item 0 selected, no panel.
    host.SetChecked(0, true);
    host.SetChecked(1, true);
    host.SetChecked(7, true); // outside the list: nothing
    log.clear();
    host.Link();
    EXPECT_EQ(log, QStringList({"a.destroyed", b + ".destroyed"}));
    EXPECT_EQ(host.Count(), 2);
    EXPECT_FALSE(host.AnyChecked());
    EXPECT_EQ(host.ItemIndex(), 0);
    EXPECT_EQ(host.ShownPluginIndex(), -1);
    EXPECT_EQ(host.Plugin(2), nullptr);

    // Apply's state: a node in the tree and a checked plug-in.
    EXPECT_FALSE(host.CanApply(true));
    host.SetChecked(1, true);
    EXPECT_FALSE(host.CanApply(false));
    EXPECT_TRUE(host.CanApply(true));

    log.clear();
    host.Unlink();
    EXPECT_EQ(log, QStringList({"a.destroyed", b + ".destroyed"}));
    EXPECT_EQ(host.Count(), 0);
}

// The road of an Apply run over a list with a file deleted since it was
// listed: backups, calls in list order with a copy of the record each, one
// gauge step and one pump per existing file, nothing for the missing one.
TEST_F(PluginHostTest, ApplyRunsTheCheckedPluginsInListOrderPerExistingFile) {
    ListLogging({"a", "b", "c"}, {0, 2});
    const QString one = AddFile("one.txt", "1");
    const QString gone = AddFile("gone.txt", "2");
    const QString two = AddFile("two.txt", "3");
    QFile::remove(gone);
    QStringList seenByC;
    made[2]->onProcess = [&](TInfo& info) {
        seenByC << info.FileName;
        EXPECT_TRUE(info.Continue);
        EXPECT_EQ(info.Report, &reporter);
        return false; // a failure result is not looked at
    };
    made[0]->onProcess = [](TInfo& info) {
        info.FileName += ".txt";
        info.Report->AddLine("a wrote " + QFileInfo(info.FileName).fileName());
        return true;
    };
    report.Append("old line");
    plugins->Apply(parts);

    EXPECT_EQ(log, QStringList({"a.prepare", "a.process one.txt", "c.prepare", "c.process one.txt", "a.prepare",
                                "a.process two.txt", "c.prepare", "c.process two.txt"}));
    EXPECT_EQ(seenByC, QStringList({one, two}));
    EXPECT_EQ(backups, QStringList({one, two}));
    EXPECT_EQ(report.Lines(), QStringList({"a wrote one.txt.txt", "a wrote two.txt.txt"})) << "no header, no summary";
    EXPECT_EQ(gauge.Maximum(), 3);
    EXPECT_EQ(gauge.Progress(), 0) << "finished";
    EXPECT_EQ(progress, QList<int>({1, 2})) << "a step, then a pump, per existing file";
    EXPECT_EQ(host.pages, QStringList({QString::number(int(TRunPage::InFiles))}));
    EXPECT_EQ(run.FilesToProcess, QStringList({one, gone, two})) << "kept until the next fill";
    EXPECT_EQ(busyLog, QList<bool>({true, false}));
    EXPECT_FALSE(plugins->Applying());
}

// A backup the user aborts skips that file with a report line; the run goes
// on. With no file listed nothing starts.
TEST_F(PluginHostTest, AbortedBackupSkipsTheFileAndAnEmptyListStartsNothing) {
    source = [](const QString& key) {
        return key == "szBackupAbortedSkipped" ? QString("skipped %s") : QString();
    };
    ListLogging({"a"}, {0});
    const QString one = AddFile("one.txt", "1");
    const QString two = AddFile("two.txt", "2");
    backup = [&](const QString& p) {
        backups << p;
        return p != one;
    };
    plugins->Apply(parts);
    EXPECT_EQ(log, QStringList({"a.prepare", "a.process two.txt"}));
    EXPECT_EQ(report.Lines(), QStringList({"skipped " + one}));
    EXPECT_EQ(progress, QList<int>({1, 2}));

    host.files.clear();
    log.clear();
    busyLog.clear();
    report.Clear();
    plugins->Apply(parts);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(busyLog.isEmpty());
    EXPECT_TRUE(host.pages.size() == 1) << "no page shown for an empty list";
}

// An exception from a plug-in ends the run with a message naming the file;
// the closing steps still run, their clearing options and page choice apply,
// and nothing is passed on.
TEST_F(PluginHostTest, ExceptionEndsTheRunWithAMessageAndTheClosingSteps) {
    source = [](const QString& key) { return key == "szPluginsStopped" ? QString("stopped at %s: %s") : QString(); };
    ListLogging({"a", "b"}, {0, 1});
    AddFile("one.txt", "1");
    const QString bad = AddFile("bad.txt", "2");
    AddFile("three.txt", "3");
    made[0]->onProcess = [&](TInfo& info) {
        if (info.FileName == bad)
            throw std::runtime_error("disk gone");
        return true;
    };
    host.options.ClearInFiles = true;
    host.options.GoTo = TRunPage::Report;
    EXPECT_NO_THROW(plugins->Apply(parts));
    EXPECT_EQ(log, QStringList({"a.prepare", "a.process one.txt", "b.prepare", "b.process one.txt", "a.prepare",
                                "a.process bad.txt"}));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, "stopped at " + bad + ": disk gone");
    EXPECT_TRUE(host.files.isEmpty()) << "the file tree was cleared after the run";
    EXPECT_EQ(host.pages.last(), QString::number(int(TRunPage::Report)));
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_FALSE(plugins->Applying());

    // A bw::Error from the list's fill is shown too, and nothing starts.
    parts.GetFilesToProcess = [](QStringList&) { throw Error("no tree"); };
    log.clear();
    EXPECT_NO_THROW(plugins->Apply(parts));
    EXPECT_EQ(prompt.asked().back().text, "no tree");
    EXPECT_TRUE(log.isEmpty());

    // Anything else thrown is named in the language's words.
    source = [](const QString& key) { return key == "szUnknownError" ? QString::fromUtf8("неизвестная ошибка") : QString(); };
    parts.GetFilesToProcess = [](QStringList&) { throw 42; };
    EXPECT_NO_THROW(plugins->Apply(parts));
    EXPECT_EQ(prompt.asked().back().text, QString::fromUtf8("неизвестная ошибка"));
}

// While Apply pumps events nothing started from the queue reaches it: another
// Apply, Refresh and releasing the plug-ins do nothing, and a list emptied
// under it does not stop it.
TEST_F(PluginHostTest, EventsPumpedDuringApplyCannotChangeIt) {
    ListLogging({"a"}, {0});
    AddFile("one.txt", "1");
    AddFile("two.txt", "2");
    int nested = 0;
    onPump = [&] {
        if (!plugins->Applying())
            return;
        ++nested;
        plugins->Apply(parts);
        plugins->Link();
        plugins->Unlink();
        run.FilesToProcess.clear();
    };
    plugins->Apply(parts);
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(log, QStringList({"a.prepare", "a.process one.txt", "a.prepare", "a.process two.txt"}));
    EXPECT_EQ(plugins->Count(), 1);
    EXPECT_TRUE(plugins->Checked(0)) << "Refresh did nothing during Apply";
}

// The two built-in plug-ins' work in list order: the HTML plug-in reads what
// the line-end plug-in saved, a path of any length and a read-only file reach
// them, and when the user gives up the first one's save the second still runs.
TEST_F(PluginHostTest, BothPluginsOnRealFiles) {
    std::vector<TPluginFactory> table{
        [] { return std::unique_ptr<IPlugin>(new WorkPlugin(SimpleChangerName, SimpleChange, {false, true})); },
        [] { return std::unique_ptr<IPlugin>(new WorkPlugin(HtmlToTextName, HtmlToTextProcess, {true, true})); },
    };
    plugins = std::make_unique<TPluginHost>(table);
    plugins->Link();
    plugins->SetChecked(0, true);
    plugins->SetChecked(1, true);
    QString deep = QString(120, 'd') + "/";
    deep = deep + deep + deep + deep + deep + deep + deep + deep + deep; // over 1000 characters
    const QString page = AddFile(deep + "page.htm", "<p>one</p>\r\n<br>two\r\n");
    ASSERT_GT(page.size(), 1000);
    QFile::setPermissions(page, QFileDevice::ReadOwner | QFileDevice::ReadGroup); // read-only: saved all the same
    plugins->Apply(parts);
    EXPECT_EQ(readFile(page), "<p>one</p>\n<br>two\n");
    EXPECT_EQ(readFile(page + ".txt"), "one \r\ntwo ");
    EXPECT_EQ(report.Lines(), QStringList({page + SimpleChangerOperations[1].Suffix}));

    // The first plug-in's save given up: the second reads the file as it was.
    std::vector<TPluginFactory> failing{
        [this] {
            auto p = std::make_unique<LoggingPlugin>("first", log);
            p->onProcess = [](TInfo&) { return !bw::prompt().yesNo("", "Try again?"); };
            return std::unique_ptr<IPlugin>(std::move(p));
        },
        table[1],
    };
    plugins = std::make_unique<TPluginHost>(failing);
    plugins->Link();
    plugins->SetChecked(0, true);
    plugins->SetChecked(1, true);
    host.files = {writeFile("second.htm", "<b>x</b>\r\n")};
    prompt.push(Answer::No);
    plugins->Apply(parts);
    EXPECT_EQ(readFile(path("second.htm.txt")), "x ");
    EXPECT_EQ(prompt.remaining(), 0u);
}
