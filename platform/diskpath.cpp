#include "platform/diskpath.h"

#include <QDir>

namespace bw {

namespace {

// Nothing to join: the path is taken as it is.
bool keptAsGiven(const QString& path) { return path.isEmpty() || path.startsWith(QLatin1Char('/')); }

} // namespace

// The current folder is asked for only when it is needed: this runs for every
// file a run reads.
QString diskPath(const QString& path) { return keptAsGiven(path) ? path : diskPath(path, QDir::currentPath()); }

QString diskPath(const QString& path, const QString& folder) {
    if (keptAsGiven(path))
        return path;
    QString base = folder;
    if (!base.startsWith(QLatin1Char('/')))
        base = base.isEmpty() ? QDir::currentPath() : QDir::currentPath() + QLatin1Char('/') + base;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + path;
}

} // namespace bw
