#include "app/processrun.h"

#include "engine/codepages.h"
#include "services/fileroutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>
#include "tests/app/runfixture.h"

using namespace bw::test;

using ProcessRunTest = RunTest;

TEST_F(ProcessRunTest, EveryCheckedRuleOverEveryFileThenTheSummary) {
    const QString a = AddFile("a.txt", "cat dog");
    const QString b = AddFile("b.txt", "dog");
    const QString c = AddFile("c.txt", "bird");
    AddRule(ReplaceRule("cat", "CAT"));
    AddRule(ReplaceRule("bird", "BIRD"), false);
    AddRule(ReplaceRule("dog", "DOG"));
    run.AStartExecute();

    EXPECT_EQ(readFile(a), "CAT DOG");
    EXPECT_EQ(readFile(b), "DOG");
    EXPECT_EQ(readFile(c), "bird");
    // The summary counts files: a was changed by two rules, b by one.
    EXPECT_EQ(report.Lines(), (QStringList{
                                  "REPORT", "processed 3 of 3", "changed files 2 of 3", "changes 3 of 3", "", "PLUS",
                                  "changed " + a + " C1 F1", "changed " + a + " C1 F1", "nothing " + b + " 0",
                                  "changed " + b + " C1 F1", "nothing " + c + " 0", "nothing " + c + " 0"}));
    EXPECT_EQ(host.stepsShown, 0); // the gauge went through its three steps and was reset by Finish
    EXPECT_EQ(host.title, "Brindlewick");
    ExpectIdle();
}

TEST_F(ProcessRunTest, CodePagesEachPassAndStopAfterAFind) {
    // "Da" in KOI8-R (E4 C1), then in Win-1251 (C4 E0).
    const QString both = AddFile("both.txt", "\xE4\xC1 \xC4\xE0");
    AddRule(ReplaceRule(QString::fromUtf8("\xD0\x94\xD0\xB0"), "", "Win-1251,KOI8-R"));
    host.rules[0].second.Source.sbStopCPChange = false;
    view.script = {Answer(&TProcessController::YesToFile)}; // lasts over the rule's code pages on this file
    run.AStartExecute();
    // Both code pages ran; the second line counts the first code page's find too.
    EXPECT_EQ(report.Lines().mid(5), (QStringList{"found " + both + " 1 (Win-1251)", "found " + both + " 2 (KOI8-R)"}));
    // Finds in two code pages of one file: one file with finds.
    EXPECT_EQ(report.Lines().mid(0, 4), (QStringList{"REPORT", "processed 1 of 1", "files with finds 1", "finds 2"}));

    host.files = {both};
    host.rules[0].second.Source.sbStopCPChange = true;
    view.script = {Answer(&TProcessController::Yes)};
    run.AStartExecute();
    EXPECT_EQ(report.Lines().mid(4), (QStringList{"PLUS", "found " + both + " 1 (Win-1251)"}));
    EXPECT_EQ(view.shows, 2);
}

// Saving back in the code page read in is the default (the end-to-end run
// shows it); a rule can turn it off.
TEST_F(ProcessRunTest, SavedInTheWorkingCodePageWhenTheRuleSaysSo) {
    const QString koi = AddFile("koi.txt", "\xE4\xC1 x"); // "Da x" in KOI8-R
    AddRule(ReplaceRule("x", "y", "KOI8-R"));
    host.rules[0].second.Source.sbSaveCP = false;
    run.AStartExecute();
    EXPECT_EQ(readFile(koi), "\xC4\xE0 y");
}

TEST_F(ProcessRunTest, AnswersLastForTheRuleExceptACarriedYesToAll) {
    const QString a = AddFile("a.txt", "x x");
    const QString b = AddFile("b.txt", "x y");
    AddRule(ReplaceRule("x", "X", "Win-1251", true));
    AddRule(ReplaceRule("y", "Y", "Win-1251", true));
    // a: No to the first x, Yes to File for the rest of rule 1; rule 2 finds nothing.
    // b: rule 1 asks again (answers end with the rule); Yes to All carries to rule 2.
    view.script = {Answer(&TProcessController::No), Answer(&TProcessController::YesToFile),
                   Answer(&TProcessController::YesToAll)};
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "x X");
    EXPECT_EQ(readFile(b), "X Y");
    EXPECT_EQ(view.shows, 3);
    EXPECT_TRUE(run.CarriedYesToAll);
}

