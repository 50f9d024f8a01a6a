#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The lines of one line file with its cursor.
class TTagStringList {
public:
    // Lines in file order, without their line ends.
    std::vector<std::string> Lines;
    // The cursor kept by TTextFiles::SaveCursors.
    qint32 SavedIndex = 0;
    // The cursor: the index of the line the next TTextFiles::NextLine gives.
    qint32 LineIndex = 0;

    int Count() const { return static_cast<int>(Lines.size()); }

    // Splits text into Lines at CR, LF or CR LF. A line end after the last line
    // adds no empty line, an empty text has no lines, and a zero byte ends the text.
    void SetText(std::string_view text);
};

// The line files of one processing run: each file is read at its first use and
// keeps one cursor for the whole run. Files are known by their path exactly as
// given (names are case-sensitive). Cursors always stay within the lines:
// steps wrap around in both directions (-1 from the first line goes to the last).
class TTextFiles {
public:
    TTextFiles() = default;
    TTextFiles(const TTextFiles&) = delete;
    TTextFiles& operator=(const TTextFiles&) = delete;

    // The file's index in the cache, reading it at its first use. A file that
    // cannot be read raises bw::Error naming it, at this and every later lookup
    // in the run, and is not kept as an entry.
    int IndexOf(const QString& path);

    int Count() const { return static_cast<int>(Keys.size()); }
    const QString& Key(int index) const { return Keys.at(index); }
    TTagStringList& List(int index) { return *Lists.at(static_cast<std::size_t>(index)); }

    // The line at the cursor; then the cursor moves by step. Empty for a file without lines.
    std::string NextLine(const QString& path, int step);
    // The cursor moves by step; then the line at it. Empty for a file without lines.
    std::string AdvanceLine(const QString& path, int step);
    // Line n (0-based); empty when there is no such line. The cursor stays.
    std::string LineAt(const QString& path, int n);

    // Every file's SavedIndex := LineIndex.
    void SaveCursors();
    // Every file's LineIndex := SavedIndex.
    void RestoreCursors();

private:
    TTagStringList& listOf(const QString& path) { return List(IndexOf(path)); }

    QStringList Keys;
    std::vector<std::unique_ptr<TTagStringList>> Lists;
    QHash<QString, int> Index;
    QHash<QString, QString> Failures; // path -> the message raised for it
};

// The line-file cache of the processing run in progress; none between runs.
extern TTextFiles* TextFilesCache;
