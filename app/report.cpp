#include "app/report.h"

#include "platform/format.h"

QString TextOr(const TextSource& texts, const QString& key, const QString& fallback) {
    QString text = texts ? texts(key) : QString();
    return text.isEmpty() ? fallback : text;
}

namespace {

QString Text(const TextSource& texts, const char* key) {
    return texts ? texts(QString::fromLatin1(key)) : QString();
}

QString Fmt(const TextSource& texts, const char* key, const QVariantList& args) {
    return bw::format(Text(texts, key), args);
}

} // namespace

void ReportFileLine(TReport& report, const TReportOptions& options, const TextSource& texts,
                    const TFileLineFacts& facts) {
    const int f = facts.Finds;
    const int c = facts.Replacements;
    const QString& p = facts.Path;

    if (facts.Action == ofatDontChange && ((f > 0 && options.CBFound) || (f == 0 && options.CBSNotFound)))
        report.Append(Fmt(texts, "szFoundFile", {p, f}) + QStringLiteral(" (") + facts.CodePage + QLatin1Char(')'));

    if (facts.Modified) {
        switch (facts.Save) {
        case TSaveOutcome::GaveUp:
            report.Append(bw::format(TextOr(texts, QStringLiteral("szFileNotSaved"),
                                            QStringLiteral("%s: the changes were not saved")),
                                     {p}));
            break;
        case TSaveOutcome::Lossy:
            report.Append(bw::format(TextOr(texts, QStringLiteral("szFileLossyNotSaved"),
                                            QStringLiteral("%s: not saved, the changed text has characters that "
                                                           "code page %s cannot hold; the file is left as it was")),
                                     {p, facts.LossyCodePage.isEmpty() ? facts.CodePage : facts.LossyCodePage}));
            break;
        case TSaveOutcome::BackupFailed:
            break;
        case TSaveOutcome::ChangedSinceRead:
            report.Append(bw::format(TextOr(texts, QStringLiteral("szFileChangedSinceRead"),
                                            QStringLiteral("%s: changed by another program since it was read; not saved")),
                                     {p}));
            break;
        default:
            if (options.CBChanged)
                report.Append(Fmt(texts, "szChangedFile", {p, c, f}));
            break;
        }
    } else if (facts.Action == ofatReplace && ((f == 0 && options.CBRNotFound) || (f > 0 && options.CBNotChanged))) {
        report.Append(Fmt(texts, f == 0 ? "szNotChangedFile1" : "szNotChangedFile2", {p, f}));
    }

    if (facts.AlsoSavedEarlier)
        report.Append(bw::format(TextOr(texts, QStringLiteral("szAlsoSavedEarlier"),
                                        QStringLiteral("%s: this save also wrote the changes of earlier rules that "
                                                       "had not been saved")),
                                 {p}));
    if (!facts.RenameError.isEmpty())
        report.Append(bw::format(TextOr(texts, QStringLiteral("szRenameFailed"),
                                        QStringLiteral("%s: not renamed: %s")),
                                 {p, facts.RenameError}));
    if (facts.PassCapReached)
        report.Append(bw::format(TextOr(texts, QStringLiteral("szPassLimitReached"),
                                        QStringLiteral("%s: the rule still found changes after its last allowed "
                                                       "repeated pass and was stopped (%s)")),
                                 {p, facts.CodePage}));
}

void ReportUnreadableFile(TReport& report, const TextSource& texts, const QString& path, bool tooLarge) {
    report.Append(bw::format(tooLarge ? TextOr(texts, QStringLiteral("szFileTooLarge"),
                                               QStringLiteral("%s: the file is too large to be searched; it was skipped"))
                                      : TextOr(texts, QStringLiteral("szFileNotRead"),
                                               QStringLiteral("%s: the file could not be read; it was skipped")),
                             {path}));
}

void ReportBackupFailed(TReport& report, const TextSource& texts, const QString& path) {
    report.Append(bw::format(TextOr(texts, QStringLiteral("szBackupFailedUnchanged"),
                                    QStringLiteral("%s: its backup copy failed; the file was left unchanged")),
                             {path}));
}

void ReportOutOfMemory(TReport& report, const TextSource& texts, const QString& path) {
    report.Append(bw::format(TextOr(texts, QStringLiteral("szOutOfMemory"),
                                    QStringLiteral("%s: there was not enough memory to process the file; it was left "
                                                   "unchanged and its other rules were skipped")),
                             {path}));
}

void ReportUnknownCodePage(TReport& report, const TextSource& texts, const QString& path,
                           const QString& codePage) {
    report.Append(bw::format(TextOr(texts, QStringLiteral("szUnknownCodePage"),
                                    QStringLiteral("%s: code page \"%s\" is unknown, the rule skipped it")),
                             {path, codePage}));
}

void AddSummary(TReport& report, const TReportOptions& options, const TextSource& texts,
                TOnFoundActionType lastAction, const TSummaryCounts& counts) {
    if (!options.CBSummary)
        return;
    // Inserted bottom-up, so that top-down they read in the opposite order.
    if (lastAction != ofatDontChange) {
        report.InsertFirst(QString());
        report.InsertFirst(Fmt(texts, "szChanging", {counts.ReplacementsTotal, counts.FindsTotal}));
        report.InsertFirst(Fmt(texts, "szChanged", {counts.FilesWithReplacements, counts.FilesTotal}));
    } else {
        report.InsertFirst(Fmt(texts, "szFoundEnterings", {counts.FindsTotal}));
        report.InsertFirst(Fmt(texts, "szFoundFiles", {counts.FilesWithFinds}));
    }
    report.InsertFirst(Fmt(texts, "szProcessed", {counts.FilesProcessed, counts.FilesTotal}));
    report.InsertFirst(Text(texts, "szReport"));
}

void AddConvertReportHeader(TReport& report, const TextSource& texts, const TSummaryCounts& counts) {
    report.InsertFirst(Text(texts, "szReportPlus"));
    report.InsertFirst(QString());
    report.InsertFirst(Fmt(texts, "szProcessed", {counts.FilesProcessed, counts.FilesTotal}));
    report.InsertFirst(Text(texts, "szReport"));
}

void TMyGauge::Start(int maximum) {
    maximum_ = maximum;
    progress_ = 0;
    lastPercent_ = 0;
    view_.SetProgress(progress_, maximum_);
    view_.SetGaugeVisible(true);
    savedTitle_ = view_.Title();
}

void TMyGauge::Step(const QString& text) {
    if (progress_ < maximum_)
        ++progress_;
    view_.SetProgress(progress_, maximum_);
    // An empty gauge counts as done rather than dividing by zero.
    const int percent = maximum_ > 0 ? int(100LL * progress_ / maximum_) : 100;
    if (percent > lastPercent_) {
        lastPercent_ = percent;
        view_.SetTitle(QStringLiteral("{%1%} ").arg(percent) + (texts_ ? texts_(QStringLiteral("szProcessing")) : QString())
                       + QStringLiteral(" - ") + savedTitle_);
    }
    view_.SetPanelText(text);
}

void TMyGauge::Finish() {
    view_.SetTitle(savedTitle_);
    progress_ = 0;
    view_.SetProgress(progress_, maximum_);
    view_.SetGaugeVisible(false);
    view_.SetPanelText(QString());
}