TEST_F(ProcessRunTest, AbortInTheWindowSavesNothingUndoesCountsAndStops) {
    const QString a = AddFile("a.txt", "x x");
    const QString b = AddFile("b.txt", "x");
    AddRule(ReplaceRule("x", "X", "Win-1251", true));
    prompt.push(bw::Answer::Yes); // "stop?" of the Abort button
    view.script = {Answer(&TProcessController::Yes), [](TProcessController& c) { c.Abort(); }};
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "x x");
    EXPECT_EQ(readFile(b), "x");
    // No line for the aborted code page; the file is not counted; the summary is written.
    EXPECT_EQ(report.Lines(), (QStringList{"REPORT", "processed 0 of 2", "changed files 0 of 2", "changes 0 of 0", ""}));
    EXPECT_FALSE(engine.Aborted());
}

// Stop is asked right after each pump: No goes on, Yes acts before the next
// code page and before the conversion pass.
TEST_F(ProcessRunTest, StopAnsweredNoGoesOnAndYesStopsBothPasses) {
    for (int i = 1; i <= 5; ++i)
        AddFile(QString("f%1.txt").arg(i), "x");
    AddRule(ReplaceRule("x", "y"));
    host.options.Convert = true;
    host.scheme.AddStep(FindConversion(cpWin1251, cpKOI8R));
    int pumps = 0;
    host.onPump = [&] {
        ++pumps; // the first pump is the run's start, then one before each file's code page
        if (pumps == 2 || pumps == 3) {
            prompt.push(pumps == 2 ? bw::Answer::No : bw::Answer::Yes);
            run.AStopExecute();
        }
    };
    run.AStartExecute();
    EXPECT_EQ(readFile(path("f1.txt")), "y");
    EXPECT_EQ(readFile(path("f2.txt")), "x");
    EXPECT_EQ(report.Lines(),
              (QStringList{"REPORT", "processed 0 of 5", "", "PLUS", "REPORT", "processed 1 of 5", "changed files 1 of 5",
                           "changes 1 of 1", "", "PLUS", "changed " + path("f1.txt") + " C1 F1"}));
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[1].text, "Stop?");
}

TEST_F(ProcessRunTest, APatternThatDoesNotCompileStopsTheRunWithTwoMessages) {
    AddFile("a.txt", "x");
    AddFile("b.txt", "x");
    AddRule(ReplaceRule("x", "y"));
    AddRule(ReplaceRule("[D", "z"));
    host.rules[1].second.Source.sbAS = true;
    host.options.Convert = true;
    host.scheme.AddStep(0);
    run.AStartExecute();
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_TRUE(prompt.asked()[0].text.startsWith("Search text: ")) << prompt.asked()[0].text.toStdString();
    EXPECT_GT(prompt.asked()[0].text.size(), 13); // the compiler's own message follows
    EXPECT_EQ(prompt.asked()[1].text, "rule 1 failed. Stopped.");
    EXPECT_EQ(readFile(path("a.txt")), "y"); // the first rule was already saved
    EXPECT_EQ(readFile(path("b.txt")), "x");
    // The summary is written; the conversion pass leaves at once with its header.
    EXPECT_EQ(report.Lines().mid(0, 6), (QStringList{"REPORT", "processed 0 of 2", "", "PLUS", "REPORT",
                                                     "processed 0 of 2"}));
}

