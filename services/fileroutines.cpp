#include "services/fileroutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs.h"
#include "platform/openfile.h"
#include "services/filestamp.h"
#include "services/fallbacktext.h"
#include "services/langmanager.h"
#include "platform/format.h"
#include "platform/prompt.h"

QString GetMessageText(const QString& key) {
    const QByteArray k = key.toLatin1();
    const QString language = LangMessage(k.constData(), "");
    if (!language.isEmpty())
        return language;
    static constexpr TFallbackText table[] = {
        {"szCantCreateDir", "Can't create folder"},
        {"szCantCreateFile", "Can't create file"},
        {"szCantDeleteFile", "Can't delete file"},
        {"szErrorSavingFileT",
         "File was not saved: possible, it's used by other program. Try to save file again ?"},
        {"szErrorSavingFileM", "Error within saving the file"},
        {"szRetry", "Retry"},
    };
    return FallbackText(table, key);
}

namespace {

// Asks whether to try the failed save of path again, naming the file.
bool askRetrySave(const QString& path) {
    return bw::prompt().ask(GetMessageText(QStringLiteral("szErrorSavingFileM")),
                            QDir::toNativeSeparators(path) + QStringLiteral("\n\n") +
                                GetMessageText(QStringLiteral("szErrorSavingFileT")),
                            bw::Buttons::YesNo, bw::Icon::Question) == bw::Answer::Yes;
}

// The buffer of this thread that files are read into. It keeps its capacity
// from file to file: it changes places with the caller's text, whose old
// buffer is kept in its turn, unless it is a big one.
std::string& readBuffer() {
    thread_local std::string spare;
    return spare;
}

// Reads the open regular file into readBuffer(); false on a read error or
// when memory runs out.
bool readOpenFile(int fd, std::int64_t announced) {
    std::string& data = readBuffer();
    try {
        data.clear();
        if (announced > 0)
            data.resize(static_cast<std::size_t>(announced));
        std::size_t got = 0;
        // Whatever the size did not announce too (a file that grew, or one
        // whose size the system does not know).
        char more[16 * 1024];
        for (;;) {
            const bool inBuffer = got < data.size();
            const ssize_t n = inBuffer ? ::read(fd, data.data() + got, data.size() - got) : ::read(fd, more, sizeof more);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (n == 0)
                break;
            if (!inBuffer)
                data.append(more, static_cast<std::size_t>(n));
            got += static_cast<std::size_t>(n);
        }
        data.resize(got);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// Hands the buffer's text over (when taken) and readies the buffer for the next file.
void finishRead(bool take, std::string& text) {
    constexpr std::size_t kKept = std::size_t{32} << 20;
    std::string& data = readBuffer();
    if (take)
        text.swap(data);
    if (data.capacity() > kKept)
        std::string().swap(data);
    else
        data.clear();
}

// Opens a regular file for reading without waiting (a named pipe would wait
// for a writer); -1 for anything else. st gets what the open file is.
int openRegular(const QString& path, struct stat& st) {
    return bw::openRegularFile(path, nullptr, &st);
}

// The path of the file open as fd, links resolved: what the system says it
// opened, else the given path with its links resolved now.
QString openedPath(int fd, const QString& path) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char buf[4096];
    const ssize_t n = ::readlink(link, buf, sizeof buf);
    if (n > 0 && n < ssize_t(sizeof buf) && buf[0] == '/')
        return QFile::decodeName(QByteArray(buf, qsizetype(n)));
    return ResolvedFilePath(path);
}

} // namespace

bool LoadFileToString(const QString& path, std::string& text) {
    // Taken only when it is a regular file: a pipe, device or socket could
    // block the read or never end.
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0)
        return false;
    const bool ok = readOpenFile(fd, static_cast<std::int64_t>(st.st_size));
    ::close(fd);
    finishRead(ok, text);
    return ok;
}

TLoadOutcome LoadFileChecked(const QString& path, std::string& text, TFileStamp& stamp, std::uint64_t maxSize,
                             bool forSaving) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0) {
        // A regular file that cannot be opened is there but unreadable.
        struct stat there {};
        return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &there) == 0 && S_ISREG(there.st_mode)
                   ? TLoadOutcome::Unreadable
                   : TLoadOutcome::NotAFile;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        ::close(fd);
        return TLoadOutcome::TooLarge;
    }
    // Looked at again once read: a change while it was read shows.
    struct stat after {};
    const bool ok = readOpenFile(fd, static_cast<std::int64_t>(st.st_size)) && ::fstat(fd, &after) == 0;
    finishRead(ok, text);
    if (!ok) {
        ::close(fd);
        return TLoadOutcome::Unreadable;
    }
    stamp = FileStampOf(st);
    if (FileStampOf(after) != stamp)
        stamp.Valid = false;
    stamp.Path = forSaving ? openedPath(fd, path) : QString();
    ::close(fd);
    return TLoadOutcome::Loaded;
}

