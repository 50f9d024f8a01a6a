#include "options/backupbrowser.h"

#include <QDir>
#include <QFileInfo>

#include "platform/appdirs.h"
#include "platform/format.h"
#include "platform/prompt.h"
#include "services/backupmanager.h"
#include "services/langmanager.h"

namespace {

QString clean(const QString& path) { return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath()); }

// The path with its links followed; the cleaned path when it does not exist.
QString canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? clean(path) : c;
}

// Whether folder is path or one of the folders above it.
bool holds(const QString& folder, const QString& path) {
    return bw::withTrailingSeparator(path).startsWith(bw::withTrailingSeparator(folder));
}

} // namespace

TBackupBrowser::TBackupBrowser(TBackupManager& store, const TLangManager* langs)
    : store_(store), langs_(langs), op_(langs) {}

QString TBackupBrowser::text(const char* key, const char* fallback) const {
    const QString t = langs_ ? langs_->GetText(QLatin1String(key)) : QString();
    return t.isEmpty() ? QString::fromUtf8(fallback) : t;
}

QString TBackupBrowser::Root() const {
    const QString folder = store_.BackupFolder();
    return folder.isEmpty() ? TBackupManager::FallbackFolder() : folder;
}

bool TBackupBrowser::IsRoot(const QString& path) const { return !path.isEmpty() && clean(path) == clean(Root()); }

bool TBackupBrowser::CanRestore(const QString& selected) const {
    if (selected.isEmpty() || IsRoot(selected))
        return false;
    // Only a regular file is a copy, and only one reached without a link
    // below the backup folder: a link would put another file in place.
    const QFileInfo item(selected);
    if (!item.isFile() || item.isSymLink())
        return false;
    const QString path = clean(selected);
    const QString root = clean(Root());
    if (!holds(root, path) || canonical(path) != canonical(root) + path.mid(root.size()))
        return false;
    return !store_.BackupNameToOriginal(path).isEmpty();
}

bool TBackupBrowser::Restore(const QString& selected, bool deleteCopy) {
    if (!CanRestore(selected))
        return false;
    const QString source = clean(selected);
    return op_.CopyOrMove(source, store_.BackupNameToOriginal(source), deleteCopy);
}

bool TBackupBrowser::Delete(const QString& selected) {
    if (!CanDelete(selected))
        return false;
    if (IsRoot(selected))
        return DeleteAll();
    return op_.Delete(clean(selected));
}

bool TBackupBrowser::Protected(const QString& folder) {
    const QString f = clean(folder);
    const QString c = canonical(folder);
    if (f == QDir::rootPath() || c == QDir::rootPath())
        return true;
    // The user's home, the program's own folder and its data folder, as named
    // and with their links followed.
    for (const QString& own : {QDir::homePath(), bw::appDir(), bw::homeDir()}) {
        if (holds(f, clean(own)) || holds(c, canonical(own)))
            return true;
    }
    return false;
}

bool TBackupBrowser::DeleteAll() {
    const QString folder = clean(Root());
    const QString native = QDir::toNativeSeparators(folder);
    if (Protected(folder)) {
        bw::prompt().error(op_.DeleteCaption(),
                           bw::format(text("szDeleteAllRefused",
                                           "The folder \"%s\" holds more than backup copies; it is not deleted."),
                                      {native}));
        return false;
    }
    if (!QFileInfo(folder).isDir())
        return false;
    return op_.Delete(folder, bw::format(text("szDeleteAllQuestion",
                                              "Send the backup folder \"%s\" with every copy in it to the trash?"),
                                         {native}));
}
