#include "app/processrun.h"

#include "app/processrun_ahead.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <memory>

#include "engine/processcontroller.h"
#include "engine/processengine.h"
#include "engine/processstate.h"
#include "engine/textfiles.h"
#include "platform/appdirs.h"
#include "platform/cp1251.h"
#include "platform/delimitedtext.h"
#include "platform/diskpath.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/prompt.h"
#include "services/fileroutines.h"
#include "services/filestamp.h"

void TControllerProcessWindow::Hide() {
    if (view_.IsShown())
        view_.CloseModal(mrCancel);
}
void TControllerProcessWindow::PushCaption() { controller_.PushCaption(); }
void TControllerProcessWindow::PopCaption() { controller_.PopCaption(); }
void TControllerProcessWindow::SetCaption(const QString& caption) { view_.SetCaption(caption); }
void TControllerProcessWindow::PrepareFind() { controller_.PrepareFind(); }
void TControllerProcessWindow::PrepareReplace() { controller_.PrepareReplace(); }
void TControllerProcessWindow::TextLoaded() { controller_.TextLoaded(); }

namespace {

QString FileNameOnly(const QString& path) { return QFileInfo(path).fileName(); }

} // namespace

TProcessRun::TProcessRun(TParts parts) : p_(std::move(parts)) {}

QString TProcessRun::Text(const char* key) const {
    return p_.Texts ? p_.Texts(QString::fromLatin1(key)) : QString();
}

void TProcessRun::ShowMessage(const QString& text) const {
    bw::prompt().information(TextOr(p_.Texts, QStringLiteral("szApplicationTitle"), QStringLiteral("Brindlewick")), text);
}

void TProcessRun::CountFileProcessed() {
    TRunCounters counters = p_.Engine.Counters();
    ++counters.FilesProcessed;
    p_.Engine.SetCounters(counters);
}

bool TProcessRun::BackupOnce(const QString& path) {
    if (backedUp_.count(path))
        return true;
    if (backupFailed_.count(path))
        return false;
    if (p_.MakeBackup && !p_.MakeBackup(path)) {
        backupFailed_.insert(path);
        return false;
    }
    backedUp_.insert(path);
    return true;
}

void TProcessRun::AStopExecute() {
    if (bw::prompt().yesNo(Text("szConfirmation"), Text("szAbortOp")))
        RequestStop();
}

void TProcessRun::RequestStop() {
    if (state_ == TState::Running)
        state_ = TState::StopRequested;
}

bool TProcessRun::CanStart() {
    if (Running())
        return false;
    FilesToProcess.clear();
    p_.Files.GetFilesToProcess(FilesToProcess);
    if (FilesToProcess.isEmpty())
        return false;
    const TRunOptions options = p_.Window.Options();
    if (options.SR && !p_.Rules.HasCheckedRules())
        return false;
    if (options.Convert && p_.Scheme.Scheme().IsEmpty() && !p_.Scheme.AddSelectedStep()) {
        ShowMessage(Text("szNoTransformation"));
        return false;
    }
    return true;
}

void TProcessRun::BeforeRun() {
    p_.Gauge.Start(int(FilesToProcess.size()));
    p_.Report.Clear();
    p_.Engine.ResetCounters();
    p_.Process.Hide();
    p_.Window.PumpEvents();
    delete TextFilesCache;
    TextFilesCache = new TTextFiles;
    backedUp_.clear();
    backupFailed_.clear();
    home_ = bw::homeDir();
    madeFolders_.clear();
    ruleFolders_.clear();
}

void TProcessRun::AfterRun() {
    p_.Gauge.Finish();
    const TRunOptions options = p_.Window.Options();
    if (options.ClearInFiles)
        p_.Files.RemoveAll();
    if (options.ClearSR)
        p_.Rules.DeleteAll();
    if (options.ClearReport)
        p_.Report.Clear();
    if (options.ClearConvert)
        p_.Scheme.Scheme().Clear();
    if (options.GoTo != TRunPage::None && p_.Window.PageVisible(options.GoTo))
        p_.Window.ShowPage(options.GoTo);
    delete TextFilesCache;
    TextFilesCache = nullptr;
}

