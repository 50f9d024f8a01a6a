#include "platform/fs.h"
#include "platform/openfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <new>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace bw {

namespace {

FileEntry entryFrom(const QFileInfo& fi) {
    FileEntry e;
    e.name = fi.fileName();
    if (fi.isSymLink())
        e.attributes |= faSymLink;
    if (fi.isDir())
        e.attributes |= faDirectory;
    else if (fi.isFile())
        e.attributes |= faArchive;
    else
        e.attributes |= faSystem;
    if (e.name.startsWith(QLatin1Char('.')))
        e.attributes |= faHidden;
    if (!fi.permission(QFileDevice::WriteOwner))
        e.attributes |= faReadOnly;
    e.size = fi.isDir() ? 0 : fi.size();
    e.modified = fi.lastModified().toUTC();
    return e;
}

// The permission bits a file stores. The "User" bits Qt adds describe what the
// current user may do (root may run a file any exe bit allows) and would be
// written back as owner bits.
QFileDevice::Permissions storedBits(QFileDevice::Permissions p) {
    return p & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther |
                QFileDevice::ExeOther);
}

// The part of a temporary file's name before its random number.
QString temporaryPrefix(const QFileInfo& target) {
    return QLatin1Char('.') + target.fileName().left(64) + QLatin1Char('.');
}

bool isTemporaryName(std::string_view name, std::string_view prefix) {
    constexpr std::string_view suffix = ".tmp";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return false;
    const std::string_view number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (number.size() > 8)
        return false;
    for (const char c : number)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

bool earlier(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

thread_local ReplaceSession* currentSession = nullptr;

// Removes the temporary files (regular files) of the folder open as folderFd
// whose names ours() takes, and when modifiedBefore is given only those
// modified before it: from the session's listing of the folder when a session
// runs, else from a listing made now.
void removeTemporaries(const QByteArray& folder, int folderFd, const std::function<bool(std::string_view)>& ours,
                       const timespec* modifiedBefore) {
    if (currentSession) {
        auto& stale = currentSession->Folder(folder, folderFd);
        for (auto it = stale.begin(); it != stale.end();) {
            if (ours(it->name) && (!modifiedBefore || earlier(it->modified, *modifiedBefore))) {
                ::unlinkat(folderFd, it->name.c_str(), 0);
                it = stale.erase(it);
            } else {
                ++it;
            }
        }
        return;
    }
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    const int dfd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        if (!ours(e->d_name))
            continue;
        struct stat st {};
        if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            (!modifiedBefore || earlier(st.st_mtim, *modifiedBefore)))
            ::unlinkat(dfd, e->d_name, 0);
    }
    ::closedir(dir);
}

// Removes what killed saves of target left behind: its temporary files
// modified before the one being written now (named current), in the folder
// open as folderFd.
void removeStaleTemporaries(const QFileInfo& target, int folderFd, std::string_view current, const timespec& now) {
    const QByteArray prefix = QFile::encodeName(temporaryPrefix(target));
    const std::string_view pre(prefix.constData(), std::size_t(prefix.size()));
    removeTemporaries(
        QFile::encodeName(target.absolutePath()), folderFd,
        [&](std::string_view name) { return name != current && isTemporaryName(name, pre); }, &now);
}

