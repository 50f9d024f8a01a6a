#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QFile;
struct stat;

// Opening a file that a user, a settings file or another program names, for
// reading. Such a path may name anything: a named pipe would make a plain open
// wait for a writer for good, a device may never end and a socket cannot be
// read at all. Only a regular file (or a link that leads to one) is opened;
// anything else is refused at once.

namespace bw {

// Why a file was not opened.
enum class OpenFailure {
    None,
    Missing,    // nothing there, or a link that leads nowhere
    NotAFile,   // a folder, named pipe, socket, device, or a loop of links
    Unreadable, // a regular file that could not be opened or read (no access, read error, no memory)
};

// Opens the regular file at path for reading without ever waiting: the open
// itself does not block (O_NONBLOCK), then the open file must be a regular
// one, and only then is it made an ordinary blocking descriptor. Links are
// followed. Returns the descriptor (close-on-exec; the caller closes it), or
// -1 with *why set. *info (when given) gets what the open file is.
int openRegularFile(const QString& path, OpenFailure* why = nullptr, struct stat* info = nullptr);

// As openRegularFile, handing the descriptor to file, which then owns it and
// closes it when closed. file keeps no name.
bool openForReading(QFile& file, const QString& path, OpenFailure* why = nullptr);

// The whole content of the regular file at path; nothing (with *why set) when
// it is not one or cannot be read.
std::optional<QByteArray> readWholeFile(const QString& path, OpenFailure* why = nullptr);

} // namespace bw
