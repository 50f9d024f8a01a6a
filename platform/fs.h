#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QFileDevice>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include <ctime>
#include <optional>
#include <sys/stat.h>

namespace bw {

// Attribute bits of a folder entry, with the values the stored filters use.
// The host has no such bits; they are derived from what it has:
//   faReadOnly  the owner may not write (owner-write permission bit clear)
//   faHidden    the name begins with '.'
//   faSystem    neither a regular file nor a folder (device, pipe, socket)
//   faDirectory a folder (also a link to one)
//   faArchive   a regular file (every freshly written file carries it)
//   faSymLink   the entry itself is a symbolic link
enum FileAttribute : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSystem = 0x04,
    faVolumeId = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faSymLink = 0x400,
    faAnyFile = 0x3F,
};

struct FileEntry {
    QString name;       // name only, no folder
    qint64 size = 0;    // bytes; 0 for folders
    unsigned attributes = 0;
    QDateTime modified; // the instant, in UTC (toLocalTime() to show it)
    // False when the name's bytes are not valid in the host's file-name
    // encoding (UTF-8); name then holds a lossy reading of them.
    bool exactName = true;

    bool isDirectory() const { return attributes & faDirectory; }
    bool isReadOnly() const { return attributes & faReadOnly; }
    bool isHidden() const { return attributes & faHidden; }
};

// Whether name matches a wildcard pattern over the whole name: '*' any run of
// characters, '?' exactly one, anything else itself. "*.*" matches every name,
// with or without a point.
bool matchesWildcard(const QString& name, const QString& pattern,
                     Qt::CaseSensitivity cs = Qt::CaseSensitive);

// What a listing asks the file system for besides names and kinds.
enum class EntryDetails {
    All,      // size, modification time and the read-only bit too
    NamesOnly // size 0, no time, no read-only bit: no call per entry (links aside)
};

// The entries of a folder whose names match the pattern, in name order without
// regard to case (ties by exact name), "." and ".." left out. Regular files and
// read-only or archive entries are always listed; hidden, system and folder
// entries only when their bit is in attributeMask. Links are described by what
// they point to; dangling links are left out. A missing or unreadable folder
// gives no entries.
std::vector<FileEntry> listFolder(const QString& folder, const QString& pattern = QStringLiteral("*"),
                                  unsigned attributeMask = faAnyFile,
                                  Qt::CaseSensitivity cs = Qt::CaseSensitive,
                                  EntryDetails details = EntryDetails::All);

// The entry for one path, or nothing when it does not exist.
std::optional<FileEntry> fileEntry(const QString& path);

// An existing file that is not a folder (links followed).
bool fileExists(const QString& path);
// An existing folder (links followed).
bool directoryExists(const QString& path);

// directoryExists for many absolute paths in a row, links followed: each
// folder that the paths sit in is listed once and its subfolders kept, so
// the paths of one folder cost no call to the file system each.
class FolderProbe {
public:
    bool isDirectory(const QString& path);

private:
    // Folder -> the encoded names of its subfolders, sorted; nothing for a
    // folder that cannot be listed (each path is then asked about).
    std::map<QString, std::optional<std::vector<std::string>>> subfolders_;
    // The entry of the folder asked about last.
    const QString* lastParent_ = nullptr;
    const std::optional<std::vector<std::string>>* lastNames_ = nullptr;
};

// The read-only attribute: true when the path exists and its owner may not write it.
bool isReadOnly(const QString& path);
// Gives the owner write permission back; the other permissions stay. True when
// the path is writable by its owner afterwards.
bool clearReadOnly(const QString& path);

// Copies a file with its permissions and modification time. An existing
// target is replaced only when overwrite is true (read-only or not), and only
// once the copy is complete, so a failed copy leaves it as it was.
// beforeReplace (when given) runs once the copy is complete, before it takes
// the target's name.
bool copyFile(const QString& from, const QString& to, bool overwrite,
              const std::function<void()>& beforeReplace = {});
// The path a write to path reaches: symbolic links followed to their final
// target, also when that target does not exist yet. Other paths come back as given.
QString resolveLinks(const QString& path);

// What replaceFile, writeFileInPlace and appendToFile hand the write callback:
// the only way into a file the program saves. Every write is checked for its
// whole count (the system may write fewer bytes than it was given, with no
// error, on a full disk or past the file-size limit); the first short or
// failed write is remembered, the writes after it do nothing, and the routine
// that owns the writer then fails instead of keeping the file.
class FileWriter {
public:
    explicit FileWriter(int fd) : fd_(fd) {}
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Writes all the bytes; false (and failed() from then on) when not all were written.
    bool write(QByteArrayView bytes);
    bool write(const char* data, qint64 size) { return write(QByteArrayView(data, size)); }
    bool failed() const { return failed_; }
    // The bytes written so far.
    qint64 written() const { return written_; }

private:
    int fd_;
    bool failed_ = false;
    qint64 written_ = 0;
};

using WriteFunction = std::function<bool(FileWriter& out)>;

// How replaceFile sets up the new file.
struct ReplaceOptions {
    // Permissions of the new file; when unset, those of the file it replaces,
    // or the defaults of a newly created file when there is none.
    std::optional<QFileDevice::Permissions> permissions;
    // Give the owner write permission (the read-only attribute is cleared).
    bool ownerWritable = false;
    // Modification time to set; invalid keeps the time of writing.
    QDateTime modified;
    // Runs once the new file is complete, right before it replaces the file.
    std::function<void()> beforeReplace;
    // Set for a file saved back where it was read. The path is then the file
    // itself, as resolved when it was read: no link is followed (in its
    // folders neither), the new file is made beside it, and what lstat tells
    // of the path is handed to this check before anything is created or
    // removed in the folder, and again right before the rename (nothing else
    // between them). The save fails with ReplaceFailure::Changed, and nothing
    // is created, removed or renamed in any other folder, when the path is
    // gone, is no longer a regular file (a link swapped in), leads through a
    // link, or the check says false: a file that went away is never created
    // again.
    std::function<bool(const struct stat& now)> unchangedSinceRead;
};

