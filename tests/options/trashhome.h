#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <initializer_list>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace bw::test {

// Points the user's home and data folder into a test folder for the life of
// the object, so that the trash is the test's own.
class TrashHome {
public:
    explicit TrashHome(const QString& folder)
        : home_(qgetenv("HOME")), data_(qgetenv("XDG_DATA_HOME")), folder_(folder + "/user") {
        QDir().mkpath(folder_ + "/data");
        qputenv("HOME", folder_.toLocal8Bit());
        qputenv("XDG_DATA_HOME", (folder_ + "/data").toLocal8Bit());
    }
    ~TrashHome() {
        qputenv("HOME", home_);
        if (data_.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", data_);
    }
    TrashHome(const TrashHome&) = delete;
    TrashHome& operator=(const TrashHome&) = delete;

    QString trashFolder() const { return folder_ + "/data/Trash/files"; }
    // Path of the trashed item with this name; empty when none.
    QString trashed(const QString& name) const {
        QDirIterator it(trashFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            const QString p = it.next();
            if (it.fileName() == name || it.fileName().startsWith(name + "."))
                return p;
        }
        return QString();
    }
    QString infoFolder() const { return folder_ + "/data/Trash/info"; }
    // Makes the trash's record folder read-only; it binds root only in a
    // process that dropped its privileges (dropPrivileges()).
    void lockInfo() {
        QDir().mkpath(trashFolder());
        QDir().mkpath(infoFolder());
        QFile::setPermissions(infoFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    // Makes the trash refuse everything: a file stands where its folder would be.
    void block() {
        QDir(folder_ + "/data/Trash").removeRecursively();
        QFile f(folder_ + "/data/Trash");
        f.open(QIODevice::WriteOnly);
    }

private:
    QByteArray home_;
    QByteArray data_;
    QString folder_;
};

// Drops every capability of the calling process, so that permission bits
// bind it even when it runs as root. For a child process: it cannot be undone.
inline bool dropPrivileges() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return ::syscall(SYS_capset, &header, data) == 0;
}

// For a child process's exit code: the number of the first check that
// failed, 0 when none did.
inline int firstFailed(std::initializer_list<bool> checks) {
    int n = 1;
    for (const bool ok : checks) {
        if (!ok)
            return n;
        ++n;
    }
    return 0;
}

} // namespace bw::test