void TProcessRun::AStartExecute() {
    // The steps before the run are guarded too: nothing leaves the action.
    try {
        p_.Window.AutoSave();
        if (!CanStart())
            return;
    } catch (const bw::Error& e) {
        FilesToProcess.clear();
        ShowMessage(e.message());
        return;
    } catch (const std::exception& e) {
        FilesToProcess.clear();
        ShowMessage(QString::fromLocal8Bit(e.what()));
        return;
    }
    const TRunOptions options = p_.Window.Options();
    p_.Window.ShowPage(TRunPage::Report);
    state_ = TState::Running;
    p_.Window.SetRunning(true);
    try {
        // Folders are read for what killed saves left behind once per run.
        const bw::ReplaceSession saves;
        BeforeRun();
        TRunEngine& engine = p_.Engine;
        if (options.SR) {
            CarriedYesToAll = false;
            std::unique_ptr<TReadAhead> ahead = StartReadAhead();
            const auto keepWaiting = [this] {
                p_.Window.PumpEvents();
                return !StopRequested();
            };
            int filesWithFinds = 0;
            int filesWithReplacements = 0;
            for (int k = 0; k < FilesToProcess.size(); ++k) {
                if (StopRequested())
                    break;
                RunFileIndex = k;
                engine.SetRunFileIndex(k);
                engine.SetFileName(FilesToProcess[k]);
                TFileStamp stamp;
                const auto finding =
                    ahead ? ahead->Wait(k, stamp, keepWaiting) : TReadAhead::TFinding::Unknown;
                if (StopRequested())
                    break;
                // Passed over, or taken as read ahead, only while the file is
                // still the one the workers read.
                const bool known = finding == TReadAhead::TFinding::NoFinds && FileMatchesStamp(FilesToProcess[k], stamp);
                const bool read = finding == TReadAhead::TFinding::Finds && ahead->TakeText(k, CurrentFileText, stamp) &&
                                  FileMatchesStamp(FilesToProcess[k], stamp);
                // The summary counts files, however many rules and code
                // pages found or changed something in one.
                const TRunCounters before = engine.Counters();
                ProcessFileAs(FilesToProcess[k], p_.Report, known, read ? &stamp : nullptr);
                const TRunCounters after = engine.Counters();
                filesWithFinds += after.PassesWithFinds > before.PassesWithFinds ? 1 : 0;
                filesWithReplacements += after.PassesWithReplacements > before.PassesWithReplacements ? 1 : 0;
                if (StopRequested())
                    break;
                p_.Gauge.Step(FileNameOnly(FilesToProcess[k]));
                CountFileProcessed();
            }
            ahead.reset();
            unattended_ = false;
            readForSaving_ = true;
            if (!p_.Report.IsEmpty())
                p_.Report.InsertFirst(Text("szReportPlus"));
            const TRunCounters totals = engine.Counters();
            AddSummary(p_.Report, options.Report, p_.Texts, engine.Action(),
                       {totals.FilesProcessed, int(FilesToProcess.size()), totals.FindsTotal, filesWithFinds,
                        totals.ReplacementsTotal, filesWithReplacements});
        }
        engine.ResetCounters();
        if (options.Convert) {
            for (int k = 0; k < FilesToProcess.size(); ++k) {
                if (StopRequested())
                    break;
                engine.SetFileName(FilesToProcess[k]);
                ConvertFile(FilesToProcess[k], p_.Report);
                p_.Gauge.Step(FileNameOnly(FilesToProcess[k]));
                CountFileProcessed();
            }
            AddConvertReportHeader(p_.Report, p_.Texts, {engine.Counters().FilesProcessed, int(FilesToProcess.size())});
        }
    } catch (const bw::Error& e) {
        ShowMessage(e.message());
    } catch (const std::exception& e) {
        ShowMessage(QString::fromLocal8Bit(e.what()));
    }
    // The closing steps run however the run ended.
    unattended_ = false;
    readForSaving_ = true;
    p_.Engine.ClearAbort();
    try {
        AfterRun();
    } catch (const bw::Error& e) {
        ShowMessage(e.message());
    } catch (const std::exception& e) {
        ShowMessage(QString::fromLocal8Bit(e.what()));
    }
    state_ = TState::Idle;
    p_.Window.SetRunning(false);
    FilesToProcess.clear();
}

