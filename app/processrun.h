#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/conversionscheme.h"
#include "app/report.h"
#include "engine/codepages.h"
#include "engine/processcontroller.h"
#include "engine/srinfo.h"
#include "services/fileroutines.h"
#include "services/filestamp.h"


// The pages of the main window a run may show.
enum class TRunPage { None, InFiles, SR, Report, Convert };



// What the run needs of the main window. Each part is small so the main
// window, and tests, can give it from wherever it lives.
class TRunFiles {
public:
    virtual ~TRunFiles() = default;
    // Fills the list of files to process from the file tree; when it stays
    // empty, the user has been told.
    virtual void GetFilesToProcess(QStringList& files) = 0;
    // Empties the file tree without a question.
    virtual void RemoveAll() = 0;
};

class TRunRules {
public:
    virtual ~TRunRules() = default;
    virtual int Count() const = 0;
    virtual bool Checked(int row) const = 0;
    virtual const TSRInfo& Rule(int row) const = 0;
    // True when a rule is checked; otherwise the user has been told.
    virtual bool HasCheckedRules() = 0;
    virtual void DeleteAll() = 0;
};

class TRunScheme {
public:
    virtual ~TRunScheme() = default;
    virtual TConversionScheme& Scheme() = 0;
    // Adds the step selected on the conversion page when both a source and a
    // target are selected; false when they are not.
    virtual bool AddSelectedStep() = 0;
};

// The options the run reads at its start and end.
struct TRunOptions {
    bool SR = true;      // the search/replace pass is switched on
    bool Convert = false; // the conversion pass is switched on
    bool ClearInFiles = false;
    bool ClearSR = false;
    bool ClearReport = false;
    bool ClearConvert = false;
    TRunPage GoTo = TRunPage::None; // the page to show after a run
    TReportOptions Report;
};

class TRunWindow {
public:
    virtual ~TRunWindow() = default;
    virtual TRunOptions Options() const = 0;
    // Saves the project and/or the options as the options say.
    virtual void AutoSave() {}
    virtual void ShowPage(TRunPage) {}
    virtual bool PageVisible(TRunPage) const { return true; }
    // Start hidden, Stop shown, options and pages locked while running.
    virtual void SetRunning(bool) {}
    // Lets queued user input through; Stop and Exit act here.
    virtual void PumpEvents() {}
};

// The engine's ten counters, copied aside and put back as one unit.
struct TRunCounters {
    // Pass counters: the find and replacement counts of the rule on the file so far.
    std::int32_t PassUnused0 = 0, PassFinds = 0, PassUnused2 = 0, PassReplacements = 0, PassUnused4 = 0;
    // Run totals.
    std::int32_t FilesProcessed = 0, FindsTotal = 0, PassesWithFinds = 0, ReplacementsTotal = 0,
                 PassesWithReplacements = 0;
};

// What the run needs of the engine that holds one file's text.
class TRunEngine {
public:
    virtual ~TRunEngine() = default;
    virtual void ResetCounters() = 0;
    virtual void ResetPassCounters() = 0;
    virtual TRunCounters Counters() const = 0;
    virtual void SetCounters(const TRunCounters& counters) = 0;

    virtual QString FileName() const = 0;
    virtual void SetFileName(const QString& path) = 0;
    // Replaces the text and clears the modified flag.
    virtual void LoadFromString(const std::string& bytes) = 0;
    virtual const std::string& Text() const = 0;
    // Takes the bytes over (they are left empty or as they were), and gives
    // the text away; by default both copy.
    virtual void MoveInText(std::string&& bytes) { LoadFromString(bytes); }
    virtual std::string MoveOutText() { return Text(); }
    // Whether a pass may ask the user (the processing window is bound to the
    // engine); false only when it never can.
    virtual bool MayAskTheUser() const { return true; }
    virtual bool Modified() const = 0;
    virtual void SetModified(bool on) = 0;

    // A rule's settings; the two texts compile and raise bw::Error when they fail.
    virtual void SetOptions(bool maskedSource, bool maskedTarget, bool ignoreMode) = 0;
    virtual void SetFolders(const QString& outFolder, const QString& inFolder) = 0;
    virtual void SetSearchOptions(bool matchCase, bool wholeWord) = 0;
    virtual void SetSourceText(const std::string& bytes) = 0;
    virtual void SetTargetText(const std::string& bytes) = 0;
    virtual TOnFoundActionType Action() const = 0;
    virtual void SetAction(TOnFoundActionType action) = 0;
    // Shows built replacements in the processing window.
    virtual void SetHintShown(bool on) = 0;

    // Passes over the whole text from position 0: one, or while the rule asks
    // to repeat and a pass still changes the text, up to the engine's caps;
    // between passes goOn is asked whether to go on. True when a cap stopped
    // a rule that was still changing the text. Running out of memory, or a
    // text outgrowing the engine, raises std::bad_alloc or TTextTooLong.
    virtual bool ProcessPasses(bool repeat, const std::function<bool()>& goOn) = 0;
    // Why a rename of the last passes failed; empty when none did.
    virtual QString RenameError() const = 0;
    // The user aborted or a pattern failed during a pass.
    virtual bool Aborted() const = 0;
    virtual void ClearAbort() = 0;
    // The file index that line blocks read.
    virtual void SetRunFileIndex(int index) = 0;
};

