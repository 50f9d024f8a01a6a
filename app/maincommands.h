#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "app/report.h"

// The widget-free parts of the main window's commands: mail links, the report as a text file, and dropped items.

// "mailto:" + the support address + "?subject=Brindlewick " + version + ": "
// + text + "&Cc=" + the copy address, every part percent-encoded, so a text
// with "&", "?" or Cyrillic letters stays inside the subject.
QUrl MailCommandLink(const QString& version, const QString& text);

// Writes the report's lines to path in UTF-8, each ended by a line feed,
// through a temporary file that replaces the old one only when complete.
// Raises bw::Error naming the file when it cannot be written.
void SaveReportFile(const TReport& report, const QString& path, const TextSource& texts);

// Dropped items sorted in drop order: local folders that exist, and local
// files that exist. Other addresses and paths that are gone are left out.
struct TDroppedItems {
    QStringList Files;
    QStringList Folders;
    bool IsEmpty() const { return Files.isEmpty() && Folders.isEmpty(); }
};
TDroppedItems SortDroppedItems(const QList<QUrl>& urls);