TEST_F(ProcessRunTest, CanStartChecksInOrder) {
    host.options.Convert = true;
    EXPECT_FALSE(run.CanStart()); // no files
    AddFile("a.txt", "x");
    EXPECT_FALSE(run.CanStart()); // no checked rule
    AddRule(ReplaceRule("x", "y"));
    EXPECT_FALSE(run.CanStart()); // conversion on, no scheme, nothing selected
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, "No scheme");
    host.selectedStep = true;
    EXPECT_TRUE(run.CanStart()); // the selected pair became the scheme's one step
    EXPECT_EQ(host.scheme.Count(), 1);
}

TEST_F(ProcessRunTest, AfterRunClearsAndShowsThePageTheOptionsSay) {
    AddFile("a.txt", "x");
    AddRule(ReplaceRule("x", "y"));
    host.scheme.AddStep(0);
    host.options.ClearInFiles = host.options.ClearSR = host.options.ClearConvert = true;
    host.options.GoTo = TRunPage::Convert; // its tab is hidden while conversion is off
    run.AStartExecute();
    EXPECT_TRUE(host.files.isEmpty());
    EXPECT_TRUE(host.rules.empty());
    EXPECT_TRUE(host.scheme.IsEmpty());
    EXPECT_FALSE(report.IsEmpty());
    EXPECT_EQ(host.pages.last(), QString::number(int(TRunPage::Report)));

    AddFile("b.txt", "x");
    AddRule(ReplaceRule("x", "y"));
    host.options.ClearReport = true;
    run.AStartExecute();
    EXPECT_TRUE(report.IsEmpty());
}

// ---- faults the run guards against

TEST_F(ProcessRunTest, UnknownCodePageIsSkippedWithALine) {
    const QString a = AddFile("a.txt", "x");
    AddRule(ReplaceRule("x", "y", "CP-XYZ,Win-1251"));
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "y");
    EXPECT_EQ(report.Lines().mid(6),
              (QStringList{a + ": code page \"CP-XYZ\" is unknown, the rule skipped it", "changed " + a + " C1 F1"}));
}

TEST_F(ProcessRunTest, FilesThatCannotBeTakenAreSkippedWithALine) {
    // Longer than positions can reach: a sparse file, never read.
    const QString big = AddFile("big.txt", "");
    ASSERT_TRUE(QFile::resize(big, qint64(TRERichEdit::kMaxTextLength) + 1));
    // Exists as a file but gives a read error.
    const QString unreadable = "/proc/self/mem";
    std::string probe;
    const bool canTestUnreadable = QFileInfo(unreadable).isFile() && !LoadFileToString(unreadable, probe);
    if (canTestUnreadable)
        host.files << unreadable;
    const QString a = AddFile("a.txt", "x");
    AddRule(ReplaceRule("x", "y"));
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "y");
    const QStringList lines = report.Lines();
    EXPECT_TRUE(lines.contains(big + ": the file is too large to be searched; it was skipped")) << report.Text().toStdString();
    if (canTestUnreadable) {
        EXPECT_TRUE(lines.contains(unreadable + ": the file could not be read; it was skipped"));
    }
    EXPECT_EQ(QFileInfo(big).size(), qint64(TRERichEdit::kMaxTextLength) + 1);
}

TEST_F(ProcessRunTest, ASaveGivenUpIsReportedAsNotSavedAndAsksToStop) {
    const QString file = "/proc/version"; // reads, never writes
    if (!QFile::exists(file))
        GTEST_SKIP();
    host.files = {file};
    AddFile("b.txt", "L");
    AddRule(ReplaceRule("L", "l"));
    prompt.push(bw::Answer::No);  // do not try the save again
    prompt.push(bw::Answer::Yes); // stop the run
    run.AStartExecute();
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[1].text, "Stop?");
    EXPECT_EQ(readFile(path("b.txt")), "L");
    EXPECT_TRUE(report.Lines().contains(file + ": the changes were not saved")) << report.Text().toStdString();
    EXPECT_TRUE(report.Lines().filter("changed /proc").isEmpty()) << report.Text().toStdString();
}

