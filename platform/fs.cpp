#include "platform/fs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

// A name for a temporary file beside target, not taken at the time of asking.
QString temporaryNameBeside(const QFileInfo& target) {
    const QString base = QLatin1Char('.') + target.fileName().left(64) + QLatin1Char('.');
    const quint32 n = QRandomGenerator::global()->generate();
    return target.absolutePath() + QLatin1Char('/') + base + QString::number(n, 16) + QStringLiteral(".tmp");
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

bool replaceFile(const QString& path, const std::function<bool(QFileDevice& out)>& write,
                 const ReplaceOptions& options) {
    if (path.isEmpty())
        return false;
    const QFileInfo target(resolveLinks(path));
    if (target.isDir())
        return false;
    const bool replacing = target.exists();

    QFile tmp;
    for (int attempt = 0; attempt < 16 && !tmp.isOpen(); ++attempt) {
        tmp.setFileName(temporaryNameBeside(target));
        if (tmp.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (tmp.error() != QFileDevice::OpenError || !QFileInfo(target.absolutePath()).isDir())
            return false;
    }
    if (!tmp.isOpen())
        return false;

    auto fail = [&tmp] {
        tmp.close();
        tmp.remove();
        return false;
    };

    QFileDevice::Permissions perms = storedBits(tmp.permissions());
    if (options.permissions)
        perms = storedBits(*options.permissions);
    else if (replacing)
        perms = storedBits(target.permissions());
    if (options.ownerWritable)
        perms |= QFileDevice::WriteOwner;
    if (replacing && (target.ownerId() != ::geteuid() || target.groupId() != ::getegid())) {
        // Keeps the file's owner when we may (as its owner's group or as root); otherwise it
        // becomes ours, as any rewritten file would.
        [[maybe_unused]] const int rc = ::fchown(tmp.handle(), target.ownerId(), target.groupId());
    }

    if (!write(tmp) || !tmp.flush())
        return fail();
    if (!tmp.setPermissions(perms))
        return fail();
    if (options.modified.isValid() && !tmp.setFileTime(options.modified, QFileDevice::FileModificationTime))
        return fail();
    tmp.close();
    if (tmp.error() != QFileDevice::NoError)
        return fail();

    if (std::rename(QFile::encodeName(tmp.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        QFile::remove(tmp.fileName());
        return false;
    }
    return true;
}

bool copyFile(const QString& from, const QString& to, bool overwrite) {
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
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    ReplaceOptions opts;
    opts.permissions = src.permissions();
    opts.modified = src.lastModified();
    return replaceFile(
        to,
        [&in](QFileDevice& out) {
            char buf[64 * 1024];
            for (;;) {
                const qint64 n = in.read(buf, sizeof buf);
                if (n < 0)
                    return false;
                if (n == 0)
                    return !in.error();
                if (out.write(buf, n) != n)
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
