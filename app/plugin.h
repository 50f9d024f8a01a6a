#pragma once

#include <QString>

class QWidget;

// What the plug-in host and a plug-in promise each other. Plug-ins are built
// into the program; the host owns each one alone, and destroying a plug-in
// hides its configuration panel (storing the selection) first.
//
// Results are true for success and false for failure; the host does not look
// at them.

// Where a plug-in writes the lines of the report.
class IReport {
public:
    virtual ~IReport() = default;
    virtual bool AddLine(const QString& line) = 0;
};

// The per-file record. Process takes it by value: a change a plug-in makes to
// its copy reaches neither the host nor the next plug-in.
struct TInfo {
    QString FileName;          // full path of the file
    bool Continue = true;      // set by the host before the first file
    IReport* Report = nullptr; // not owned; no lines are written when null
};

class IPlugin {
public:
    IPlugin() = default;
    IPlugin(const IPlugin&) = delete;
    IPlugin& operator=(const IPlugin&) = delete;
    virtual ~IPlugin() = default;

    // The display name.
    virtual QString GetName() const = 0;
    // Builds the configuration panel (when there is none) as a child of
    // parent filling it, and sets it from the stored selection.
    virtual bool ShowConfig(QWidget* parent) = 0;
    // Stores the panel's selection; nothing without a panel. The host calls
    // it before every Process.
    virtual bool Prepare() = 0;
    // Stores the selection and destroys the panel.
    virtual bool HideConfig() = 0;
    // Processes the file named in info, writing report lines through info.Report.
    virtual bool Process(TInfo info) = 0;
};