TEST_F(ProcessRunTest, ALossyCodePageLeavesTheFileAsItWas) {
    const std::string utf8 = "\xE4\xB8\xAD x"; // a character Windows-1251 lacks
    const QString a = AddFile("a.txt", utf8);
    AddRule(ReplaceRule("x", "y", "UTF-8"));
    run.AStartExecute();
    EXPECT_EQ(readFile(a), utf8);
    EXPECT_TRUE(report.Lines().last().startsWith(a + ": not saved")) << report.Text().toStdString();
    // The working code page lacks the character, not the file's own.
    EXPECT_TRUE(report.Lines().last().contains("code page Win-1251 cannot")) << report.Text().toStdString();
    EXPECT_TRUE(report.Lines().contains("changes 0 of 0")) << report.Text().toStdString();
}

TEST_F(ProcessRunTest, AnAbortedBackupSkipsTheConversionOfThatFile) {
    const QString a = AddFile("a.txt", "\xC0");
    const QString b = AddFile("b.txt", "\xC0");
    host.options.SR = false;
    host.options.Convert = true;
    host.scheme.AddStep(FindConversion(cpWin1251, cp866));
    backup = [](const QString&) { return false; };
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "\xC0");
    EXPECT_EQ(readFile(b), "\xC0");
    EXPECT_EQ(report.Lines().mid(4), (QStringList{a + ": not converted, its backup copy was aborted",
                                                  b + ": not converted, its backup copy was aborted"}));

    backup = [](const QString&) { return true; };
    host.files = {a};
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "\x80");
    EXPECT_EQ(report.Lines().mid(4), QStringList{"converted " + a + " (Win-1251 -> 866)"});
}

// The first file is renamed and keeps its new name; the second cannot take the
// same name and says so, and both go on through the later rule and the conversion.
TEST_F(ProcessRunTest, RenamesCarryTheNewNameAndAFailedOneIsReported) {
    const QString old = AddFile("old.txt", "name x");
    const QString other = AddFile("other.txt", "name x");
    AddRule(ReplaceRule("name", "new.txt"));
    host.rules[0].second.SearchActionType = ofatRenameFile;
    AddRule(ReplaceRule("x", "y"));
    host.options.Convert = true;
    host.scheme.AddStep(FindConversion(cpWin1251, cp866));
    run.AStartExecute();
    const QString renamed = path("new.txt");
    EXPECT_FALSE(exists(old));
    EXPECT_EQ(readFile(renamed), "name y");
    EXPECT_EQ(readFile(other), "name y");
    const QStringList lines = report.Lines();
    EXPECT_TRUE(lines.contains("changed " + renamed + " C1 F1")) << report.Text().toStdString();
    EXPECT_TRUE(lines.contains("converted " + renamed + " (Win-1251 -> 866)")) << report.Text().toStdString();
    EXPECT_EQ(lines.filter(other + ": not renamed: ").size(), 1) << report.Text().toStdString();
}

TEST_F(ProcessRunTest, RepeatedPassesEndAndTheCapIsReported) {
    const QString grow = AddFile("grow.txt", "b");
    const QString settle = AddFile("settle.txt", "aaaa");
    AddRule(ReplaceRule("aa", "a"));
    AddRule(ReplaceRule("b", "ab")); // always a new match: only the cap ends it
    for (auto& rule : host.rules)
        rule.second.Target.tbRepeat = true;
    run.AStartExecute();
    EXPECT_EQ(readFile(settle), "a"); // passes run from 0 until one replaces nothing
    EXPECT_EQ(readFile(grow), std::string(TRERichEdit::kMaxRepeatedPasses, 'a') + "b");
    const QStringList capped = report.Lines().filter("stopped");
    ASSERT_EQ(capped.size(), 1) << report.Text().toStdString();
    EXPECT_TRUE(capped[0].startsWith(grow));
}

