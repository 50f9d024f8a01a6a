#include "platform/openfile.h"

#include "platform/diskpath.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace bw {

namespace {

void setWhy(OpenFailure* why, OpenFailure value) {
    if (why)
        *why = value;
}

OpenFailure failureOfErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return OpenFailure::Missing;
    case ELOOP:  // a loop of links (or too many of them)
    case ENXIO:  // a socket, or a device with nothing behind it
    case ENODEV: // a device without a driver
    case EISDIR:
        return OpenFailure::NotAFile;
    default:
        return OpenFailure::Unreadable;
    }
}

} // namespace

int openRegularFile(const QString& path, OpenFailure* why, struct stat* info) {
    setWhy(why, OpenFailure::None);
    if (path.isEmpty()) {
        setWhy(why, OpenFailure::Missing);
        return -1;
    }
    const QByteArray name = QFile::encodeName(diskPath(path));
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        setWhy(why, failureOfErrno(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        setWhy(why, OpenFailure::Unreadable);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        setWhy(why, OpenFailure::NotAFile);
        return -1;
    }
    // O_NONBLOCK is the only status flag F_SETFL can change that the open
    // set, so no F_GETFL is needed: setting none clears it and keeps the rest.
    if (::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        setWhy(why, OpenFailure::Unreadable);
        return -1;
    }
    if (info)
        *info = st;
    return fd;
}

bool openForReading(QFile& file, const QString& path, OpenFailure* why) {
    const int fd = openRegularFile(path, why);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setWhy(why, OpenFailure::Unreadable);
        return false;
    }
    return true;
}

std::optional<QByteArray> readWholeFile(const QString& path, OpenFailure* why) {
    struct stat st {};
    const int fd = openRegularFile(path, why, &st);
    if (fd < 0)
        return std::nullopt;
    // More than a byte array can hold counts as running out of memory.
    constexpr qint64 kMaxBytes = std::numeric_limits<qsizetype>::max() / 2;
    QByteArray data;
    bool ok = true;
    try {
        if (st.st_size > 0 && st.st_size < kMaxBytes)
            data.reserve(qsizetype(st.st_size));
        char chunk[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ok = false;
                break;
            }
            if (n == 0)
                break;
            if (data.size() > kMaxBytes - n) {
                ok = false;
                break;
            }
            data.append(chunk, qsizetype(n));
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::close(fd);
    if (!ok) {
        setWhy(why, OpenFailure::Unreadable);
        return std::nullopt;
    }
    return data;
}

} // namespace bw
