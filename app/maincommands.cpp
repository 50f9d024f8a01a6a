#include "app/maincommands.h"

#include <QDir>
#include <QFileInfo>

#include "app/project.h"
#include "options/contacts.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"

QUrl MailCommandLink(const QString& version, const QString& text) {
    const QByteArray subject = QStringLiteral("Brindlewick %1: %2").arg(version, text).toUtf8().toPercentEncoding();
    const QByteArray link = QByteArray("mailto:") + QByteArray(bw::contacts::kSupportMail).toPercentEncoding("@") +
                            "?subject=" + subject + "&Cc=" +
                            QByteArray(bw::contacts::kCopyMail).toPercentEncoding("@");
    return QUrl::fromEncoded(link, QUrl::StrictMode);
}

void SaveReportFile(const TReport& report, const QString& path, const TextSource& texts) {
    QByteArray bytes;
    for (const QString& line : report.Lines()) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    if (!bw::replaceFile(path, bytes))
        throw bw::Error(bw::format(TextOr(texts, QStringLiteral("szCantWriteFile"),
                                          CommandMessageText(QStringLiteral("szCantWriteFile"))),
                                   {QDir::toNativeSeparators(path)}));
}

TDroppedItems SortDroppedItems(const QList<QUrl>& urls) {
    TDroppedItems items;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = QDir::cleanPath(url.toLocalFile());
        if (bw::directoryExists(path))
            items.Folders.append(path);
        else if (bw::fileExists(path))
            items.Files.append(path);
    }
    return items;
}