// A rule without confirmation carries Yes to All to the later rules, and the
// file is copied once however its changes were accepted.
TEST_F(ProcessRunTest, BackupsOncePerFileAndRunHoweverTheChangeWasAccepted) {
    const QString a = AddFile("a.txt", "p q");
    AddRule(ReplaceRule("p", "P"));
    AddRule(ReplaceRule("q", "Q", "Win-1251", true));
    host.options.Convert = true;
    host.scheme.AddStep(FindConversion(cpWin1251, cp866));
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "P Q");
    EXPECT_EQ(view.shows, 0);
    EXPECT_EQ(backups, QStringList{a});

    const QString b = AddFile("b.txt", "q");
    host.files = {b};
    host.rules.erase(host.rules.begin());
    host.options.Convert = false;
    view.script = {Answer(&TProcessController::Yes)};
    run.AStartExecute();
    EXPECT_EQ(backups, (QStringList{a, b}));
}

TEST_F(ProcessRunTest, AnErrorInsideAPassIsShownAndTheRunReturnsToIdle) {
    const QString a = AddFile("a.txt", "x");
    AddRule(ReplaceRule("x", "[Q\"missing.txt\"]"));
    host.rules[0].second.Target.tbAS = true;
    run.AStartExecute();
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains("missing.txt")) << prompt.asked()[0].text.toStdString();
    EXPECT_EQ(readFile(a), "x");
    ExpectIdle();
    EXPECT_EQ(view.caption, ""); // the caption pushed for the file was popped
}

// What fails before the run begins (saving the project, reading the file tree)
// is shown as a message; nothing runs and nothing leaves the action.
TEST_F(ProcessRunTest, AnErrorBeforeTheRunIsShownNotThrown) {
    const QString a = AddFile("a.txt", "x");
    AddRule(ReplaceRule("x", "y"));
    host.onAutoSave = [] { throw bw::Error(QStringLiteral("project not saved")); };
    EXPECT_NO_THROW(run.AStartExecute());
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, "project not saved");
    EXPECT_EQ(readFile(a), "x");
    ExpectIdle();
}

// A repeating rule whose replacement brings its search text back: the
// repeating ends once the text has grown about eightfold plus 1 MiB, with the
// cap's line, and the run goes on.
TEST_F(ProcessRunTest, ARuleThatKeepsGrowingTheTextIsStopped) {
    const QString grow = AddFile("grow.txt", "aaaa");
    const QString next = AddFile("next.txt", "a");
    AddRule(ReplaceRule("a", "aa"));
    host.rules[0].second.Target.tbRepeat = true;
    run.AStartExecute();
    const std::size_t limit = 8 * 4 + TRERichEdit::kRepeatGrowthAllowance;
    const std::size_t grown = readFile(grow).size();
    EXPECT_GT(grown, limit);
    EXPECT_LE(grown, 2 * limit); // the pass that crossed the limit was the last
    EXPECT_EQ(report.Lines().filter("stopped").size(), 2) << report.Text().left(300).toStdString();
    EXPECT_GT(readFile(next).size(), limit);
    ExpectIdle();
}

// Stop (or Exit) chosen between repeated passes ends the repeating: what the
// passes so far did is saved, and the run stops before the next file.
TEST_F(ProcessRunTest, StopBetweenRepeatedPassesIsHeard) {
    const QString a = AddFile("a.txt", "aaaaab");
    const QString b = AddFile("b.txt", "ab");
    AddRule(ReplaceRule("ab", "b"));
    host.rules[0].second.Target.tbRepeat = true;
    int pumps = 0;
    host.onPump = [&] {
        // Once as the run starts, once before the passes, then between passes.
        if (++pumps == 3)
            run.RequestStop();
    };
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "aaaab");
    EXPECT_EQ(readFile(b), "ab");
    EXPECT_TRUE(report.Lines().contains("changed " + a + " C1 F1")) << report.Text().toStdString();
    ExpectIdle();
}

