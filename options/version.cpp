#include "options/version.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>

#include "options/versionnumbers.h"
#include "services/langmanager.h"

QString formatVersion(int major, int minor, int release, int build) {
    QString v = QString::number(major) + QLatin1Char('.') + QString::number(minor);
    v += release == 0 ? QStringLiteral(" Release") : QStringLiteral("b") + QString::number(release);
    return v + QStringLiteral(" build ") + QString::number(build);
}

const QString AppVersion = formatVersion(BW_VERSION_MAJOR, BW_VERSION_MINOR, BW_VERSION_RELEASE, BW_VERSION_BUILD);

std::optional<std::string> PageVersion(const std::string& page) {
    static const std::string marker = "<!---NEWS--->";
    static const std::string word = "\xC2\xE5\xF0\xF1\xE8\xFF\x20";
    const std::size_t m = page.find(marker);
    if (m == std::string::npos)
        return std::nullopt;
    const std::size_t w = page.find(word, m + marker.size());
    if (w == std::string::npos)
        return std::nullopt;
    const std::size_t start = w + word.size();
    const std::size_t end = page.find('<', start);
    if (end == std::string::npos)
        return std::nullopt;
    return page.substr(start, end - start);
}

namespace {

std::optional<std::array<qulonglong, 4>> readVersion(const std::string& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,9})\\.(\\d{1,9})(?: Release|b(\\d{1,9})) build (\\d{1,9})$"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    if (!m.hasMatch())
        return std::nullopt;
    return std::array<qulonglong, 4>{m.captured(1).toULongLong(), m.captured(2).toULongLong(),
                                     m.captured(3).isEmpty() ? 0 : m.captured(3).toULongLong(),
                                     m.captured(4).toULongLong()};
}

} // namespace

bool IsNewerVersion(const std::string& page, const std::string& ours) {
    const auto a = readVersion(page);
    const auto b = readVersion(ours);
    if (a && b)
        return *a > *b;
    return std::lexicographical_compare(ours.begin(), ours.end(), page.begin(), page.end(),
                                        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

bool IsOpenableUrl(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid())
        return false;
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

QString MailLink(const QString& address, const QString& version) {
    return QStringLiteral("mailto:") + address + QStringLiteral("?subject=Brindlewick%20") + version;
}

QString BuiltInNewsAddress() { return QStringLiteral(BW_NEWS_URL); }

QString ReadNewsAddress(const QString& fileName) {
    QStringList lines;
    if (!TLangManager::ReadLines(fileName, lines) || lines.isEmpty())
        return BuiltInNewsAddress();
    return lines.first();
}
