#pragma once

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "services/filestamp.h"

// Whole texts between memory and files, and length-prefixed strings in byte
// streams. Texts are bytes exactly as they are in the file: no code-page, byte
// order mark or line-end handling happens here.

namespace bw {

// A length-prefixed string that cannot be read: the stream ends before the
// count or the text, or the count is negative or larger than what remains.
class StreamReadError : public Error {
public:
    using Error::Error;
};

} // namespace bw

// The text of a message key of these routines in the language in use, else
// its built-in English text; an empty text for any other key.
QString GetMessageText(const QString& key);

// Reads the whole regular file (or the one a link leads to) into text. False
// at once for anything else (folder, named pipe, device, socket) and on any
// failure (missing file, no access, read error); text is then left as it was.
bool LoadFileToString(const QString& path, std::string& text);

// What LoadFileChecked found.
enum class TLoadOutcome {
    Loaded,
    NotAFile,   // missing, or a folder, pipe, device or socket
    TooLarge,   // a regular file larger than the limit: not read
    Unreadable, // a regular file that could not be read
};

// As LoadFileStamped, in one opening of the file: reads the whole regular
// file into text when it is at most maxSize bytes long, and stamps it from
// the open file (a file that changes while it is read gets a stamp that
// will not match). The stamp's Path is the file opened, with links resolved
// as it was opened; it is left empty when forSaving is false (a text that is
// never saved back), as finding it costs a system call per file. text is
// left as it was unless the outcome is Loaded.
TLoadOutcome LoadFileChecked(const QString& path, std::string& text, TFileStamp& stamp,
                             std::uint64_t maxSize, bool forSaving = true);

// Replaces the file's content with text, creating the file when missing. The
// file is never left half-written: the text goes to a temporary file beside it,
// which replaces the file once complete (a link's target is replaced; the file
// keeps its permissions, except that a read-only file becomes writable). A file
// in a folder where no temporary file can be made is written in place, and
// holds either the whole text or its old bytes afterwards. When saving fails
// the user is asked whether to try again; false once they say No.
bool SaveStringToFile(const QString& path, const std::string& text);

// How SaveStringToReadFile ended.
enum class TReadFileSave {
    Saved,
    Changed, // the file read is gone, or another file (a link included) took its place, or its content
             // changed while that was checked: nothing was written there
    NotSaved // saving failed and the user gave up trying again
};

// Saves text over the file that was read with stamp, as SaveStringToFile
// does, but to the file itself (stamp.Path, as resolved when it was read):
// links that appeared at that path since are not followed, a file that went
// away is not created again, and right before the new file takes its place
// that place must still hold the file read (device and inode), unchanged in
// size and time too when checkContent is set. On success stamp describes the
// new file. A stamp without a Path (not taken by reading the file) saves to
// path as SaveStringToFile does.
TReadFileSave SaveStringToReadFile(const QString& path, TFileStamp& stamp, const std::string& text,
                                   bool checkContent);

// Adds text at the end of the file, creating the file when missing (also for
// an empty text). A failed write cuts the file back to its size before the
// attempt, then the user is asked whether to try again; false once they say No.
bool AppendStringToFile(const QString& path, const std::string& text);

// What a failed write to stream says, in the language in use.
QString DataNotWrittenMessage(const QIODevice& stream);

// Writes the length as a 32-bit little-endian count, then the bytes. A text of
// 2 GiB or more cannot be written and raises bw::Error.
void WriteStreamString(const std::string& text, QIODevice& stream);

// Reads one string written by WriteStreamString. Raises bw::StreamReadError
// when the stream is damaged; text is then left as it was.
void ReadStreamString(QIODevice& stream, std::string& text);
