#include "options/shfileop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>

#include "platform/format.h"
#include "platform/fs.h"
#include "platform/prompt.h"
#include "platform/trash.h"
#include "services/langmanager.h"

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

bool present(const QString& path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); }

// Only a regular file is a copy: a link or a device is never put in place.
bool regularFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

// Copies source to a new name beside target, then renames it over target, so
// that target (a file or a link) is replaced whole or not at all.
bool copyOver(const QString& source, const QString& target) {
    const QString temporary = bw::temporaryNameBeside(target);
    if (!bw::copyFile(source, temporary, false))
        return false;
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    QFile::remove(temporary);
    return false;
}

// Puts source at target; replace says whether a file still standing there may
// be replaced (it goes for good).
bool putInPlace(const QString& source, const QString& target, bool move, bool replace) {
    if (move) {
        const QByteArray from = QFile::encodeName(source);
        const QByteArray to = QFile::encodeName(target);
        const bool renamed = replace ? std::rename(from.constData(), to.constData()) == 0
                                     : ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                                                   RENAME_NOREPLACE) == 0;
        if (renamed)
            return true;
    }
    // Copied when asked to, or when the copy lies on another file system.
    const bool copied = replace ? copyOver(source, target) : bw::copyFile(source, target, false);
    if (copied && move)
        QFile::remove(source);
    return copied;
}

} // namespace

QString TSHFileOp::forGoodQuestion(const QString& native, const QString& reason) const {
    QString question = bw::format(text("szDeleteForGood", "\"%s\" cannot go to the trash. Delete it for good?"), {native});
    if (!reason.isEmpty())
        question += QStringLiteral("\n\n") + bw::format(text("szTrashReason", "Reason: %s"), {reason});
    return question;
}

bool TSHFileOp::CopyOrMove(const QString& source, const QString& target, bool move) {
    const QString native = QDir::toNativeSeparators(target);
    const QString failed =
        bw::format(text("szRestoreFailed", "The copy \"%s\" could not be put back as \"%s\"."),
                   {QDir::toNativeSeparators(source), native});
    if (!regularFile(source))
        return fail(RestoreCaption(), failed);

    const QString folder = QFileInfo(target).absolutePath();
    if (!bw::forceDirectories(folder))
        return fail(RestoreCaption(), failed);

    // The file in place goes to the trash first, so that it can be had back;
    // where the trash cannot take it, it is replaced only after a second question.
    bw::TrashedItem trashed;
    bool replace = false;
    if (present(target)) {
        if (!bw::prompt().yesNo(RestoreCaption(),
                                bw::format(text("szReplaceWithCopy",
                                                "Replace the file \"%s\" with its copy? The file goes to the trash."),
                                           {native})))
            return false;
        if (QFileInfo(target).isDir() && !QFileInfo(target).isSymLink())
            return fail(RestoreCaption(), failed);
        QString why;
        if (!bw::moveToTrash(target, &trashed, &why) && present(target)) {
            if (!bw::prompt().yesNo(RestoreCaption(), forGoodQuestion(native, why), bw::Icon::Warning))
                return false;
            replace = true;
        }
    }

    if (putInPlace(source, target, move, replace))
        return true;
    // Whatever went to the trash comes back to its place.
    if (!trashed.inTrash.isEmpty())
        bw::takeBackFromTrash(trashed);
    return fail(RestoreCaption(), failed);
}

bool TSHFileOp::Delete(const QString& path, const QString& question) {
    const QString native = QDir::toNativeSeparators(path);
    // Neither the trash nor a folder holding it goes anywhere: that would take
    // every trashed item's record with it.
    if (bw::holdsTrash(path))
        return fail(DeleteCaption(),
                    bw::format(text("szHoldsTrash", "\"%s\" is the trash or holds it; it is not deleted."), {native}));
    const QString ask = question.isEmpty()
                            ? bw::format(text("szSendToTrash", "Send \"%s\" to the trash?"), {native})
                            : question;
    if (!bw::prompt().yesNo(DeleteCaption(), ask))
        return false;
    QString why;
    if (bw::moveToTrash(path, nullptr, &why))
        return true;
    if (!present(path))
        return true;
    if (!bw::prompt().yesNo(DeleteCaption(), forGoodQuestion(native, why), bw::Icon::Warning))
        return false;
    if (removePath(path))
        return true;
    return fail(DeleteCaption(), bw::format(text("szNotDeleted", "\"%s\" could not be deleted."), {native}));
}