// Why replaceFile failed.
enum class ReplaceFailure {
    None,
    // No temporary file could be made beside the file (a folder we may not write).
    NoTemporary,
    // The file read is gone or is not the one read any more (unchangedSinceRead).
    Changed,
    // Anything else: writing, setting up or renaming the new file.
    Other,
};

// A free-looking name for a temporary file beside path, as the saves below
// name theirs: "." + the file's name + "." + a random hexadecimal number +
// ".tmp". A later save of path removes such a file left by a killed one.
QString temporaryNameBeside(const QString& path);

// Removes from folder the temporary files that killed saves (replaceFile) of
// the files ours() picks by name left behind. Only regular files named exactly
// as replaceFile names its temporaries count, and only when that name holds
// the file's whole name: the name of a longer file is cut short in it and
// could be another file's. Nothing else in the folder is touched. Meant for a
// file no other save is writing meanwhile. Within a ReplaceSession the folder
// is read once per session, as for replaceFile.
void removeLeftTemporaries(const QString& folder, const std::function<bool(const QString& fileName)>& ours);

// Writes a new version of a file without ever leaving it half-written: write()
// fills a temporary file in the same folder, named "." + the file's name + "."
// + a random hexadecimal number + ".tmp", which is then renamed over the file.
// The rename is what makes it safe: a failed or short write or a crash of the
// program leaves the old file whole. The temporary file is owner-only while
// it is written and takes the file's mode once complete, so nobody who may
// not read the file reads its new text. Temporary files of the same file's
// earlier saves that were killed (older than this save's one) are removed.
// The data is not forced to the disk (no fsync per file): that doubled the
// time of saving a tree of files, and the default file system here (ext4)
// commits a replacing rename after the file's data. Links are followed, so a
// link's target is replaced and the link stays (unless unchangedSinceRead is
// set). Only a regular file is replaced: anything else in its place (a
// device, pipe, socket or folder) fails the save. The file keeps its owner.
// When write() returns false, any write fell short or any step fails, the old
// file is untouched, the temporary file is removed and the result is false
// (*failure says why); when write() throws, the temporary file is removed and
// the exception passes on.
bool replaceFile(const QString& path, const WriteFunction& write, const ReplaceOptions& options = {},
                 ReplaceFailure* failure = nullptr);
// The same with the whole new content at hand.
bool replaceFile(const QString& path, QByteArrayView bytes, const ReplaceOptions& options = {},
                 ReplaceFailure* failure = nullptr);

// While one lives, replaceFile on this thread reads each folder once for the
// temporary files of killed saves, instead of at every save: a run that saves
// many files of one folder would otherwise read it once per file. The
// temporaries found are removed as their files are saved, as without it;
// those that appear meanwhile are left to saves after it.
class ReplaceSession {
public:
    ReplaceSession();
    ~ReplaceSession();
    ReplaceSession(const ReplaceSession&) = delete;
    ReplaceSession& operator=(const ReplaceSession&) = delete;

    struct Stale {
        std::string name;
        timespec modified;
    };
    // The temporary-looking names of a folder (the path, open as folderFd),
    // read through folderFd on the first call.
    std::vector<Stale>& Folder(const QByteArray& folder, int folderFd);

private:
    std::map<QByteArray, std::vector<Stale>> folders_;
    ReplaceSession* outer_;
};

// Writes an existing regular file in place, for when no temporary file can be
// made beside it; true when it then holds exactly bytes. It ends holding
// either those bytes or its old ones byte for byte: the room for the new text
// is reserved first (a full disk or the file-size limit refuses it before
// anything is written), the new text goes over the old one and the file is
// cut to size only once it is complete, and should a write still fail the old
// text is written back over what it reached and the old size restored. The
// read-only attribute is cleared first when ownerWritable is set (and set
// again when the save fails). Nothing but a regular file is opened for
// writing or changed. With unchangedSinceRead (as for replaceFile) the path
// is not followed when a link and the open file is checked before it is written.
bool writeFileInPlace(const QString& path, QByteArrayView bytes, bool ownerWritable,
                      const std::function<bool(const struct stat& now)>& unchangedSinceRead = {});

// Adds bytes at the end of the file, creating it when missing (also for no
// bytes). Only a regular file (or a link to one) is written: anything else
// (a folder, pipe, socket or device) is refused before anything of it is
// changed. A read-only file is made writable by its owner. A failed or short
// write cuts the file back to its size before (and its mode), and a file this
// call created is removed again; false then.
bool appendToFile(const QString& path, QByteArrayView bytes);

// Makes a write past the process's file-size limit fail with an error instead
// of ending the program with SIGXFSZ. Every write routine here calls it.
void ignoreFileSizeSignal();

// Renames or moves a file or folder; fails when the target exists.
bool renamePath(const QString& from, const QString& to);
// Deletes a file (not a folder).
bool deleteFile(const QString& path);
// Creates a folder with all missing parents; true when it exists afterwards.
bool forceDirectories(const QString& path);

} // namespace bw