// Qt's permission flags and the mode bits they stand for.
constexpr std::pair<QFileDevice::Permission, mode_t> kPermissionBits[] = {
    {QFileDevice::ReadOwner, S_IRUSR}, {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
    {QFileDevice::ReadGroup, S_IRGRP}, {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
    {QFileDevice::ReadOther, S_IROTH}, {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH},
};

mode_t modeOf(QFileDevice::Permissions p) {
    mode_t m = 0;
    for (const auto& [perm, bit] : kPermissionBits)
        if (p & perm)
            m |= bit;
    return m;
}

QFileDevice::Permissions permissionsOf(mode_t m) {
    QFileDevice::Permissions p;
    for (const auto& [perm, bit] : kPermissionBits)
        if (m & bit)
            p |= perm;
    return p;
}

// The process's file-creation mask, read without setting it: umask() would
// change it for a moment for every thread.
mode_t creationMask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return mode_t(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

bool matchesWildcard(const QString& name, const QString& pattern, Qt::CaseSensitivity cs) {
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    auto same = [cs](QChar a, QChar b) {
        return cs == Qt::CaseSensitive ? a == b : a.toCaseFolded() == b.toCaseFolded();
    };
    // Greedy match with one backtrack point: the last '*' seen.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

std::vector<FileEntry> listFolder(const QString& folder, const QString& pattern, unsigned attributeMask,
                                  Qt::CaseSensitivity cs, EntryDetails details) {
    std::vector<FileEntry> out;
    if (folder.isEmpty())
        return out;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return out;
    const int dirFd = ::dirfd(dir);
    const unsigned special = faHidden | faSystem | faDirectory;
    const bool everyName = pattern == QLatin1String("*") || pattern == QLatin1String("*.*");
    while (const dirent* de = ::readdir(dir)) {
        const char* raw = de->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        FileEntry e;
        const qsizetype length = qsizetype(std::strlen(raw));
        bool ascii = true;
        for (qsizetype i = 0; i < length && ascii; ++i)
            ascii = static_cast<unsigned char>(raw[i]) < 0x80;
        if (ascii) {
            e.name = QString::fromLatin1(raw, length);
        } else {
            QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            e.name = decoder(QByteArrayView(raw, length));
            e.exactName = !decoder.hasError();
        }
        if (!everyName && !matchesWildcard(e.name, pattern, cs))
            continue;
        if (raw[0] == '.')
            e.attributes |= faHidden;

        struct stat st {};
        bool haveStat = false;
        if (de->d_type == DT_LNK || de->d_type == DT_UNKNOWN) {
            struct stat own {};
            if (::fstatat(dirFd, raw, &own, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISLNK(own.st_mode)) {
                e.attributes |= faSymLink;
                if (::fstatat(dirFd, raw, &st, 0) != 0)
                    continue; // dangling
            } else {
                st = own;
            }
            haveStat = true;
        } else if (details == EntryDetails::All) {
            haveStat = ::fstatat(dirFd, raw, &st, AT_SYMLINK_NOFOLLOW) == 0;
            if (!haveStat)
                continue; // gone since it was listed
        }
        if (haveStat) {
            if (S_ISDIR(st.st_mode))
                e.attributes |= faDirectory;
            else if (S_ISREG(st.st_mode))
                e.attributes |= faArchive;
            else
                e.attributes |= faSystem;
        } else {
            e.attributes |= de->d_type == DT_DIR ? unsigned(faDirectory) : de->d_type == DT_REG ? unsigned(faArchive)
                                                                                                : unsigned(faSystem);
        }
        if (e.attributes & special & ~attributeMask)
            continue;
        if (haveStat && details == EntryDetails::All) {
            if (!(st.st_mode & S_IWUSR))
                e.attributes |= faReadOnly;
            e.size = S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
            e.modified = QDateTime::fromMSecsSinceEpoch(
                qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000, Qt::UTC);
        }
        out.push_back(std::move(e));
    }
    ::closedir(dir);

    // Name order without regard to case, ties by exact name.
    std::vector<std::pair<QString, std::size_t>> keys;
    keys.reserve(out.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        keys.emplace_back(out[i].name.toCaseFolded(), i);
    std::sort(keys.begin(), keys.end(), [&out](const auto& a, const auto& b) {
        if (const int c = QString::compare(a.first, b.first, Qt::CaseSensitive))
            return c < 0;
        return QString::compare(out[a.second].name, out[b.second].name, Qt::CaseSensitive) < 0;
    });
    std::vector<FileEntry> sorted;
    sorted.reserve(out.size());
    for (const auto& k : keys)
        sorted.push_back(std::move(out[k.second]));
    return sorted;
}

std::optional<FileEntry> fileEntry(const QString& path) {
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists())
        return std::nullopt;
    return entryFrom(fi);
}

bool fileExists(const QString& path) {
    const QFileInfo fi(path);
    return !path.isEmpty() && fi.exists() && !fi.isDir();
}

bool directoryExists(const QString& path) {
    const QFileInfo fi(path);
    return !path.isEmpty() && fi.isDir();
}

namespace {

// The encoded names of the folder's subfolders (links followed), sorted;
// nothing when the folder is there but cannot be listed.
std::optional<std::vector<std::string>> subfolderNames(const QString& parent) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(QFile::encodeName(parent).constData());
    if (!dir) {
        if (errno == ENOENT || errno == ENOTDIR)
            return names; // no folder, so no subfolders
        return std::nullopt;
    }
    const int dirFd = ::dirfd(dir);
    while (const dirent* de = ::readdir(dir)) {
        const char* raw = de->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        bool folder = de->d_type == DT_DIR;
        if (de->d_type == DT_LNK || de->d_type == DT_UNKNOWN) {
            struct stat st {};
            folder = ::fstatat(dirFd, raw, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder)
            names.emplace_back(raw);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

bool FolderProbe::isDirectory(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash + 1 == path.size())
        return directoryExists(path);
    const QStringView parentView = slash == 0 ? QStringView(u"/") : QStringView(path).first(slash);
    if (!lastParent_ || parentView != *lastParent_) {
        const QString parent = parentView.toString();
        auto it = subfolders_.find(parent);
        if (it == subfolders_.end())
            it = subfolders_.emplace(parent, subfolderNames(parent)).first;
        lastParent_ = &it->first;
        lastNames_ = &it->second;
    }
    if (!*lastNames_)
        return directoryExists(path); // a folder that cannot be listed may still be passed through
    if ((*lastNames_)->empty())
        return false;
    const QByteArray name = QFile::encodeName(path.sliced(slash + 1));
    return std::binary_search((*lastNames_)->begin(), (*lastNames_)->end(),
                              std::string_view(name.constData(), std::size_t(name.size())),
                              [](std::string_view a, std::string_view b) { return a < b; });
}

bool isReadOnly(const QString& path) {
    const QFileInfo fi(path);
    return !path.isEmpty() && fi.exists() && !fi.permission(QFileDevice::WriteOwner);
}

bool clearReadOnly(const QString& path) {
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists())
        return false;
    if (fi.permission(QFileDevice::WriteOwner))
        return true;
    return QFile::setPermissions(path, storedBits(fi.permissions()) | QFileDevice::WriteOwner);
}

QString resolveLinks(const QString& path) {
    QString p = path;
    // A bounded walk, so that a loop of links ends (the write then fails).
    for (int i = 0; i < 40; ++i) {
        const QFileInfo fi(p);
        if (!fi.isSymLink())
            return p;
        const QString next = fi.symLinkTarget();
        if (next.isEmpty())
            return p;
        p = next;
    }
    return p;
}

void ignoreFileSizeSignal() {
    // Set on every call (one cheap system call): something may have put the
    // default back since the last one.
    std::signal(SIGXFSZ, SIG_IGN);
}

ReplaceSession::ReplaceSession() : outer_(currentSession) { currentSession = this; }

ReplaceSession::~ReplaceSession() { currentSession = outer_; }

std::vector<ReplaceSession::Stale>& ReplaceSession::Folder(const QByteArray& folder, int folderFd) {
    const auto found = folders_.find(folder);
    if (found != folders_.end())
        return found->second;
    std::vector<Stale>& stale = folders_[folder];
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd)) {
        const int dfd = ::dirfd(dir);
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view name(e->d_name);
            struct stat st {};
            if (name.size() > 5 && name.front() == '.' && name.ends_with(".tmp") &&
                ::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                stale.push_back({std::string(name), st.st_mtim});
        }
        ::closedir(dir);
    } else if (listFd >= 0) {
        ::close(listFd);
    }
    return stale;
}

bool FileWriter::write(QByteArrayView bytes) {
    if (failed_)
        return false;
    const char* at = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, at, static_cast<std::size_t>(std::min<qint64>(left, qint64(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        // A short count is no error by itself: the next write says why (full
        // disk, file-size limit), or writes the rest.
        if (n <= 0) {
            failed_ = true;
            return false;
        }
        at += n;
        left -= n;
        written_ += n;
    }
    return true;
}

namespace {

// Closes a descriptor once.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    // Closes it; false when close() reported an error (a write that failed late).
    bool reset() {
        const int f = fd;
        fd = -1;
        return f < 0 || ::close(f) == 0;
    }
};

// Opens the folder a file saved back where it was read sits in (O_PATH),
// following no link on the way: its path was resolved when the file was read,
// so a link in it now was swapped in since, and the folder it leads to is not
// the file's. -1 with errno set then (ELOOP). Where the system cannot open so
// (ENOSYS, or a filter that refuses the call), the folder is opened as any
// other and the save's test of the file's device and inode is what remains.
int openFolderOfFileRead(const QByteArray& folder) {
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS;
    const int fd = int(::syscall(SYS_openat2, AT_FDCWD, folder.constData(), &how, sizeof how));
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM))
        return fd;
    return ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

QString temporaryNameBeside(const QString& path) {
    const QFileInfo target(path);
    const quint32 n = QRandomGenerator::global()->generate();
    return target.absolutePath() + QLatin1Char('/') + temporaryPrefix(target) + QString::number(n, 16) +
           QStringLiteral(".tmp");
}

void removeLeftTemporaries(const QString& folder, const std::function<bool(const QString& fileName)>& ours) {
    const QByteArray encoded = QFile::encodeName(QDir::cleanPath(folder));
    const Descriptor dir(::open(encoded.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0 || !ours)
        return;
    // The file a temporary's name was made for, when the name holds it whole.
    const auto whose = [](std::string_view name) -> QString {
        constexpr std::string_view suffix = ".tmp";
        if (name.size() < 2 + 2 + suffix.size() || name.front() != '.' || !name.ends_with(suffix))
            return QString();
        const std::string_view rest = name.substr(1, name.size() - 1 - suffix.size());
        const std::size_t point = rest.rfind('.');
        if (point == std::string_view::npos || point == 0)
            return QString();
        const QByteArray file(rest.data(), qsizetype(point));
        const QString decoded = QFile::decodeName(file);
        const QByteArray prefix = QFile::encodeName(temporaryPrefix(QFileInfo(decoded)));
        if (decoded.size() >= 64 || QFile::encodeName(decoded) != file || decoded.contains(QLatin1Char('/')) ||
            !isTemporaryName(name, std::string_view(prefix.constData(), std::size_t(prefix.size()))))
            return QString();
        return decoded;
    };
    removeTemporaries(encoded, dir.fd, [&](std::string_view name) {
        const QString file = whose(name);
        return !file.isEmpty() && ours(file);
    }, nullptr);
}

bool replaceFile(const QString& path, const WriteFunction& write, const ReplaceOptions& options,
                 ReplaceFailure* failure) {
    ReplaceFailure ignored;
    ReplaceFailure& why = failure ? *failure : ignored;
    why = ReplaceFailure::Other;
    ignoreFileSizeSignal();
    if (path.isEmpty())
        return false;
    // A file saved back where it was read is not followed again: a link that
    // took its place since must not lead the save anywhere else.
    const bool sameFile = bool(options.unchangedSinceRead);
    const QFileInfo target(sameFile ? path : resolveLinks(path));
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray name = QFile::encodeName(target.fileName());
    if (name.isEmpty())
        return false;
    // Everything below happens in this folder, whatever its path leads to later.
    const Descriptor dir(sameFile ? openFolderOfFileRead(folder)
                                  : ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) {
        // Gone, or a link (or no folder) in the place of one of its folders.
        if (sameFile && (errno == ENOENT || errno == ELOOP || errno == ENOTDIR))
            why = ReplaceFailure::Changed;
        return false;
    }
    // One look at the file: what it is, its permissions and its owner. A file
    // saved back must be the one read before anything is created or removed
    // beside it.
    struct stat existing {};
    const bool replacing = ::fstatat(dir.fd, name.constData(), &existing, sameFile ? AT_SYMLINK_NOFOLLOW : 0) == 0;
    if (sameFile && (!replacing || !S_ISREG(existing.st_mode) || !options.unchangedSinceRead(existing))) {
        why = ReplaceFailure::Changed;
        return false;
    }
    // Only a regular file is ever replaced: a folder, device, pipe or socket
    // (also one a link leads to) stays as it is and the save fails.
    if (replacing && !S_ISREG(existing.st_mode))
        return false;

    QByteArray tmpLeaf;
    Descriptor tmp;
    for (int attempt = 0; attempt < 16 && tmp.fd < 0; ++attempt) {
        tmpLeaf = QFile::encodeName(QFileInfo(temporaryNameBeside(target.filePath())).fileName());
        // Owner-only until the text is in it: nobody else may open it meanwhile.
        tmp.fd = ::openat(dir.fd, tmpLeaf.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (tmp.fd < 0 && errno != EEXIST) {
            if (errno == EACCES || errno == EPERM || errno == EROFS)
                why = ReplaceFailure::NoTemporary;
            return false;
        }
    }
    if (tmp.fd < 0)
        return false;
    const auto fail = [&] {
        tmp.reset();
        ::unlinkat(dir.fd, tmpLeaf.constData(), 0);
        return false;
    };

    struct stat created {};
    if (::fstat(tmp.fd, &created) != 0)
        return fail();
    removeStaleTemporaries(target, dir.fd, std::string_view(tmpLeaf.constData(), std::size_t(tmpLeaf.size())),
                           created.st_mtim);

    QFileDevice::Permissions perms;
    if (options.permissions)
        perms = storedBits(*options.permissions);
    else if (replacing)
        perms = permissionsOf(existing.st_mode);
    else
        perms = permissionsOf(0666 & ~creationMask());
    if (options.ownerWritable)
        perms |= QFileDevice::WriteOwner;
    if (replacing && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Keeps the file's owner when we may (as its owner's group or as root); otherwise it
        // becomes ours, as any rewritten file would.
        [[maybe_unused]] const int rc = ::fchown(tmp.fd, existing.st_uid, existing.st_gid);
    }

    bool written = false;
    try {
        FileWriter out(tmp.fd);
        written = write(out) && !out.failed();
    } catch (...) {
        fail();
        throw;
    }
    // The file's own mode only now that the text is complete.
    if (!written || ::fchmod(tmp.fd, modeOf(perms)) != 0)
        return fail();
    if (options.modified.isValid()) {
        const qint64 ms = options.modified.toMSecsSinceEpoch();
        timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
        times[1].tv_nsec = static_cast<long>(((ms % 1000) + 1000) % 1000) * 1000000L;
        if (::futimens(tmp.fd, times) != 0)
            return fail();
    }
    if (!tmp.reset()) {
        ::unlinkat(dir.fd, tmpLeaf.constData(), 0);
        return false;
    }
    if (options.beforeReplace) {
        try {
            options.beforeReplace();
        } catch (...) {
            ::unlinkat(dir.fd, tmpLeaf.constData(), 0);
            throw;
        }
    }

    if (sameFile) {
        // The last look, and nothing but the rename after it.
        struct stat now {};
        if (::fstatat(dir.fd, name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(now.st_mode) ||
            !options.unchangedSinceRead(now)) {
            ::unlinkat(dir.fd, tmpLeaf.constData(), 0);
            why = ReplaceFailure::Changed;
            return false;
        }
    }
    if (::renameat(dir.fd, tmpLeaf.constData(), dir.fd, name.constData()) != 0) {
        ::unlinkat(dir.fd, tmpLeaf.constData(), 0);
        return false;
    }
    why = ReplaceFailure::None;
    return true;
}

bool replaceFile(const QString& path, QByteArrayView bytes, const ReplaceOptions& options, ReplaceFailure* failure) {
    return replaceFile(path, [bytes](FileWriter& out) { return out.write(bytes); }, options, failure);
}

namespace {

// A regular file open for writing where it is, and the mode it had when it
// was given its owner's write permission for that.
struct InPlaceFile {
    Descriptor file;
    std::optional<mode_t> modeBefore;
    void putModeBack() const {
        if (modeBefore)
            [[maybe_unused]] const int rc = ::fchmod(file.fd, *modeBefore);
    }
};

// Opens the file at native for writing where it is (flags: O_WRONLY or O_RDWR,
// and O_NOFOLLOW when no link may be followed). What the path is comes first,
// through an O_PATH descriptor that opens nothing a device or pipe would
// notice: anything but a regular file that fits (when set) is left untouched
// and false comes back. A regular file its owner may not write is given that
// permission first when ownerWritable, through a descriptor of the same file.
bool openInPlace(const QByteArray& native, int flags, bool ownerWritable,
                 const std::function<bool(const struct stat& now)>& fits, InPlaceFile& out) {
    const int follow = flags & O_NOFOLLOW;
    struct stat st {};
    {
        const Descriptor look(::open(native.constData(), O_PATH | O_CLOEXEC | follow));
        if (look.fd < 0 || ::fstat(look.fd, &st) != 0 || !S_ISREG(st.st_mode) || (fits && !fits(st)))
            return false;
    }
    const auto isIt = [&](int fd, bool check) {
        struct stat now {};
        return fd >= 0 && ::fstat(fd, &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino &&
               (!check || !fits || fits(now));
    };
    Descriptor reader;
    if (ownerWritable && !(st.st_mode & S_IWUSR)) {
        reader.fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | follow);
        if (!isIt(reader.fd, false) || ::fchmod(reader.fd, (st.st_mode & 07777) | S_IWUSR) != 0)
            return false;
        out.modeBefore = st.st_mode & 07777;
    }
    out.file.fd = ::open(native.constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (isIt(out.file.fd, true))
        return true;
    if (out.modeBefore)
        [[maybe_unused]] const int rc = ::fchmod(reader.fd, *out.modeBefore);
    return false;
}

// The whole content of the open file from where it stands; false on a read
// error or when memory runs out.
bool readRest(int fd, std::string& text) {
    try {
        char buf[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n == 0;
            text.append(buf, std::size_t(n));
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

} // namespace

bool writeFileInPlace(const QString& path, QByteArrayView bytes, bool ownerWritable,
                      const std::function<bool(const struct stat& now)>& unchangedSinceRead) {
    ignoreFileSizeSignal();
    if (path.isEmpty())
        return false;
    InPlaceFile in;
    if (!openInPlace(QFile::encodeName(path), O_RDWR | (unchangedSinceRead ? O_NOFOLLOW : 0), ownerWritable,
                     unchangedSinceRead, in))
        return false;
    const int fd = in.file.fd;
    // The old text, to be put back should the new one not go in whole.
    std::string old;
    if (!readRest(fd, old)) {
        in.putModeBack();
        return false;
    }
    // Writes the old text back over the first `reached` bytes, where the new
    // one went, and gives the file its old size again: those bytes had room
    // before, so this succeeds where the new text did not.
    const auto putBack = [&](qint64 reached) {
        FileWriter back(fd);
        if (::lseek(fd, 0, SEEK_SET) == 0)
            back.write(QByteArrayView(old).first(std::min<qint64>(reached, qint64(old.size()))));
        [[maybe_unused]] const int rc = ::ftruncate(fd, off_t(old.size()));
        in.putModeBack();
        return false;
    };
    // The room for the new text comes first: a full disk, a quota or the
    // file-size limit refuses it at once, before anything is written. A file
    // system that cannot reserve goes on without.
    if (!bytes.isEmpty()) {
        int rc = 0;
        while ((rc = ::fallocate(fd, 0, 0, off_t(bytes.size()))) != 0 && errno == EINTR) {
        }
        if (rc != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
            return putBack(0); // a reservation cut short may have grown the file
    }
    // Written over the old text, and cut to its size only once complete.
    FileWriter out(fd);
    struct stat after {};
    if (::lseek(fd, 0, SEEK_SET) != 0 || !out.write(bytes) || ::ftruncate(fd, off_t(bytes.size())) != 0 ||
        ::fstat(fd, &after) != 0 || qint64(after.st_size) != bytes.size())
        return putBack(out.written());
    return in.file.reset();
}

bool appendToFile(const QString& path, QByteArrayView bytes) {
    ignoreFileSizeSignal();
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    InPlaceFile in;
    Descriptor& file = in.file;
    bool created = true;
    file.fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file.fd < 0 && errno == EEXIST) {
        created = false;
        if (!openInPlace(native, O_WRONLY, true, {}, in))
            return false;
    }
    if (file.fd < 0)
        return false;
    const off_t oldSize = ::lseek(file.fd, 0, SEEK_END);
    if (oldSize < 0)
        return false;
    FileWriter out(file.fd);
    if (out.write(bytes) && file.reset())
        return true;
    // Cut back so that trying again never repeats part of the text.
    if (created) {
        file.reset();
        ::unlink(native.constData());
    } else if (file.fd >= 0) {
        [[maybe_unused]] const int rc = ::ftruncate(file.fd, oldSize);
        in.putModeBack();
    }
    return false;
}

bool copyFile(const QString& from, const QString& to, bool overwrite, const std::function<void()>& beforeReplace) {
    const QFileInfo src(from);
    if (from.isEmpty() || to.isEmpty() || !src.exists() || src.isDir())
        return false;
    const QFileInfo dst(to);
    if (dst.exists() || dst.isSymLink()) {
        if (!overwrite || dst.isDir())
            return false;
        if (src.canonicalFilePath() == dst.canonicalFilePath())
            return false;
    }
    QFile in;
    if (!openForReading(in, from))
        return false;
    ReplaceOptions opts;
    opts.permissions = src.permissions();
    opts.modified = src.lastModified();
    opts.beforeReplace = beforeReplace;
    return replaceFile(
        to,
        [&in](FileWriter& out) {
            char buf[64 * 1024];
            for (;;) {
                const qint64 n = in.read(buf, sizeof buf);
                if (n < 0)
                    return false;
                if (n == 0)
                    return !in.error();
                if (!out.write(buf, n))
                    return false;
            }
        },
        opts);
}

bool renamePath(const QString& from, const QString& to) {
    const QFileInfo src(from);
    const QFileInfo dst(to);
    if (from.isEmpty() || to.isEmpty() || (!src.exists() && !src.isSymLink()))
        return false;
    if (dst.exists() || dst.isSymLink())
        return false;
    if (!src.isDir())
        return QFile::rename(from, to); // also moves between file systems
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool deleteFile(const QString& path) {
    const QFileInfo fi(path);
    if (path.isEmpty() || (fi.isDir() && !fi.isSymLink()))
        return false;
    return QFile::remove(path);
}

bool forceDirectories(const QString& path) {
    if (path.isEmpty())
        return false;
    return QDir().mkpath(path) && QFileInfo(path).isDir();
}

} // namespace bw
