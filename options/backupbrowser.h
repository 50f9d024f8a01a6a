#pragma once

#include <QString>

#include "options/shfileop.h"

class TBackupManager;
class TLangManager;

// What the backup browser does with the items it shows, without the tree:
// which actions an item allows, restoring a copy, and deleting items or the
// whole backup folder.
class TBackupBrowser {
public:
    explicit TBackupBrowser(TBackupManager& store, const TLangManager* langs = nullptr);

    // Set when the browser is made and whenever the folder changed; cleared by a refresh.
    bool RefreshNeeded = true;

    // The folder shown: the store's backup folder (its fallback while none is set), with a trailing separator.
    QString Root() const;
    bool IsRoot(const QString& path) const;

    // Restore needs a regular file (not a link) that is a numbered copy below
    // the backup folder, reached without a link below it.
    bool CanRestore(const QString& selected) const;
    bool CanDelete(const QString& selected) const { return !selected.isEmpty(); }

    // Puts the copy back in place of the file it was made from; moved when
    // deleteCopy, else copied. The backup store makes no copy of its own here.
    bool Restore(const QString& selected, bool deleteCopy);
    bool Delete(const QString& selected);
    // The whole backup folder; refused for the file system's root, the user's
    // home folder and any folder holding the program's own folder or its data folder.
    bool DeleteAll();

    // Whether deleting the folder would take the user's home, the program's
    // folder or the program's data folder with it.
    static bool Protected(const QString& folder);

private:
    QString text(const char* key, const char* fallback) const;

    TBackupManager& store_;
    const TLangManager* langs_;
    TSHFileOp op_;
};