bool SaveStringToFile(const QString& path, const std::string& text) {
    bw::ReplaceOptions options;
    options.ownerWritable = true;
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    for (;;) {
        bw::ReplaceFailure failure = bw::ReplaceFailure::None;
        if (bw::replaceFile(path, bytes, options, &failure))
            return true;
        // A file we may write in a folder we may not: written in place, which
        // leaves the whole text or the old one.
        if (failure == bw::ReplaceFailure::NoTemporary && bw::fileExists(path) &&
            bw::writeFileInPlace(path, bytes, true))
            return true;
        if (!askRetrySave(path))
            return false;
    }
}

TReadFileSave SaveStringToReadFile(const QString& path, TFileStamp& stamp, const std::string& text,
                                   bool checkContent) {
    if (stamp.Path.isEmpty()) {
        if (!SaveStringToFile(path, text))
            return TReadFileSave::NotSaved;
        stamp = TakeFileStamp(path);
        return TReadFileSave::Saved;
    }
    const TFileStamp read = stamp;
    bw::ReplaceOptions options;
    options.ownerWritable = true;
    options.unchangedSinceRead = [&read, checkContent](const struct stat& now) {
        return StampDescribes(read, now, checkContent);
    };
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    for (;;) {
        bw::ReplaceFailure failure = bw::ReplaceFailure::None;
        bool saved = bw::replaceFile(read.Path, bytes, options, &failure);
        if (!saved && failure == bw::ReplaceFailure::NoTemporary)
            saved = bw::writeFileInPlace(read.Path, bytes, true, options.unchangedSinceRead);
        if (saved) {
            struct stat now {};
            stamp = ::lstat(QFile::encodeName(read.Path).constData(), &now) == 0 && S_ISREG(now.st_mode)
                        ? FileStampOf(now)
                        : TFileStamp{};
            stamp.Path = read.Path;
            return TReadFileSave::Saved;
        }
        if (failure == bw::ReplaceFailure::Changed)
            return TReadFileSave::Changed;
        if (!askRetrySave(path))
            return TReadFileSave::NotSaved;
    }
}

bool AppendStringToFile(const QString& path, const std::string& text) {
    for (;;) {
        if (bw::appendToFile(path, QByteArrayView(text.data(), static_cast<qsizetype>(text.size()))))
            return true;
        if (!askRetrySave(path))
            return false;
    }
}

QString DataNotWrittenMessage(const QIODevice& stream) {
    return bw::format(LangMessage("szDataNotWritten", "The data could not be written: %s"), {stream.errorString()});
}

void WriteStreamString(const std::string& text, QIODevice& stream) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<qint32>::max()))
        throw bw::Error(bw::format(LangMessage("szStringTooLong", "A string of %u bytes is too long to be stored."),
                                   {quint64(text.size())}));
    const auto n = static_cast<quint32>(text.size());
    const char count[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                           static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
    const qint64 size = static_cast<qint64>(text.size());
    if (stream.write(count, 4) != 4 || (size > 0 && stream.write(text.data(), size) != size))
        throw bw::Error(DataNotWrittenMessage(stream));
}

void ReadStreamString(QIODevice& stream, std::string& text) {
    const qint64 at = stream.pos();
    unsigned char count[4];
    if (stream.read(reinterpret_cast<char*>(count), 4) != 4)
        throw bw::StreamReadError(
            bw::format(LangMessage("szDataEndsBeforeLength",
                                   "The data is damaged: it ends at byte %d where the length of a text was expected."),
                       {at}));
    const auto length = static_cast<qint32>(static_cast<quint32>(count[0]) | (static_cast<quint32>(count[1]) << 8) |
                                            (static_cast<quint32>(count[2]) << 16) |
                                            (static_cast<quint32>(count[3]) << 24));
    const auto tooLong = [&] {
        return bw::StreamReadError(
            bw::format(LangMessage("szDataTextPastEnd",
                                   "The data is damaged: the text at byte %d claims %d bytes, more than the data holds."),
                       {at, length}));
    };
    if (length < 0)
        throw bw::StreamReadError(
            bw::format(LangMessage("szDataNegativeLength",
                                   "The data is damaged: the text at byte %d has a negative length (%d)."),
                       {at, length}));
    if (!stream.isSequential() && length > stream.size() - stream.pos())
        throw tooLong();

    // A count checked against the size decides the allocation; otherwise the
    // text grows with what actually arrives.
    std::string data;
    if (!stream.isSequential())
        data.reserve(static_cast<std::size_t>(length));
    char buf[64 * 1024];
    qint64 left = length;
    while (left > 0) {
        const qint64 n = stream.read(buf, qMin<qint64>(left, sizeof buf));
        if (n <= 0)
            throw tooLong();
        data.append(buf, static_cast<std::size_t>(n));
        left -= n;
    }
    text.swap(data);
}