void TProcessRun::PrepareRule(const TSRInfo& rule) {
    TRunEngine& engine = p_.Engine;
    ProcessModes.Clear();
    ProcessAnswers.Clear();
    engine.SetHintShown(rule.Target.tbShowHint);
    engine.SetOptions(rule.Source.sbAS, rule.Target.tbAS, rule.Source.sbIgnoreMode);

    const auto& [out, in] = RuleFolders(rule);
    engine.SetFolders(out, in);

    engine.SetSearchOptions(rule.Source.sbCaseSensitive, rule.Source.sbWholeWords);
    try {
        engine.SetSourceText(bw::encode1251(rule.Source.ssText, nullptr));
    } catch (const bw::Error& e) {
        throw bw::Error(Text("szCheckSourceText") + e.message());
    }
    engine.SetAction(rule.SearchActionType);
    if (rule.SearchActionType != ofatDontChange) {
        try {
            engine.SetTargetText(bw::encode1251(rule.Target.tsText, nullptr));
        } catch (const bw::Error& e) {
            throw bw::Error(Text("szCheckTargetText") + e.message());
        }
    }
    p_.Window.ShowPage(TRunPage::Report);
    if (rule.SearchActionType == ofatDontChange) {
        p_.Process.PrepareFind();
    } else {
        p_.Process.PrepareReplace();
        if (!rule.Target.tbConfirmReplace)
            ProcessAnswers.Include(ansYesToAll);
    }
    Conversion.DetectSampleSize = rule.Source.siCharCount;
}

const std::pair<QString, QString>& TProcessRun::RuleFolders(const TSRInfo& rule) {
    const auto [at, first] = ruleFolders_.try_emplace({rule.Target.OutFolder, rule.Target.InFolder});
    if (!first)
        return at->second;
    // A folder the rule names relatively is taken against the current folder
    // here, so that no output or line file reaches Qt relative (':' first would be a resource).
    QString out = bw::diskPath(rule.Target.OutFolder);
    QString in = bw::diskPath(rule.Target.InFolder);
    if ((out.isEmpty() || in.isEmpty()) && home_.isEmpty())
        home_ = bw::homeDir();
    if (out.isEmpty())
        out = home_ + QStringLiteral("Output/");
    if (in.isEmpty())
        in = home_ + QStringLiteral("Input/");
    // Made once per run; a failure shows when a file there is needed.
    for (const QString& folder : {out, in})
        if (madeFolders_.insert(folder).second)
            QDir().mkpath(folder);
    at->second = {out, in};
    return at->second;
}

std::unique_ptr<TReadAhead> TProcessRun::StartReadAhead() {
    unattended_ = !p_.Engine.MayAskTheUser();
    std::vector<const TSRInfo*> rules;
    for (int i = 0; i < p_.Rules.Count(); ++i)
        if (p_.Rules.Checked(i))
            rules.push_back(&p_.Rules.Rule(i));
    // The processing window is never shown when the first rule changes the
    // text without asking: its Yes to All is carried to every later rule.
    if (!rules.empty() && rules.front()->SearchActionType != ofatDontChange &&
        !rules.front()->Target.tbConfirmReplace)
        unattended_ = true;
    // Report-only rules with no one to edit the text never save a file: the
    // path each was read from (a system call per file) is then not needed.
    readForSaving_ = !unattended_ || std::any_of(rules.begin(), rules.end(), [](const TSRInfo* r) {
                         return r->SearchActionType != ofatDontChange;
                     });
    // With too few workers the loop alone is faster: it would mostly wait.
    const int workers = ReadAheadWorkers > 0 ? ReadAheadWorkers : TReadAhead::DefaultWorkers();
    if (!ReadAhead || !unattended_ || rules.empty() || FilesToProcess.size() < 2 || workers < TReadAhead::kMinWorkers)
        return nullptr;
    std::vector<TReadAhead::TRule> probes;
    if (!TReadAhead::MakeRules(rules, probes))
        return nullptr;
    // A file listed twice may be changed by the loop before its second turn.
    std::vector<bool> skip(std::size_t(FilesToProcess.size()), false);
    std::set<QString> seen;
    for (int k = 0; k < FilesToProcess.size(); ++k)
        if (!seen.insert(FilesToProcess[k]).second)
            skip[std::size_t(k)] = true;
    for (int k = 0; k < FilesToProcess.size(); ++k)
        if (skip[std::size_t(k)])
            for (int j = 0; j < k; ++j)
                if (FilesToProcess[j] == FilesToProcess[k])
                    skip[std::size_t(j)] = true;
    TReadAhead::TLimits limits;
    if (ReadAheadBudget > 0)
        limits.Budget = ReadAheadBudget;
    if (ReadAheadFileLimit > 0)
        limits.FileLimit = ReadAheadFileLimit;
    limits.ForSaving = readForSaving_;
    return std::make_unique<TReadAhead>(FilesToProcess, std::move(probes), std::move(skip), workers, limits);
}