// Running out of memory in a pass leaves that file as it was, says so, and the
// run goes on with the next file.
TEST_F(ProcessRunTest, AnAllocationFailureInAPassSkipsOnlyThatFile) {
    const QString a = AddFile("a.txt", "x x");
    const QString b = AddFile("b.txt", "x");
    AddRule(ReplaceRule("x", "y", "Win-1251", true));
    AddRule(ReplaceRule("y", "z", "Win-1251", true));
    view.script = {Answer(&TProcessController::Yes), [](TProcessController&) { throw std::bad_alloc(); },
                   Answer(&TProcessController::Yes), Answer(&TProcessController::Yes)};
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "x x");
    EXPECT_EQ(readFile(b), "z");
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(report.Lines().filter(a).size(), 1) << report.Text().toStdString();
    EXPECT_TRUE(report.Lines().filter(a)[0].contains("not enough memory")) << report.Text().toStdString();
    EXPECT_TRUE(report.Lines().contains("processed 2 of 2")) << report.Text().toStdString();
    EXPECT_TRUE(report.Lines().contains("changes 2 of 2")) << report.Text().toStdString();
    ExpectIdle();
}

// A save the user gave up on is written by the next save of the file: that
// line says so, and the summary counts the changes and the file once.
TEST_F(ProcessRunTest, AGivenUpSaveWrittenByALaterOneIsReportedAndCounted) {
    const QString a = AddFile("a.txt", "p q");
    AddRule(ReplaceRule("p", "P"));
    AddRule(ReplaceRule("q", "Q"));
    int saves = 0;
    save = [&](const QString& p, const std::string& t) { return ++saves > 1 && SaveStringToFile(p, t); };
    prompt.push(bw::Answer::No); // do not stop
    run.AStartExecute();
    EXPECT_EQ(readFile(a), "P Q");
    EXPECT_EQ(report.Lines().mid(0, 4),
              (QStringList{"REPORT", "processed 1 of 1", "changed files 1 of 1", "changes 2 of 2"}));
    EXPECT_EQ(report.Lines().mid(5), (QStringList{"PLUS", a + ": the changes were not saved", "changed " + a + " C1 F1",
                                                  a + ": this save also wrote the changes of earlier rules that had "
                                                      "not been saved"}));

    // Without a later save the first line stands alone.
    const QString b = AddFile("b.txt", "p");
    host.files = {b};
    saves = 0;
    prompt.push(bw::Answer::No);
    run.AStartExecute();
    EXPECT_EQ(readFile(b), "p");
    EXPECT_TRUE(report.Lines().filter("this save also").isEmpty()) << report.Text().toStdString();
    EXPECT_TRUE(report.Lines().contains("changed files 0 of 1")) << report.Text().toStdString();
}

// A failed backup copy is asked about once: the file keeps its text for the
// rest of the run, one line says so, and the run goes on.
TEST_F(ProcessRunTest, AFailedBackupIsAskedOnceAndTheFileIsLeftUnchanged) {
    const QString a = AddFile("a.txt", "x x x x x x x x x x");
    const QString b = AddFile("b.txt", "x");
    AddRule(ReplaceRule("x", "y"));
    AddRule(ReplaceRule("x", "z", "Win-1251", true));
    backup = [this, a](const QString& p) {
        backups << p;
        return p != a;
    };
    run.AStartExecute();
    EXPECT_EQ(backups, (QStringList{a, b}));
    EXPECT_EQ(view.shows, 0); // the carried Yes to All stands for the second rule
    EXPECT_EQ(readFile(a), "x x x x x x x x x x");
    EXPECT_EQ(readFile(b), "y");
    const QStringList lines = report.Lines().filter(a);
    EXPECT_EQ(lines.filter("backup").size(), 1) << report.Text().toStdString();
    EXPECT_EQ(lines.last(), a + ": its backup copy failed; the file was left unchanged");
    EXPECT_TRUE(run.BackupOnce(b));
    ExpectIdle();
}

// Write-to-file and rename rules never change the text: no copy is made.
TEST_F(ProcessRunTest, RulesThatKeepTheTextMakeNoBackup) {
    const QString a = AddFile("a.txt", "x");
    AddRule(ReplaceRule("x", "[O\"out.txt\"]x[O]"));
    host.rules[0].second.Target.tbAS = true;
    host.rules[0].second.SearchActionType = ofatWriteToFile;
    AddRule(ReplaceRule("x", "b.txt", "Win-1251", true));
    host.rules[1].second.SearchActionType = ofatRenameFile;
    view.script = {Answer(&TProcessController::Yes)};
    run.AStartExecute();
    EXPECT_TRUE(exists(path("b.txt")));
    EXPECT_TRUE(backups.isEmpty());
}

