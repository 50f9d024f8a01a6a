#pragma once

#include <QString>

namespace bw {

// The path as Qt's file classes must see it: absolute. A relative path is
// put below the folder given (the current folder by default) by joining the
// texts, never through QDir or QFileInfo, which take a path starting with
// ':' for one inside the program's resources. An absolute path and an empty
// one come back unchanged; nothing is cleaned, a trailing separator stays.
QString diskPath(const QString& path);
QString diskPath(const QString& path, const QString& folder);

} // namespace bw
