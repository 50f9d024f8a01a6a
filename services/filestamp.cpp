#include "services/filestamp.h"

#include <QFile>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/diskpath.h"
#include "services/fileroutines.h"

TFileStamp TakeFileStamp(const QString& path) {
    if (path.isEmpty())
        return {};
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return FileStampOf(st);
}

QString ResolvedFilePath(const QString& path) {
    if (char* real = ::realpath(QFile::encodeName(path).constData(), nullptr)) {
        const QString resolved = QFile::decodeName(real);
        std::free(real);
        return resolved;
    }
    return bw::diskPath(path);
}

TFileStamp FileStampOf(const struct stat& st) {
    TFileStamp stamp;
    stamp.Valid = true;
    stamp.Device = static_cast<std::uint64_t>(st.st_dev);
    stamp.Inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.Size = static_cast<std::int64_t>(st.st_size);
    stamp.ModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

bool StampDescribes(const TFileStamp& stamp, const struct stat& now, bool content) {
    const TFileStamp seen = FileStampOf(now);
    if (seen.Device != stamp.Device || seen.Inode != stamp.Inode)
        return false;
    return !content || (stamp.Valid && seen == stamp);
}

bool FileMatchesStamp(const QString& path, const TFileStamp& stamp) {
    return stamp.Valid && TakeFileStamp(path) == stamp;
}

bool LoadFileStamped(const QString& path, std::string& text, TFileStamp& stamp) {
    return LoadFileChecked(path, text, stamp, UINT64_MAX) == TLoadOutcome::Loaded;
}