// What the run needs of the processing window.
class TRunProcessWindow {
public:
    virtual ~TRunProcessWindow() = default;
    virtual void Hide() = 0;
    virtual void PushCaption() = 0;
    virtual void PopCaption() = 0;
    virtual void SetCaption(const QString& caption) = 0;
    virtual void SetDefaultFont() = 0;
    virtual void PrepareFind() = 0;
    virtual void PrepareReplace() = 0;
    // A new text was loaded into the engine.
    virtual void TextLoaded() = 0;
};

// The processing window's controller and view as the run's processing window.
class TControllerProcessWindow : public TRunProcessWindow {
public:
    TControllerProcessWindow(TProcessController& controller, TProcessView& view)
        : controller_(controller), view_(view) {}
    void Hide() override;
    void PushCaption() override;
    void PopCaption() override;
    void SetCaption(const QString& caption) override;
    void SetDefaultFont() override {}
    void PrepareFind() override;
    void PrepareReplace() override;
    void TextLoaded() override;

private:
    TProcessController& controller_;
    TProcessView& view_;
};

// The processing run: every checked rule over every file in each of its code
// pages, then the conversion pass.
class TProcessRun {
public:
    enum class TState { Idle, Running, StopRequested };

    struct TParts {
        TRunWindow& Window;
        TRunFiles& Files;
        TRunRules& Rules;
        TRunScheme& Scheme;
        TRunEngine& Engine;
        TRunProcessWindow& Process;
        TMyGauge& Gauge;
        TReport& Report;
        TextSource Texts;
        std::function<bool(const QString& path)> MakeBackup; // the backup store
        // Saves a changed file over the one read with the stamp (updated when
        // saved), as SaveStringToReadFile, which it stands for when unset.
        std::function<TReadFileSave(const QString& path, TFileStamp& stamp, const std::string& text,
                                    bool checkContent)>
            Save = {};
    };

    explicit TProcessRun(TParts parts);

    // The Process action.
    void AStartExecute();
    // The Stop action: asks, then asks the run to stop at its next stop point.
    void AStopExecute();
    // Asks the run to stop without a question (Exit has asked already).
    void RequestStop();

    TState State() const { return state_; }
    bool Running() const { return state_ != TState::Idle; }
    bool StopRequested() const { return state_ == TState::StopRequested; }

    // The steps of a run, public for the plug-in host and for tests.
    bool CanStart();
    void BeforeRun();
    void AfterRun();
    void ProcessFile(const QString& fileName, TReport& report);
    void PrepareRule(const TSRInfo& rule);
    void ConvertFile(const QString& fileName, TReport& report);

    // Backs a file up once per run (the processing window's backups go
    // through here too); false when the backup failed and the user did not
    // ignore it. The answer holds for the rest of the run: a file whose copy
    // failed is not asked about again and keeps its text.
    bool BackupOnce(const QString& path);

    // Before a file is saved, the run makes sure that it is still the file it
    // read, unchanged. Off only to measure what that costs.
    bool CheckFilesBeforeSaving = true;
    // When no pass can wait on the user, worker threads read the files ahead
    // of the loop and search them, so that the loop passes over the files in
    // which no rule finds anything. Off: every file goes through the loop.
    bool ReadAhead = true;
    int ReadAheadWorkers = 0; // 0: one per core; fewer than TReadAhead::kMinWorkers: the loop alone
    // The read-ahead's budget for the texts it holds at once and its largest
    // file; 0: its own.
    std::int64_t ReadAheadBudget = 0;
    std::int64_t ReadAheadFileLimit = 0;

    // Run-wide state.
    QStringList FilesToProcess;
    bool CarriedYesToAll = false;
    int RunFileIndex = 0;
    TConversionContext Conversion; // ReverseConversion and DetectSampleSize of the run

private:
    QString Text(const char* key) const;
    void ShowMessage(const QString& text) const;
    void CountFileProcessed();
    // The rules over one file read into CurrentFileText with the given stamp.
    void ProcessRules(const QString& fileName, TFileStamp stamp, TReport& report, bool knownWithoutFinds);
    // readAhead: the file's text is in CurrentFileText already, read with that stamp.
    void ProcessFileAs(const QString& fileName, TReport& report, bool knownWithoutFinds,
                       const TFileStamp* readAhead);
    // The read-ahead of this run's files, when it may be used; else null.
    std::unique_ptr<class TReadAhead> StartReadAhead();
    // The output and input folders of a rule, absolute, resolved and made
    // once per run (not at every file).
    const std::pair<QString, QString>& RuleFolders(const TSRInfo& rule);
    // The file as it was read, again, after a change was not kept.
    void ReloadCurrentText(const QString& path);

    TParts p_;
    TState state_ = TState::Idle;
    bool unattended_ = false;           // no pass of this run can ask the user
    bool readForSaving_ = true;         // a file read may be saved (its stamp needs the path read)
    QString home_;                      // the program's home, resolved once per run
    std::set<QString> madeFolders_;
    // A rule's output and input folder texts -> the folders used for them.
    std::map<std::pair<QString, QString>, std::pair<QString, QString>> ruleFolders_;
    std::set<QString> backedUp_;
    std::set<QString> backupFailed_;
};