void TProcessRun::ReloadCurrentText(const QString& path) {
    if (!LoadFileToString(path, CurrentFileText))
        CurrentFileText.clear();
}

void TProcessRun::ProcessFile(const QString& fileName, TReport& report) {
    ProcessFileAs(fileName, report, false, nullptr);
}

void TProcessRun::ProcessFileAs(const QString& fileName, TReport& report, bool knownWithoutFinds,
                                const TFileStamp* readAhead) {
    // Searched ahead without a find: neither loaded nor searched again; a
    // missing file is passed over in silence (the list may be older than the
    // folder); one that is there but cannot be taken says so.
    TFileStamp stamp;
    const TLoadOutcome loaded = knownWithoutFinds || readAhead ? TLoadOutcome::Loaded
                                : LoadFileChecked(fileName, CurrentFileText, stamp, TRERichEdit::kMaxTextLength,
                                                  readForSaving_);
    if (readAhead) // in CurrentFileText already
        stamp = *readAhead;
    switch (loaded) {
    case TLoadOutcome::Loaded:
        break;
    case TLoadOutcome::NotAFile:
        return;
    case TLoadOutcome::TooLarge:
        ReportUnreadableFile(report, p_.Texts, fileName, true);
        return;
    case TLoadOutcome::Unreadable:
        ReportUnreadableFile(report, p_.Texts, fileName, false);
        return;
    }
    TRunEngine& engine = p_.Engine;
    engine.ResetPassCounters();
    engine.LoadFromString(std::string());
    p_.Process.SetDefaultFont();
    p_.Process.PushCaption();
    // Put back here rather than by a guard: nothing that may throw runs while
    // an exception unwinds.
    try {
        ProcessRules(fileName, stamp, report, knownWithoutFinds);
    } catch (...) {
        p_.Process.PopCaption();
        throw;
    }
    p_.Process.PopCaption();
}

namespace {

// What a save given up took back from the run totals.
void AddTotals(TRunCounters& to, const TRunCounters& from, int sign) {
    to.FindsTotal += sign * from.FindsTotal;
    to.PassesWithFinds += sign * from.PassesWithFinds;
    to.ReplacementsTotal += sign * from.ReplacementsTotal;
    to.PassesWithReplacements += sign * from.PassesWithReplacements;
}

TRunCounters TotalsSince(const TRunCounters& now, const TRunCounters& before) {
    TRunCounters d;
    AddTotals(d, now, 1);
    AddTotals(d, before, -1);
    return d;
}

} // namespace

