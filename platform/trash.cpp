#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs.h"

namespace bw {

namespace {

// How many names (name, name.2 ... name.N) are tried before giving up: the
// trash must not be searched without end for a free one.
constexpr int kMaxNames = 100;

QString failure(const QString& path, int error) {
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + qt_error_string(error);
}

bool fail(QString* reason, const QString& path, int error) {
    if (reason)
        *reason = failure(path, error);
    return false;
}

// Creates the folder and its missing parents, each for its owner only.
bool makeFolder(const QString& path, QString* reason, int depth = 0) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) || fail(reason, path, ENOTDIR);
    if (errno != ENOENT || depth > 64)
        return fail(reason, path, errno);
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !makeFolder(parent, reason, depth + 1))
        return false;
    if (::mkdir(native.constData(), 0700) == 0)
        return true;
    const int error = errno;
    if (error == EEXIST && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    return fail(reason, path, error);
}

// Whether the folder (as lstat tells of it) is the trash, one of its two
// folders or a folder holding the trash. Taken by device and inode, so that a
// path through a link to any of them counts too.
bool partOfTheTrash(const struct stat& item, const QString& trash) {
    if (!S_ISDIR(item.st_mode))
        return false;
    const auto same = [&item](const struct stat& st) { return st.st_dev == item.st_dev && st.st_ino == item.st_ino; };
    struct stat st {};
    for (const char* own : {"/files", "/info"}) {
        if (::stat(QFile::encodeName(trash + QLatin1String(own)).constData(), &st) == 0 && same(st))
            return true;
    }
    // Up from the trash through "..", which the system takes from the folder
    // itself rather than from the path's text, until the root (its own parent).
    QByteArray folder = QFile::encodeName(trash);
    if (::stat(folder.constData(), &st) != 0)
        return false;
    for (int depth = 0; depth < 256; ++depth) {
        if (same(st))
            return true;
        folder += "/..";
        struct stat up {};
        if (::stat(folder.constData(), &up) != 0 || (up.st_dev == st.st_dev && up.st_ino == st.st_ino))
            return false;
        st = up;
    }
    return false;
}

// The errors by which a folder refuses to be written to.
bool refusedHere(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// Writes the record through the descriptor that claimed its name, and closes
// it. False (errno set) when not all of it went in.
bool writeRecord(int fd, const QByteArray& text) {
    FileWriter out(fd);
    errno = 0;
    const bool written = out.write(text);
    const int error = errno ? errno : EIO;
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (written && closed)
        return true;
    if (!written)
        errno = error;
    return false;
}

bool present(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 || errno != ENOENT;
}

QByteArray infoText(const QString& original) {
    return QByteArrayLiteral("[Trash Info]\nPath=") + QFile::encodeName(original).toPercentEncoding("/") +
           QByteArrayLiteral("\nDeletionDate=") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
}

} // namespace

QString trashFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty() || !QDir::isAbsolutePath(home))
            return QString();
        data = home + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(data) + QStringLiteral("/Trash");
}

bool moveToTrash(const QString& path, TrashedItem* trashed, QString* reason) {
    if (path.isEmpty())
        return fail(reason, path, ENOENT);
    const QString original = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QByteArray source = QFile::encodeName(original);
    const QString name = QFileInfo(original).fileName();
    struct stat st {};
    if (::lstat(source.constData(), &st) != 0)
        return fail(reason, original, errno);
    if (name.isEmpty())
        return fail(reason, original, EBUSY);

    const QString trash = trashFolder();
    if (trash.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("$HOME: ") + qt_error_string(ENOENT);
        return false;
    }
    const QString files = trash + QStringLiteral("/files/");
    const QString infos = trash + QStringLiteral("/info/");
    if (!makeFolder(trash + QStringLiteral("/files"), reason) || !makeFolder(trash + QStringLiteral("/info"), reason))
        return false;
    if (partOfTheTrash(st, trash)) {
        if (reason)
            *reason = QDir::toNativeSeparators(original) + QStringLiteral(": it is part of the trash or holds it");
        return false;
    }
    ignoreFileSizeSignal();

    for (int n = 1; n <= kMaxNames; ++n) {
        const QString candidate = n == 1 ? name : name + QLatin1Char('.') + QString::number(n);
        const QString info = infos + candidate + QStringLiteral(".trashinfo");
        const QByteArray infoName = QFile::encodeName(info);
        // The record is made first, under a name no one else holds: it is what
        // claims the name in the trash.
        const int fd = ::open(infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            const int error = errno;
            if (error == EEXIST)
                continue;
            return fail(reason, refusedHere(error) ? trash + QStringLiteral("/info") : info, error);
        }
        const QString target = files + candidate;
        const QByteArray targetName = QFile::encodeName(target);
        if (present(targetName)) {
            // An item without its record: the name is taken all the same.
            ::close(fd);
            ::unlink(infoName.constData());
            continue;
        }
        // Written in place, not through a temporary and a rename: a kill
        // then leaves nothing in the record folder but records.
        if (!writeRecord(fd, infoText(original))) {
            const int error = errno;
            ::unlink(infoName.constData());
            return fail(reason, info, error);
        }
        if (std::rename(source.constData(), targetName.constData()) != 0) {
            const int error = errno;
            ::unlink(infoName.constData());
            // The trash's item folder is named when it is the one that refused.
            const QString folder = trash + QStringLiteral("/files");
            const QByteArray folderName = QFile::encodeName(folder);
            const bool folderRefused =
                refusedHere(error) && ::faccessat(AT_FDCWD, folderName.constData(), W_OK | X_OK, AT_EACCESS) != 0;
            return fail(reason, folderRefused ? folder : original, error);
        }
        if (trashed)
            *trashed = {original, target, info};
        return true;
    }
    if (reason)
        *reason = QDir::toNativeSeparators(infos + name) + QStringLiteral(": ") + qt_error_string(EEXIST);
    return false;
}

bool holdsTrash(const QString& path) {
    const QString trash = trashFolder();
    struct stat st {};
    return !path.isEmpty() && !trash.isEmpty() &&
           ::lstat(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), &st) == 0 &&
           partOfTheTrash(st, trash);
}

bool takeBackFromTrash(const TrashedItem& item) {
    const QByteArray original = QFile::encodeName(item.original);
    if (item.original.isEmpty() || item.inTrash.isEmpty() || present(original))
        return false;
    if (std::rename(QFile::encodeName(item.inTrash).constData(), original.constData()) != 0)
        return false;
    if (!item.info.isEmpty())
        ::unlink(QFile::encodeName(item.info).constData());
    return true;
}

} // namespace bw
