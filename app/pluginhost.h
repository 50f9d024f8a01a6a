#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/plugin.h"
#include "app/report.h"

class QWidget;

// Makes one plug-in; the host lists them in the order of its table.
using TPluginFactory = std::function<std::unique_ptr<IPlugin>()>;

// Where the plug-ins' report lines go: each becomes the report's last line.
class TMyReporter final : public IReport {
public:
    explicit TMyReporter(TReport& report) : report_(report) {}
    bool AddLine(const QString& line) override;

private:
    TReport& report_;
};

// What Apply needs of the main window.
struct TApplyParts {
    explicit TApplyParts(QStringList& files) : FilesToProcess(files) {}

    // The run's list of files; Apply leaves it filled until the next fill.
    QStringList& FilesToProcess;
    // Fills the list from the file tree; when it stays empty the user has been told.
    std::function<void(QStringList& files)> GetFilesToProcess;
    // The processing run's steps around a run: gauge, report, clearing options.
    std::function<void()> BeforeRun;
    std::function<void()> AfterRun;
    std::function<void()> ShowInFiles;
    // Apply has started or ended: the window locks or unlocks its commands.
    std::function<void()> BusyChanged;
    // The backup store: false when the copy was aborted.
    std::function<bool(const QString& path)> MakeBackup;
    TMyGauge* Gauge = nullptr;
    std::function<void()> PumpEvents;
    IReport* Reporter = nullptr;
    TextSource Texts;
};

// The plug-ins listed on the Plugins page: each one's name and check box, the
// selected item, and the one whose configuration panel is shown.
class TPluginHost {
public:
    // Longest name kept for an item.
    static constexpr int kMaxNameLength = 255;

    explicit TPluginHost(std::vector<TPluginFactory> builtIns);
    ~TPluginHost();
    TPluginHost(const TPluginHost&) = delete;
    TPluginHost& operator=(const TPluginHost&) = delete;

    // Releases the listed plug-ins and lists every built-in one anew,
    // unchecked, item 0 selected, no panel shown. Nothing while Apply runs.
    void Link();
    // Releases the listed plug-ins in list order (each one stores its panel's
    // selection as it goes) and empties the list. Nothing while Apply runs.
    void Unlink();

    int Count() const { return int(items_.size()); }
    // Null and empty outside the list.
    IPlugin* Plugin(int index) const;
    QString Name(int index) const;
    QStringList Names() const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    bool AnyChecked() const;

    // The selected item; -1 when none.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int ShownPluginIndex() const { return shown_; }

    // The list was clicked: hides the shown panel (storing its selection)
    // and shows the selected plug-in's panel in parent. The shown item
    // selected again does nothing.
    void Click(QWidget* parent);

    // Apply is offered while the file tree has a node and a plug-in is checked.
    bool CanApply(bool treeHasNodes) const { return treeHasNodes && AnyChecked() && !applying_; }
    bool Applying() const { return applying_; }

    // Fills the list of files and runs the checked plug-ins over it. Every
    // failure is shown to the user; nothing is thrown.
    void Apply(const TApplyParts& parts);

    // Apply's loop over files: for each one that exists a backup, then each
    // checked plug-in in list order gets Prepare and Process with its own copy
    // of the record; the gauge steps and events are pumped after each such
    // file. A file whose backup was aborted gets no plug-in and a report line.
    // current names the file being worked on when an exception leaves.
    void ApplyToFiles(const QStringList& files, const TApplyParts& parts, QString* current = nullptr);

private:
    struct TItem {
        std::unique_ptr<IPlugin> Plugin;
        QString Name;
        bool Checked = false;
    };

    std::vector<TPluginFactory> builtIns_;
    std::vector<TItem> items_;
    int itemIndex_ = -1;
    int shown_ = -1;
    bool applying_ = false;
};
