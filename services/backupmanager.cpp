#include "services/backupmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <deque>

#include "platform/appdirs.h"
#include "platform/diskpath.h"
#include "platform/fs.h"
#include "platform/prompt.h"
#include "services/langmanager.h"

namespace {

QString numbered(const QString& base, int n) {
    return base + QLatin1Char('.') + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

// A message that names its path and ends as a sentence, whether or not the
// translated text has a place for the path.
QString sentence(const QString& text, const QString& path) {
    QString s = text;
    const qsizetype at = s.indexOf(QLatin1String("%s"));
    if (at >= 0)
        s.replace(at, 2, path);
    else
        s += QStringLiteral(" \"") + path + QLatin1Char('"');
    if (!s.endsWith(QLatin1Char('.')) && !s.endsWith(QLatin1Char('!')) && !s.endsWith(QLatin1Char('?')))
        s += QLatin1Char('.');
    return s;
}

// A numbered copy is a regular file reached without a link.
bool isCopy(const QFileInfo& fi) { return fi.isFile() && !fi.isSymLink(); }

} // namespace

TBackupManager::TBackupManager(QObject* parent) : QObject(parent) {}

QString TBackupManager::FallbackFolder() { return bw::homeDir() + QStringLiteral("Backup/"); }

void TBackupManager::SetBackupFolder(const QString& folder) {
    const QString dir = QDir::cleanPath(bw::diskPath(QDir::fromNativeSeparators(folder)));
    if (!dir.isEmpty() && (QDir(dir).exists() || QDir().mkpath(dir)))
        backupFolder_ = bw::withTrailingSeparator(dir);
    else
        backupFolder_ = FallbackFolder();
}

void TBackupManager::SetMaxBackupCount(int count) {
    if (count > 0 && count <= 1000)
        maxBackupCount_ = count;
}

QString TBackupManager::text(const char* key, const char* fallback) const {
    QString t;
    if (LangManager)
        t = LangManager->GetText(QLatin1String(key));
    return t.isEmpty() ? QString::fromUtf8(fallback) : t;
}

QString TBackupManager::seriesBase(const QString& path) const {
    // The whole path below the backup folder: /dir/a.txt -> dir/a.txt, and a
    // top folder whose name starts with ':' keeps it (/:dir/a.txt -> :dir/a.txt),
    // so every file has a series of its own.
    QString relative = QDir::cleanPath(bw::diskPath(path));
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    // A store whose folder was never set uses the fallback: the copies never
    // land relative to the working folder.
    const QString folder = backupFolder_.isEmpty() ? FallbackFolder() : backupFolder_;
    return folder + relative;
}

bool TBackupManager::countSet() const {
    if (maxBackupCount_ > 0)
        return true;
    bw::prompt().ask(LangMessage("szErrorCaption", "Error"),
                     LangMessage("szBackupsNotRenumbered", "Can't renumber backup files"), bw::Buttons::Ok,
                     bw::Icon::Warning);
    return false;
}

QString TBackupManager::freeName(const QString& base, bool& full) const {
    full = false;
    for (int n = 0; n < maxBackupCount_; ++n) {
        const QString candidate = numbered(base, n);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    full = true;
    return numbered(base, maxBackupCount_ - 1);
}

void TBackupManager::rotate(const QString& base) const {
    // The oldest copy goes, the others move down by one. Failures here are not
    // reported; the new copy then replaces whatever holds the last number.
    // Only copies move: a folder with a copy's name holds another file's series.
    if (isCopy(QFileInfo(numbered(base, 0))))
        bw::deleteFile(numbered(base, 0));
    for (int n = 0; n + 1 < maxBackupCount_; ++n)
        if (isCopy(QFileInfo(numbered(base, n + 1))))
            bw::renamePath(numbered(base, n + 1), numbered(base, n));
}

void TBackupManager::tidy(const QString& base) const {
    // Temporaries of this series' numbers that a killed copy left: the whole
    // name is the file's, a point and three digits.
    const QString leaf = QFileInfo(base).fileName();
    bw::removeLeftTemporaries(QFileInfo(base).absolutePath(), [&leaf](const QString& name) {
        if (name.size() != leaf.size() + 4 || !name.startsWith(leaf) || name.at(leaf.size()) != QLatin1Char('.'))
            return false;
        for (qsizetype i = leaf.size() + 1; i < name.size(); ++i)
            if (name.at(i) < QLatin1Char('0') || name.at(i) > QLatin1Char('9'))
                return false;
        return true;
    });

    // A rotation cut short (or a copy deleted) leaves gaps. The copies move
    // down into them in the order of their numbers, which is their age, so
    // the next copy comes after the newest. Anything in a number that is no
    // copy (a folder, a link) stays where it is and keeps its number.
    std::deque<int> gaps;
    for (int n = 0; n < maxBackupCount_; ++n) {
        const QString name = numbered(base, n);
        const QFileInfo fi(name);
        if (!fi.exists() && !fi.isSymLink()) {
            gaps.push_back(n);
        } else if (isCopy(fi) && !gaps.empty()) {
            if (bw::renamePath(name, numbered(base, gaps.front()))) {
                gaps.pop_front();
                gaps.push_back(n);
            } else {
                // A copy that stays: the ones after it must not pass it.
                gaps.clear();
            }
        }
    }
}

QString TBackupManager::NextBackupName(const QString& path) {
    if (!countSet())
        return QString();
    const QString base = seriesBase(path);
    tidy(base);
    bool full = false;
    const QString name = freeName(base, full);
    if (full)
        rotate(base);
    return name;
}

bool TBackupManager::CopyToBackup(const QString& source, const QString& backupName) {
    return copy(bw::diskPath(source), bw::diskPath(backupName), {});
}

bool TBackupManager::copy(const QString& source, const QString& backupName,
                          const std::function<void()>& beforeReplace) {
    if (!QFileInfo(source).isFile())
        return false;

    const QString folder = QFileInfo(backupName).absolutePath();
    while (!QDir().mkpath(folder)) {
        const QString message = sentence(text("szCantCreateDir", "Can't create folder"), QDir::toNativeSeparators(folder));
        switch (bw::prompt().ask(QString(), message, bw::Buttons::AbortRetryIgnore, bw::Icon::Question)) {
        case bw::Answer::Retry: continue;
        case bw::Answer::Ignore: return true;
        default: return false;
        }
    }

    // The copy is written whole under a temporary name and takes its own name
    // only once complete, keeping the source's modification time.
    for (;;) {
        if (bw::copyFile(source, backupName, true, beforeReplace))
            return true;
        QString retry = text("szRetry", "Retry");
        if (!retry.endsWith(QLatin1Char('?')))
            retry += QLatin1Char('?');
        const QString message =
            sentence(text("szCantCreateFile", "Can't create file"), QDir::toNativeSeparators(backupName)) +
            QLatin1Char(' ') + retry;
        switch (bw::prompt().ask(QString(), message, bw::Buttons::AbortRetryIgnore, bw::Icon::Question)) {
        case bw::Answer::Retry: continue;
        case bw::Answer::Ignore: return true;
        default: return false;
        }
    }
}

bool TBackupManager::MakeBackup(const QString& path) {
    if (!Active)
        return true;
    // Checked before naming, so that a missing file never costs a full series its oldest copy.
    const QString file = bw::diskPath(path);
    if (!QFileInfo(file).isFile() || !countSet())
        return false;
    const QString base = seriesBase(file);
    tidy(base);
    bool full = false;
    const QString name = freeName(base, full);
    // A full series moves down only once the new copy is complete, so a copy
    // that fails leaves every older one where it was; the copy then takes the
    // last number. A kill in between leaves a gap and the copy's temporary,
    // which the next copy's tidy() clears up.
    bool rotated = false;
    return copy(file, name, [&] {
        if (full && !rotated) {
            rotated = true;
            rotate(base);
        }
    });
}

QString TBackupManager::BackupNameToOriginal(const QString& backupPath) const {
    if (backupFolder_.isEmpty())
        return QString();
    const QString path = QDir::cleanPath(bw::diskPath(QDir::fromNativeSeparators(backupPath)));
    if (!path.startsWith(backupFolder_))
        return QString();
    // The whole name up to its very end (a line feed after the number is no
    // number); the file's own name before the number is never empty, "." or
    // "..": such a name would map to a folder.
    static const QRegularExpression copyName(QStringLiteral("\\A((?:.*/)?([^/]+))\\.[0-9]{3}\\z"),
                                             QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = copyName.match(path.mid(backupFolder_.size()));
    if (!m.hasMatch() || m.capturedView(2) == u"." || m.capturedView(2) == u"..")
        return QString();
    return QLatin1Char('/') + m.captured(1);
}
