#include "platform/appdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
    QDir().mkpath(dir);
    return withTrailingSeparator(QDir(dir).absolutePath());
}

} // namespace bw
