#pragma once

#include <QString>
#include <vector>

// An option of a plug-in's panel.
struct TPluginOption {
    const char* Text;   // the panel's item text, untranslated
    const char* Suffix; // added to the file's path for the report line; may be empty
};

// The report line of an option applied to a file: the path, then the
// option's suffix in the interface's language.
QString OptionReportLine(const QString& path, const TPluginOption& option);

// Which options of a plug-in are checked, by option index.
using TPluginSelection = std::vector<bool>;

inline bool IsSelected(const TPluginSelection& selection, int index) {
    return index >= 0 && std::size_t(index) < selection.size() && selection[std::size_t(index)];
}

// A plug-in's own settings file below the program's writable folder: section
// "General", key "Selected" holds the checked indexes in ascending order,
// joined by "," (empty when none is checked; a missing file or key means none).
class PluginIniFile {
public:
    // fileName is the bare name ("SimpleChanger.ini"); optionCount the number
    // of options the plug-in has.
    PluginIniFile(const QString& fileName, int optionCount);

    const QString& Path() const { return path_; }
    int OptionCount() const { return optionCount_; }

    // The stored selection. Entries that are not option indexes are ignored.
    TPluginSelection Read() const;
    // Stores the selection when its text differs from what the file holds
    // (a damaged value is so written anew); false when the file could not be
    // written.
    bool Write(const TPluginSelection& selection) const;

    static QString ToText(const TPluginSelection& selection);
    static TPluginSelection FromText(const QString& text, int optionCount);

private:
    QString StoredText() const;

    QString path_;
    int optionCount_;
};
