#include "options/shfileop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/format.h"
#include "platform/fs.h"
#include "platform/prompt.h"
#include "services/langmanager.h"

const QString TSHFileOp::kRestoreCaption = QStringLiteral("Brindlewick - extracting backup");
const QString TSHFileOp::kDeleteCaption = QStringLiteral("Brindlewick - delete");

QString TSHFileOp::text(const char* key, const char* fallback) const {
    const QString t = langs_ ? langs_->GetText(QLatin1String(key)) : QString();
    return t.isEmpty() ? QString::fromUtf8(fallback) : t;
}

bool TSHFileOp::fail(const QString& caption, const QString& message) {
    bw::prompt().error(caption, message);
    return false;
}

namespace {

bool removePath(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Sends a path to the trash. The platform's trash, when it cannot set up its
// folder, moves the item into "files" below the current folder and says it
// succeeded; such a move is taken back and counts as refused.
bool moveToTrash(const QString& path, QString* where = nullptr) {
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash))
        return false;
    const QFileInfo item(inTrash);
    const QDir files = item.absoluteDir();
    QDir trash = files;
    const bool inATrash = files.dirName() == QLatin1String("files") && trash.cdUp() &&
                          (trash.dirName() == QLatin1String("Trash") || trash.dirName().startsWith(QLatin1String(".Trash")));
    if (item.isAbsolute() && inATrash) {
        if (where)
            *where = item.absoluteFilePath();
        return true;
    }
    QFile::rename(item.absoluteFilePath(), path);
    QDir parent = files;
    parent.cdUp();
    QFile::remove(parent.filePath(QStringLiteral("info/") + item.fileName() + QStringLiteral(".trashinfo")));
    parent.rmdir(QStringLiteral("info"));
    parent.rmdir(QStringLiteral("files"));
    return false;
}

} // namespace

bool TSHFileOp::CopyOrMove(const QString& source, const QString& target, bool move) {
    const QString native = QDir::toNativeSeparators(target);
    const QString failed =
        bw::format(text("szRestoreFailed", "The copy \"%s\" could not be put back as \"%s\"."),
                   {QDir::toNativeSeparators(source), native});
    if (!QFileInfo(source).isFile())
        return fail(kRestoreCaption, failed);

    const QString folder = QFileInfo(target).absolutePath();
    if (!bw::forceDirectories(folder))
        return fail(kRestoreCaption, failed);

    // The file in place goes to the trash first, so that it can always be had back.
    QString trashed;
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        if (!bw::prompt().yesNo(kRestoreCaption,
                                bw::format(text("szReplaceWithCopy",
                                                "Replace the file \"%s\" with its copy? The file goes to the trash."),
                                           {native})))
            return false;
        if (QFileInfo(target).isDir() || !moveToTrash(target, &trashed))
            return fail(kRestoreCaption, failed);
    }

    bool done = false;
    if (move) {
        done = QFile::rename(source, target);
        if (!done && bw::copyFile(source, target, false)) {
            done = true;
            QFile::remove(source);
        }
    } else {
        done = bw::copyFile(source, target, false);
    }
    if (done)
        return true;
    // Whatever went to the trash comes back to its place.
    if (!trashed.isEmpty())
        QFile::rename(trashed, target);
    return fail(kRestoreCaption, failed);
}

bool TSHFileOp::Delete(const QString& path, const QString& question) {
    const QString native = QDir::toNativeSeparators(path);
    const QString ask = question.isEmpty()
                            ? bw::format(text("szSendToTrash", "Send \"%s\" to the trash?"), {native})
                            : question;
    if (!bw::prompt().yesNo(kDeleteCaption, ask))
        return false;
    if (moveToTrash(path))
        return true;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    if (!bw::prompt().yesNo(kDeleteCaption,
                            bw::format(text("szDeleteForGood",
                                            "\"%s\" cannot go to the trash. Delete it for good?"),
                                       {native}),
                            bw::Icon::Warning))
        return false;
    if (removePath(path))
        return true;
    return fail(kDeleteCaption, bw::format(text("szNotDeleted", "\"%s\" could not be deleted."), {native}));
}
