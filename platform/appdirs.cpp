#include "platform/appdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/diskpath.h"

namespace bw {

QString withTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator()))
        return path;
    return path + QLatin1Char('/');
}

QString appDir() { return withTrailingSeparator(QCoreApplication::applicationDirPath()); }

QString homeDir() {
    QString dir = qEnvironmentVariable("BRINDLEWICK_HOME");
    if (dir.isEmpty()) {
        const QFileInfo exeDir(QCoreApplication::applicationDirPath());
        if (exeDir.isDir() && exeDir.isWritable())
            dir = exeDir.absoluteFilePath();
        else
            dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/Brindlewick");
    }
    // A relative folder is below the current one; QDir would take one
    // starting with ':' for a resource.
    dir = QDir::cleanPath(diskPath(dir));
    QDir().mkpath(dir);
    return withTrailingSeparator(dir);
}

} // namespace bw
