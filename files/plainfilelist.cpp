#include "files/plainfilelist.h"

#include "files/filetree.h"
#include "platform/diskpath.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/openfile.h"
#include "services/langmanager.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

[[noreturn]] void cannotRead(const QString& fileName) {
    throw bw::Error(bw::format(LangMessage("szFileListUnreadable", "The file list %s cannot be read."),
                               {QDir::toNativeSeparators(fileName)}));
}

[[noreturn]] void cannotWrite(const QString& fileName) {
    throw bw::Error(bw::format(LangMessage("szFileListUnwritable", "The file list %s cannot be written."),
                               {QDir::toNativeSeparators(fileName)}));
}

// An absolute path with nothing to tidy: no empty, "." or ".." component.
bool plainAbsolute(const QString& path) {
    if (!path.startsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('/')) || path.contains(u"//"))
        return false;
    return !path.contains(u"/./") && !path.contains(u"/../") && !path.endsWith(u"/.") && !path.endsWith(u"/..");
}

} // namespace

PlainFileList ReadPlainFileList(const QString& fileName) {
    std::optional<QByteArray> read = bw::readWholeFile(fileName);
    if (!read)
        cannotRead(fileName);
    QByteArray bytes = std::move(*read);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;

    // Relative lines are joined to the list's folder as text: Qt would take
    // a line ":a.txt" for a resource.
    const QString folder = QFileInfo(bw::diskPath(fileName)).absolutePath();
    PlainFileList out;
    const qsizetype n = bytes.size();
    while (i < n) {
        qsizetype end = i;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArrayView line(bytes.constData() + i, end - i);
        i = end;
        if (i < n && bytes[i] == '\r')
            ++i;
        if (i < n && bytes[i] == '\n' && (i == end || bytes[i - 1] == '\r'))
            ++i;
        if (line.isEmpty())
            continue;
        const QString path = QString::fromUtf8(line);
        // A byte-order mark belongs at the very start; Qt would quietly drop
        // one that starts a later line.
        if (!line.isValidUtf8() || line.startsWith("\xEF\xBB\xBF")) {
            if (out.unreadable++ == 0)
                out.firstUnreadable = path;
            continue;
        }
        out.paths << (plainAbsolute(path) ? path : QDir::cleanPath(bw::diskPath(path, folder)));
    }
    return out;
}

void WritePlainFileList(const QString& fileName, const QStringList& paths) {
    QByteArray bytes;
    for (const QString& p : paths) {
        bytes += p.toUtf8();
        bytes += "\r\n";
    }
    if (!bw::replaceFile(fileName, bytes))
        cannotWrite(fileName);
}

void SaveStructuredFileList(const QString& fileName, const TFileVTreeView& tree) {
    // The block is made in memory, then written in one checked write.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    tree.SaveToStream(buffer);
    if (!bw::replaceFile(fileName, bytes))
        cannotWrite(fileName);
}

void LoadStructuredFileList(const QString& fileName, TFileVTreeView& tree) {
    QFile file;
    if (!bw::openForReading(file, fileName))
        cannotRead(fileName);
    tree.LoadFromStream(file);
}
