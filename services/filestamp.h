#pragma once

#include <QString>
#include <cstdint>

// What identifies the content of a file as it was read: the file a path
// names after following links (device and inode), its size and its
// modification time. Taken when a file is read and tested before the file is
// saved, so that a save never overwrites a file another program changed,
// deleted or replaced (a link swapped in included) after it was read.
struct TFileStamp {
    bool Valid = false; // false: the path named no file that could be examined
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0; // nanoseconds since the epoch
    // The file read, with links resolved as it was read (empty when the stamp
    // was not taken by reading it): a save of what was read goes there and
    // follows no link that appeared since.
    QString Path;

    // The same file with the same content (where it was read from is not compared).
    bool operator==(const TFileStamp& other) const {
        return Valid == other.Valid && Device == other.Device && Inode == other.Inode && Size == other.Size &&
               ModifiedNs == other.ModifiedNs;
    }
};

// Whether what stat() tells now is the stamp's file (device and inode) and,
// when content is set, a valid stamp's unchanged content (size and time).
bool StampDescribes(const TFileStamp& stamp, const struct stat& now, bool content);

// The stamp of a regular file from what stat() or fstat() told of it.
TFileStamp FileStampOf(const struct stat& st);

// The path with its links resolved now (the path made absolute when it names
// nothing).
QString ResolvedFilePath(const QString& path);

// The stamp of the file the path names now; an invalid stamp when there is none.
TFileStamp TakeFileStamp(const QString& path);

// True when the path still names the file of the stamp, unchanged.
bool FileMatchesStamp(const QString& path, const TFileStamp& stamp);

// Reads the whole file (as LoadFileToString) and stamps it (as
// LoadFileChecked, with no size limit). A file that changes while it is read
// gets a stamp that will not match. False when the file cannot be read.
bool LoadFileStamped(const QString& path, std::string& text, TFileStamp& stamp);
