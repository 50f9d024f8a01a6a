#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/project.h"

class QEvent;
class QShortcut;
class TFMain;

// The main window's project commands and its other commands that hand work
// to other parts: help, printing and saving the report, exit, drops, mail
// links, and the title bar's close while a run is under way. It watches the
// main window's close and drop events.
class TMainCommands : public QObject, public TProjectHost {
    Q_OBJECT
public:
    explicit TMainCommands(TFMain& main);
    ~TMainCommands() override;

    TProjectController& Projects() { return *projects_; }

    // Start-up: opens ELastProject when the options say so.
    void OpenLastProject();

    void AOpenProjectExecute();
    void ASaveProjectExecute();
    void ASaveProjectAsExecute();
    // Raises bw::Error when a save fails, so the calling action stops.
    void AAutoSaveExecute();
    void AShowHelpExecute();
    // F1: the help topic of the focused control, or of the nearest control
    // around it that has one.
    void ShowContextHelp();
    void APrintReportExecute();
    void ASaveReportExecute();
    void AExitProgExecute();
    // The mail commands; key names the text of the subject.
    void MailLink(const char* key);
    // Files and folders dropped onto the window (full local paths).
    void DropItems(const QList<QUrl>& urls);

    // The help topic F1 shows for a widget: its own or its nearest parent's
    // help number, else keyword; empty when none has one.
    static QString HelpTopic(const QObject* widget);

    // TProjectHost
    QString LastProject() const override;
    void SetLastProject(const QString& path) override;
    void UpdateProjectName() override;
    QString ProjectFolder() const override;
    QString ChooseFile(bool forSaving, const QString& title, const QString& folder, const QString& filter) override;
    bool AutoSaveProject() const override;
    bool AutoSaveOptions() const override;
    void SaveOptions() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString text(const char* key) const;
    TextSource texts() const;
    // A run with its Stop, as opposed to Apply, which has none.
    bool RunWithStop() const;
    // Asked once the run has ended: closes the window, and ends the program
    // after Exit.
    void AfterRun();
    void EndProgram();

    TFMain& main_;
    std::unique_ptr<TProjectController> projects_;
    TFunctionSection treeSection_;
    TFunctionSection ruleSection_;
    TFunctionSection schemeSection_;
    TOptionsSection optionsSection_;
    QShortcut* helpKey_ = nullptr;
    bool closing_ = false;       // the window may close now
    bool closeAfterRun_ = false; // the title bar's close waits for the run
    bool exitAfterRun_ = false;  // Exit waits for the run
    bool exitAfterApply_ = false; // Exit, auto-save included, waits for Apply
};
