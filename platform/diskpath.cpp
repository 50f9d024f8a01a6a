#include "platform/diskpath.h"

#include <QDir>

namespace bw {

QString diskPath(const QString& path) { return diskPath(path, QDir::currentPath()); }

QString diskPath(const QString& path, const QString& folder) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return path;
    QString base = folder;
    if (!base.startsWith(QLatin1Char('/')))
        base = base.isEmpty() ? QDir::currentPath() : QDir::currentPath() + QLatin1Char('/') + base;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + path;
}

} // namespace bw