void TProcessRun::ProcessRules(const QString& fileName, TFileStamp stamp, TReport& report, bool knownWithoutFinds) {
    QString f = fileName; // the file's name as later rules see it (a rule may rename it)
    TRunEngine& engine = p_.Engine;
    const QString processing = Text("szFProcessing");
    // Changes of earlier rules whose save was given up are in the text later
    // rules start from: a later save writes them too, and then counts them.
    bool unsavedEarlier = false;
    TRunCounters unsavedTotals;
    bool outOfMemory = false;
    const auto goOn = [this] {
        p_.Window.PumpEvents();
        return !StopRequested();
    };

    const TRunOptions options = p_.Window.Options();
    for (int i = 0; i < p_.Rules.Count() && !outOfMemory; ++i) {
        if (StopRequested())
            break;
        if (!p_.Rules.Checked(i))
            continue;
        const TSRInfo& rule = p_.Rules.Rule(i);
        engine.ResetPassCounters();
        try {
            PrepareRule(rule);
        } catch (const bw::Error& e) {
            ShowMessage(e.message());
            ShowMessage(bw::format(Text("szCantDoPreparing"), {i}) + QLatin1Char(' ') + Text("szAbortOperation"));
            RequestStop();
            continue;
        }
        if (CarriedYesToAll)
            ProcessAnswers.Include(ansYesToAll);

        for (const QString& name : bw::fromCommaText(rule.Source.ssCLBCP)) {
            if (StopRequested())
                break;
            int row = 0;
            if (!SearchCodePageRow(name, row)) {
                ReportUnknownCodePage(report, p_.Texts, f, name);
                continue;
            }
            Conversion.Reset();
            Conversion.DetectSampleSize = rule.Source.siCharCount;
            engine.SetFileName(f);
            const TRunCounters saved = engine.Counters();
            bool lossyIn = false;
            bool capReached = false;
            int reverseRow = -1;
            std::string text; // what to save
            // Without anyone to show it to, the engine borrows the file's
            // text rather than copying it, and gives it back unchanged.
            const bool lent = unattended_ && row == kNoConversion && !knownWithoutFinds;
            const auto giveBack = [&] {
                if (lent && !engine.Modified())
                    CurrentFileText = engine.MoveOutText();
            };
            try {
                if (knownWithoutFinds) {
                    // Searched ahead: nothing would be found, nothing is loaded.
                } else if (lent)
                    engine.MoveInText(std::move(CurrentFileText));
                else if (row == kNoConversion)
                    engine.LoadFromString(CurrentFileText);
                else
                    engine.LoadFromString(ConvertText(CurrentFileText, row, Conversion));
                lossyIn = Conversion.Lossy;
                engine.SetModified(false);
                p_.Process.TextLoaded();

                p_.Process.SetCaption(processing + QLatin1Char(' ') + FileNameOnly(f) + QStringLiteral(" (") + name +
                                      QLatin1Char(')'));
                p_.Window.PumpEvents();
                if (StopRequested()) { // Stop or Exit chosen while the queue was pumped
                    giveBack();
                    break;
                }

                if (!knownWithoutFinds)
                    capReached = engine.ProcessPasses(rule.Target.tbRepeat, goOn);
                if (!engine.Aborted() && engine.Modified()) {
                    reverseRow = Conversion.ReverseConversion;
                    const bool convertBack = rule.Source.sbSaveCP && reverseRow != -1;
                    if (convertBack)
                        text = ConvertBack(engine.Text(), Conversion);
                    else if (unattended_) // no window shows the engine's text
                        text = engine.MoveOutText();
                    else
                        text = engine.Text();
                }
                giveBack();
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
            } catch (const std::length_error&) {
                outOfMemory = true;
            } catch (const TTextTooLong&) {
                outOfMemory = true;
            }
            if (outOfMemory) {
                // The text is given up: the file keeps what it has, the run
                // goes on with the next file.
                std::string().swap(text);
                engine.SetCounters(saved);
                engine.LoadFromString(std::string());
                if (engine.FileName() != f)
                    f = engine.FileName();
                ReportOutOfMemory(report, p_.Texts, f);
                break;
            }
            if (engine.Aborted()) {
                engine.SetCounters(saved);
                RequestStop();
                break;
            }

            TFileLineFacts facts;
            facts.CodePage = name;
            facts.Action = rule.SearchActionType;
            facts.Modified = engine.Modified();
            facts.PassCapReached = capReached;
            facts.RenameError = knownWithoutFinds ? QString() : engine.RenameError();
            if (engine.FileName() != f) { // renamed: later rules, code pages and lines use the new name
                f = engine.FileName();
                // The file read goes by the new name now (still checked by
                // device and inode when saved).
                if (!stamp.Path.isEmpty())
                    stamp.Path = ResolvedFilePath(f);
                if (RunFileIndex >= 0 && RunFileIndex < FilesToProcess.size())
                    FilesToProcess[RunFileIndex] = f;
            }
            if (facts.Modified) {
                const auto giveUp = [&](TSaveOutcome outcome) {
                    AddTotals(unsavedTotals, TotalsSince(engine.Counters(), saved), 1);
                    unsavedEarlier = true;
                    engine.SetCounters(saved);
                    facts.Save = outcome;
                };
                if (lossyIn || Conversion.Lossy) {
                    // Characters of the file have no exact form on the way in
                    // or out: saving would damage it, so it stays as it was.
                    engine.SetCounters(saved);
                    facts.Save = TSaveOutcome::Lossy;
                    // Coming in, the working code page lacks them; going
                    // out, the code page the text is saved back to.
                    const int lacking = lossyIn || reverseRow < 0 || reverseRow >= ConversionCount
                                            ? int(cpWin1251)
                                            : Conversions[std::size_t(reverseRow)].Target;
                    facts.LossyCodePage = QString::fromLatin1(CodePageNames[std::size_t(lacking)]);
                } else if (!BackupOnce(f)) {
                    engine.SetCounters(saved);
                    facts.Save = TSaveOutcome::BackupFailed;
                    if (lent) // later rules start from the file as it was
                        ReloadCurrentText(f);
                } else if (CheckFilesBeforeSaving && !FileMatchesStamp(f, stamp)) {
                    CurrentFileText = std::move(text);
                    giveUp(TSaveOutcome::ChangedSinceRead);
                } else {
                    CurrentFileText = std::move(text);
                    const TRunCounters before = engine.Counters();
                    if (stamp.Path.isEmpty()) // read as never to be saved after all
                        stamp.Path = ResolvedFilePath(f);
                    // Saved over the file read (never through a link that
                    // took its place since), checked once more right before.
                    const TReadFileSave result =
                        p_.Save ? p_.Save(f, stamp, CurrentFileText, CheckFilesBeforeSaving)
                                : SaveStringToReadFile(f, stamp, CurrentFileText, CheckFilesBeforeSaving);
                    if (result == TReadFileSave::Changed) {
                        giveUp(TSaveOutcome::ChangedSinceRead);
                    } else if (result == TReadFileSave::Saved) {
                        facts.Save = TSaveOutcome::Saved;
                        if (unsavedEarlier) {
                            // The earlier changes are in the file now; the file
                            // still counts once among those with changes.
                            const TRunCounters own = TotalsSince(before, saved);
                            TRunCounters restored = before;
                            restored.FindsTotal += unsavedTotals.FindsTotal;
                            restored.ReplacementsTotal += unsavedTotals.ReplacementsTotal;
                            if (own.PassesWithFinds == 0 && unsavedTotals.PassesWithFinds > 0)
                                ++restored.PassesWithFinds;
                            if (own.PassesWithReplacements == 0 && unsavedTotals.PassesWithReplacements > 0)
                                ++restored.PassesWithReplacements;
                            engine.SetCounters(restored);
                            facts.AlsoSavedEarlier = true;
                            unsavedEarlier = false;
                            unsavedTotals = {};
                        }
                    } else {
                        giveUp(TSaveOutcome::GaveUp);
                        AStopExecute();
                    }
                }
            }
            const TRunCounters counters = engine.Counters();
            facts.Path = f;
            facts.Finds = counters.PassFinds;
            facts.Replacements = counters.PassReplacements;
            ReportFileLine(report, options.Report, p_.Texts, facts);

            if (counters.PassFinds > 0 && rule.Source.sbStopCPChange)
                break;
        }
        if (ProcessAnswers.Contains(ansYesToAll))
            CarriedYesToAll = true;
    }
    if (backupFailed_.count(f) || backupFailed_.count(fileName))
        ReportBackupFailed(report, p_.Texts, f);
}

void TProcessRun::ConvertFile(const QString& fileName, TReport& report) {
    if (!QFileInfo(fileName).isFile())
        return;
    if (!BackupOnce(fileName)) {
        report.Append(bw::format(TextOr(p_.Texts, QStringLiteral("szBackupAbortedSkipped"),
                                        QStringLiteral("%s: not converted, its backup copy was aborted")),
                                 {fileName}));
        return;
    }
    p_.Scheme.Scheme().ConvertFile(fileName, report, p_.Texts);
}
