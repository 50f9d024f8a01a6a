#pragma once

#include <QString>

namespace bw {

// An item moved into the trash: where it lies now and the ".trashinfo" file
// that records where it came from.
struct TrashedItem {
    QString original;
    QString inTrash;
    QString info;
};

// The user's trash in the desktop's layout: "files/" and "info/" below
// $XDG_DATA_HOME/Trash ($HOME/.local/share/Trash when the variable is unset
// or not absolute). Empty when neither is known.
QString trashFolder();

// Moves a file, folder or link into the user's trash. The item keeps its name
// (or takes name.2, name.3 ... when the trash holds one of that name already):
// its ".trashinfo" is created exclusively first and written through that same
// descriptor (no temporary file in "info/"), then the item is renamed into
// "files/". Missing trash folders are created (owner only). It fails in
// bounded time, leaving the item where it was and no ".trashinfo" behind; an
// item on another file system than the trash is refused, and so are the
// trash, its two folders and every folder holding it (by any path). On
// failure *reason (when given) says which step failed and why, as
// "<path>: <system error>"; where a folder of the trash may not be written
// to, <path> is that folder.
bool moveToTrash(const QString& path, TrashedItem* trashed = nullptr, QString* reason = nullptr);

// Whether path (not followed if it is a link) is the trash, one of its two
// folders or a folder holding the trash: what may neither go to the trash
// nor be deleted without losing the trash.
bool holdsTrash(const QString& path);

// Puts an item moved by moveToTrash back where it was and drops its record.
// False when something now stands in its place or the rename fails.
bool takeBackFromTrash(const TrashedItem& item);

} // namespace bw
