#pragma once

#include <QString>

namespace bw {

// The executable's folder, with a trailing separator. Read-only data the
// program ships (language files, help) lives here.
QString appDir();

// The folder below which the program writes (settings, projects, backups,
// outputs), with a trailing separator: the environment variable
// BRINDLEWICK_HOME when set, else the executable's folder when it is
// writable, else the user's data folder for the program. Created if missing.
QString homeDir();

// Appends a separator when the path does not already end in one.
QString withTrailingSeparator(const QString& path);

} // namespace bw
