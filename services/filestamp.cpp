#include "services/filestamp.h"

#include <QFile>
#include <sys/stat.h>

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

TFileStamp FileStampOf(const struct stat& st) {
    TFileStamp stamp;
    stamp.Valid = true;
    stamp.Device = static_cast<std::uint64_t>(st.st_dev);
    stamp.Inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.Size = static_cast<std::int64_t>(st.st_size);
    stamp.ModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

bool FileMatchesStamp(const QString& path, const TFileStamp& stamp) {
    return stamp.Valid && TakeFileStamp(path) == stamp;
}

bool LoadFileStamped(const QString& path, std::string& text, TFileStamp& stamp) {
    const TFileStamp before = TakeFileStamp(path);
    if (!LoadFileToString(path, text))
        return false;
    stamp = before;
    if (TakeFileStamp(path) != before)
        stamp.Valid = false;
    return true;
}