// Another program changed, removed or replaced a file (a link to a file
// elsewhere swapped in) while the run waited for an answer: nothing is saved,
// each gets a line, and the counts are undone.
TEST_F(ProcessRunTest, AFileChangedSinceItWasReadIsNotSaved) {
    const QString changed = AddFile("changed.txt", "x");
    const QString removed = AddFile("removed.txt", "x");
    const QString swapped = AddFile("swapped.txt", "x");
    const QString outside = writeFile("outside/secret.txt", "x");
    const QString kept = AddFile("kept.txt", "x");
    AddRule(ReplaceRule("x", "y", "Win-1251", true));
    const auto otherProgram = [](std::function<void()> act) {
        return [act](TProcessController& c) {
            act();
            c.Yes();
        };
    };
    view.script = {otherProgram([&] { writeFile("changed.txt", "x2"); }),
                   otherProgram([&] { QFile::remove(removed); }),
                   otherProgram([&] {
                       QFile::remove(swapped);
                       QFile::link(outside, swapped);
                   }),
                   Answer(&TProcessController::Yes)};
    run.AStartExecute();
    EXPECT_EQ(readFile(changed), "x2");
    EXPECT_FALSE(exists(removed));
    EXPECT_EQ(readFile(outside), "x");
    EXPECT_EQ(readFile(kept), "y");
    const QString line = ": changed by another program since it was read; not saved";
    EXPECT_EQ(report.Lines().filter(line), (QStringList{changed + line, removed + line, swapped + line}));
    EXPECT_TRUE(report.Lines().contains("changes 1 of 1")) << report.Text().toStdString();

    // Without the test the same run writes over the other program's change.
    writeFile("changed.txt", "x");
    host.files = {changed};
    run.CheckFilesBeforeSaving = false;
    view.script = {otherProgram([&] { writeFile("changed.txt", "x2"); })};
    run.AStartExecute();
    EXPECT_EQ(readFile(changed), "y");
}

// Another program puts a link where a file of the run was, after the run read
// it: to a second name of that very file outside the tree (so every look
// through the link still finds the file read). The save writes nothing
// outside the tree and says the file was not saved.
TEST_F(ProcessRunTest, ASaveNeverFollowsALinkSwappedIn) {
    const QString linked = AddFile("linked.txt", "x");
    const QString outside = path("outside/alias.txt");
    ASSERT_TRUE(QDir().mkpath(path("outside")));
    AddRule(ReplaceRule("x", "y", "Win-1251", true));
    const QString line = ": changed by another program since it was read; not saved";
    for (const bool checked : {true, false}) {
        SCOPED_TRACE(checked ? "checked before saving" : "not checked before saving");
        QFile::remove(linked);
        QFile::remove(outside);
        writeFile("linked.txt", "x");
        ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(outside).constData()), 0);
        report.Clear();
        run.CheckFilesBeforeSaving = checked;
        // Another program's swap while the run waits for the answer to the find.
        view.script = {[&](TProcessController& c) {
            EXPECT_TRUE(QFile::link(outside, path("swap.lnk")));
            EXPECT_EQ(
                std::rename(QFile::encodeName(path("swap.lnk")).constData(), QFile::encodeName(linked).constData()), 0);
            c.Yes();
        }};
        run.AStartExecute();
        EXPECT_EQ(readFile(outside), "x");
        EXPECT_TRUE(QFileInfo(linked).isSymLink());
        EXPECT_EQ(QDir(path("outside")).entryList(QDir::Files | QDir::Hidden), QStringList{"alias.txt"});
        EXPECT_EQ(report.Lines().filter(line), QStringList{linked + line});
    }
}
