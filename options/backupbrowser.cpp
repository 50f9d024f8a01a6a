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
    return !selected.isEmpty() && !IsRoot(selected) && QFileInfo(selected).isFile() &&
           !store_.BackupNameToOriginal(clean(selected)).isEmpty();
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
    if (f == QDir::rootPath() || f == clean(QDir::homePath()))
        return true;
    const QString prefix = bw::withTrailingSeparator(f);
    return bw::withTrailingSeparator(clean(bw::homeDir())).startsWith(prefix);
}

bool TBackupBrowser::DeleteAll() {
    const QString folder = clean(Root());
    const QString native = QDir::toNativeSeparators(folder);
    if (Protected(folder)) {
        bw::prompt().error(TSHFileOp::kDeleteCaption,
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
