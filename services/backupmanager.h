#pragma once

#include <QObject>
#include <QString>
#include <functional>

class TLangManager;

// Numbered copies of files made before the program changes them. The copy of
// /dir1/dir2/name.ext is BackupFolder + "dir1/dir2/name.ext." + a three-digit
// number from 000 to MaxBackupCount - 1; when every number is taken the
// oldest copy goes and the others move down by one. The copies hold the
// lowest numbers, oldest first: gaps (a copy deleted, or a rotation a kill
// cut short) close up before the next copy, which then comes last. A top
// folder whose name starts with ':' keeps it (/:x/a -> BackupFolder +
// ":x/a.000"), so no two files share a series. Relative paths are taken against the current folder.
class TBackupManager : public QObject {
    Q_OBJECT
public:
    explicit TBackupManager(QObject* parent = nullptr);

    bool Active = true;

    QString BackupFolder() const { return backupFolder_; }
    // A folder that exists or can be created is kept with a trailing
    // separator; an empty one or one that cannot be created gives way to
    // FallbackFolder() (created only when a copy needs it).
    void SetBackupFolder(const QString& folder);
    static QString FallbackFolder();

    int MaxBackupCount() const { return maxBackupCount_; }
    // Accepts 1 to 1000 (three-digit numbers); anything else keeps the old count.
    void SetMaxBackupCount(int count);

    // Where message texts come from; not owned. Built-in English texts without one.
    TLangManager* LangManager = nullptr;

    // Copies the file before it changes. True when inactive, when the copy was
    // made or when the user chose to ignore a failure; false when the user
    // chose to abort, when the file does not exist or no number is available.
    // A full series moves down only after the new copy is complete: a failed
    // copy leaves the series as it was. Copies keep the file's modification time.
    bool MakeBackup(const QString& path);

    // The file a copy was made from; empty for a name that is not a numbered
    // copy below the backup folder, and for names no copy ever takes (".000",
    // "..000", a line feed after the number), which would name a folder or
    // another file.
    QString BackupNameToOriginal(const QString& backupPath) const;

    // The name the next copy of path takes; closes gaps in the series and
    // shifts a full series down first.
    // Empty while no count is set.
    QString NextBackupName(const QString& path);
    // Copies source to backupName (replaced only once the copy is complete),
    // asking Abort/Retry/Ignore on failure.
    bool CopyToBackup(const QString& source, const QString& backupName);

private:
    QString text(const char* key, const char* fallback) const;
    // The copies' common name without the number.
    QString seriesBase(const QString& path) const;
    // False, after saying so, while no count is set.
    bool countSet() const;
    // The first free number's name, or with full set the last number's.
    QString freeName(const QString& base, bool& full) const;
    void rotate(const QString& base) const;
    // Removes the temporaries killed copies of the series left and closes the
    // gaps in its numbers, keeping the copies' order.
    void tidy(const QString& base) const;
    bool copy(const QString& source, const QString& backupName, const std::function<void()>& beforeReplace);

    QString backupFolder_;
    int maxBackupCount_ = 0;
};
