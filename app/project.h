#pragma once

#include <QString>
#include <array>
#include <functional>

#include "app/report.h"

class QIODevice;
class TFileVTreeView;
class TSRHeader;
class TSRList;
class TConversionScheme;

// A project file (".bwp") is the whole job of the main window: four sections
// back to back, no header, each written and read by its owner at the
// stream's position:
//   1 FileTreeBlock       the file tree with its marks and folder settings
//   2 RuleListBlock       the rule list and its header
//   3 ConvertSchemeBlock  the conversion scheme's steps
//   4 OptionsBlock        one empty length-prefixed string, read and dropped
// Nothing follows the fourth section.

// One section of a project file.
class TProjectSection {
public:
    virtual ~TProjectSection() = default;
    virtual void SaveSection(QIODevice& stream) = 0;
    // Empties what the section fills; runs once the file is open, right
    // before the section is read, so a project replaces the job it opens into.
    virtual void ClearSection() {}
    // Reads one section at the stream's position; raises bw::Error (or any
    // std::exception) when it does not read.
    virtual void LoadSection(QIODevice& stream) = 0;
};

// A section made of three functions; empty ones do nothing.
class TFunctionSection : public TProjectSection {
public:
    std::function<void(QIODevice&)> Save;
    std::function<void()> Clear;
    std::function<void(QIODevice&)> Load;

    void SaveSection(QIODevice& stream) override;
    void ClearSection() override;
    void LoadSection(QIODevice& stream) override;
};

// The widget-free owners of the sections.
class TFileTreeSection : public TProjectSection {
public:
    explicit TFileTreeSection(TFileVTreeView& tree) : tree_(tree) {}
    void SaveSection(QIODevice& stream) override;
    void ClearSection() override;
    void LoadSection(QIODevice& stream) override;

private:
    TFileVTreeView& tree_;
};

class TRuleListSection : public TProjectSection {
public:
    TRuleListSection(TSRHeader& header, TSRList& list) : header_(header), list_(list) {}
    void SaveSection(QIODevice& stream) override;
    void ClearSection() override;
    // The rules read before a damaged spot stay.
    void LoadSection(QIODevice& stream) override;

private:
    TSRHeader& header_;
    TSRList& list_;
};

// Emptied before it is read: opening a project twice gives its steps once.
class TSchemeSection : public TProjectSection {
public:
    explicit TSchemeSection(TConversionScheme& scheme) : scheme_(scheme) {}
    void SaveSection(QIODevice& stream) override;
    void ClearSection() override;
    void LoadSection(QIODevice& stream) override;

private:
    TConversionScheme& scheme_;
};

class TOptionsSection : public TProjectSection {
public:
    void SaveSection(QIODevice& stream) override;
    void LoadSection(QIODevice& stream) override;
};

// The four sections in file order.
struct TProjectSections {
    static constexpr int Count = 4;
    std::array<TProjectSection*, Count> Items{};

    TProjectSections() = default;
    TProjectSections(TProjectSection& fileTree, TProjectSection& ruleList, TProjectSection& scheme,
                     TProjectSection& options)
        : Items{&fileTree, &ruleList, &scheme, &options} {}
};

// What reading a project found.
struct TProjectReadResult {
    // Per section: it raised an error (what it read before stays).
    std::array<bool, TProjectSections::Count> Failed{};
    // Bytes were left after the fourth section.
    bool TrailingData = false;
    bool Damaged() const;
};

// Writes the four sections in order; raises what a section raises.
void WriteProject(QIODevice& stream, const TProjectSections& sections);
// Clears and reads each section in turn, each in its own guard: an error
// inside one is kept in the result, and the next section reads from wherever
// the stream then stands.
TProjectReadResult ReadProject(QIODevice& stream, const TProjectSections& sections);

// Saves the project under path: the folders on the path are created, the
// sections go to a temporary file beside it, and that file replaces the
// project only once every section is written. Raises bw::Error naming the
// file when anything fails; the old file is then left whole.
void SaveProjectFile(const QString& path, const TProjectSections& sections, const TextSource& texts);

// The built-in English texts of the message keys of the project and main
// window commands, for a language file that lacks them.
QString CommandMessageText(const QString& key);

// What the project commands need of the main window and the options dialog.
class TProjectHost {
public:
    virtual ~TProjectHost() = default;
    // The hidden edit ELastProject: a full path, or "New project".
    virtual QString LastProject() const = 0;
    virtual void SetLastProject(const QString& path) = 0;
    // AUpdateProjectName: the title follows ELastProject.
    virtual void UpdateProjectName() = 0;
    // Default folder of project files.
    virtual QString ProjectFolder() const = 0;
    // A file chooser: an existing file to open, or (forSaving) a file to save
    // into, given the suffix "bwp" when typed without one. Empty: cancelled.
    virtual QString ChooseFile(bool forSaving, const QString& title, const QString& folder,
                               const QString& filter) = 0;
    // The options dialog's CBSaveProject and CBAutoSave.
    virtual bool AutoSaveProject() const = 0;
    virtual bool AutoSaveOptions() const = 0;
    // The options dialog's AOSave: writes the settings file.
    virtual void SaveOptions() = 0;
};

// The project commands of the main window, without widgets. Errors are
// raised as bw::Error for the action that called them to show.
class TProjectController {
public:
    enum class TSaveResult { Saved, Cancelled };

    TProjectController(TProjectHost& host, TProjectSections sections, TextSource texts);

    // Opens a project by its path. ELastProject takes the path and the title
    // names it even when no file is there (nothing is opened then: false).
    // A folder counts as no file. Anything else that is not a regular file (a
    // named pipe, socket, device, a loop of links), and a file that cannot be
    // opened, raise bw::Error at once. A damaged project loads what its
    // sections manage and says so once.
    bool OpenProject(const QString& path);
    // As OpenProject, for the last project at start-up: whatever is not a
    // regular file there opens nothing, without a message, as a missing one.
    bool OpenLastProject(const QString& path);
    // Asks for a project file and opens it.
    void AOpenProjectExecute();
    // A never-saved project goes to Save as. Raises bw::Error when the file
    // cannot be written (the old file stays whole).
    TSaveResult ASaveProjectExecute();
    // Asks for a file (and whether to replace an existing one), then saves.
    TSaveResult ASaveProjectAsExecute();
    // Saves the project and the settings as the options say. A project opened
    // damaged is not written over until the user saves it by hand. Raises
    // bw::Error when a save fails, so the calling action stops.
    void AAutoSaveExecute();

    // The open project was read with damage and has not been saved by hand since.
    bool Damaged() const;

    QString Filter() const;

private:
    QString text(const char* key) const;
    bool open(const QString& path, bool quiet);
    void save(const QString& path);

    TProjectHost& host_;
    TProjectSections sections_;
    TextSource texts_;
    QString damagedPath_;
};
