#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <string>

// The program's version string, e.g. "2.7b2 build 347" or "2.8 Release build 400".
QString formatVersion(int major, int minor, int release, int build);

// Built once from the project's version numbers, before any window exists.
extern const QString AppVersion;

// The version a news page names: after the first "<!---NEWS--->", after the
// first Windows-1251 "Версия " that follows it, the bytes up to the next "<",
// untouched. Nothing when a step finds nothing.
std::optional<std::string> PageVersion(const std::string& page);

// Whether the page's version is newer than ours. Both read in the version
// string's form compare as numbers (major, minor, release with " Release" as
// 0, build); otherwise the bytes decide, unsigned, a prefix being smaller.
bool IsNewerVersion(const std::string& page, const std::string& ours);

// Only web and mail addresses are ever opened.
bool IsOpenableUrl(const QUrl& url);

// The about box's mail link: its subject carries the version with its blanks as they are.
QString MailLink(const QString& address, const QString& version);

// The news page address: the first line of the file, unchanged even when
// empty; the built-in address when the file is missing, unreadable or empty.
QString ReadNewsAddress(const QString& fileName);
QString BuiltInNewsAddress();
