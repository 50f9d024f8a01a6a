#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "engine/srinfo.h"

// The report of a run and the progress gauge, without widgets: the main
// window shows the lines in its memo and binds the gauge to its status bar.

// Translation of a key; production binds it to the language manager's GetText.
using TextSource = std::function<QString(const QString& key)>;

// The text of a key, or the given English text when the language has none
// (for lines that only this program writes, so an older language file still
// yields a readable report).
QString TextOr(const TextSource& texts, const QString& key, const QString& fallback);

// Lines of the report. During a run lines are only appended or inserted at
// the top.
class TReport {
public:
    void Append(const QString& line) { lines_.append(line); }
    void InsertFirst(const QString& line) { lines_.prepend(line); }
    void Clear() { lines_.clear(); }
    int Count() const { return int(lines_.size()); }
    bool IsEmpty() const { return lines_.isEmpty(); }
    const QStringList& Lines() const { return lines_; }
    const QString& operator[](int i) const { return lines_[i]; }
    // The lines joined by line feeds, as the memo shows them.
    QString Text() const { return lines_.join(QLatin1Char('\n')); }

private:
    QStringList lines_;
};

// The eight boxes of the report options frame; all checked at start.
struct TReportOptions {
    bool CBSummary = true;
    bool CBTErrors = true;
    bool CBSErrors = true;
    bool CBChanged = true;
    bool CBNotChanged = true;
    bool CBRNotFound = true;
    bool CBSNotFound = true;
    bool CBFound = true;
};

// What became of a changed text when the run tried to save it.
enum class TSaveOutcome {
    NotModified, // nothing to save
    Saved,
    GaveUp,      // the save failed and the user did not try again
    Lossy,       // the text has no exact form in the file's code page: left as it was
    BackupFailed, // its backup copy failed: left as it was (one line for the file, see ReportBackupFailed)
    ChangedSinceRead, // another program changed, removed or replaced the file after it was read
};

// What the run knows about one code page of one rule on one file.
struct TFileLineFacts {
    QString Path;          // as the run got it (after a rename, the new path)
    QString CodePage;      // the code-page name of the rule
    TOnFoundActionType Action = ofatDontChange;
    int Finds = 0;         // F: the rule's pass find count so far on this file
    int Replacements = 0;  // C: the rule's pass replacement count so far
    bool Modified = false; // the engine's modified flag after the passes
    TSaveOutcome Save = TSaveOutcome::NotModified;
    bool PassCapReached = false; // the engine stopped a repeating rule at its pass cap
    QString RenameError;         // why the rule could not rename the file
    QString LossyCodePage;       // for TSaveOutcome::Lossy: the code page that cannot hold the characters
    bool AlsoSavedEarlier = false; // the save also wrote changes of earlier rules whose saves were given up
};

// Appends the lines for one code page of one rule on one file.
void ReportFileLine(TReport& report, const TReportOptions& options, const TextSource& texts,
                    const TFileLineFacts& facts);

// A line for a file of the list that exists but could not be read, or is
// longer than the engine can hold.
void ReportUnreadableFile(TReport& report, const TextSource& texts, const QString& path, bool tooLarge);

// A line for a file whose backup copy failed, so that it was left unchanged.
void ReportBackupFailed(TReport& report, const TextSource& texts, const QString& path);

// A line for a file that could not be processed for want of memory.
void ReportOutOfMemory(TReport& report, const TextSource& texts, const QString& path);

// A code-page name the code-page table does not know.
void ReportUnknownCodePage(TReport& report, const TextSource& texts, const QString& path,
                           const QString& codePage);

// The counters the summary and the conversion header read.
struct TSummaryCounts {
    int FilesProcessed = 0;
    int FilesTotal = 0; // entries of the list of files to process
    int FindsTotal = 0;
    int FilesWithFinds = 0;        // files in which some rule found something
    int ReplacementsTotal = 0;
    int FilesWithReplacements = 0; // files some rule changed
};

// Inserts the summary of the search/replace pass at the top (when the
// Summary box is checked); its form follows the action of the rule prepared
// last.
void AddSummary(TReport& report, const TReportOptions& options, const TextSource& texts,
                TOnFoundActionType lastAction, const TSummaryCounts& counts);

// Inserts the header of the conversion pass at the top.
void AddConvertReportHeader(TReport& report, const TextSource& texts, const TSummaryCounts& counts);

// The widget side of the gauge: the main window's status bar and title.
class TGaugeView {
public:
    virtual ~TGaugeView() = default;
    virtual QString Title() const = 0;
    virtual void SetTitle(const QString& title) = 0;
    virtual void SetPanelText(const QString& text) = 0;
    virtual void SetProgress(int progress, int maximum) = 0;
    virtual void SetGaugeVisible(bool visible) = 0;
};

// Progress of a run in the status bar and in the application's title.
class TMyGauge {
public:
    TMyGauge(TGaugeView& view, TextSource texts) : view_(view), texts_(std::move(texts)) {}

    void Start(int maximum);
    void Step(const QString& text);
    void Finish();

    int Maximum() const { return maximum_; }
    int Progress() const { return progress_; }
    int LastPercent() const { return lastPercent_; }

private:
    TGaugeView& view_;
    TextSource texts_;
    int maximum_ = 0;
    int progress_ = 0;
    int lastPercent_ = 0;
    QString savedTitle_;
};
