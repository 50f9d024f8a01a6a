#include "rules/textlibrary.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/appdirs.h"
#include "platform/cp1251.h"
#include "platform/error.h"
#include "platform/format.h"
#include "services/fallbacktext.h"
#include "services/fileroutines.h"

TLibraryFolders LibraryFolderNames(const QString& base, int role) {
    const QString root = bw::withTrailingSeparator(base);
    const QString sep = QDir::separator();
    return {root + (role == 0 ? QStringLiteral("Source") : QStringLiteral("Target")) + sep,
            root + QStringLiteral("Full") + sep};
}

std::vector<std::string> SplitLibraryLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string LibraryFileToText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    bool first = true;
    for (const std::string& line : SplitLibraryLines(bytes)) {
        if (!first)
            text += "\r\n";
        text += line;
        first = false;
    }
    return text;
}

std::string TextToLibraryFile(std::string_view text) {
    // A page's text has no final line end, so an empty last line is a line of its own.
    std::vector<std::string> lines = SplitLibraryLines(text);
    if (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        lines.emplace_back();
    std::string out;
    out.reserve(text.size() + 2 * lines.size());
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

std::vector<TLibraryEntry> ListLibraryFolder(const QString& folder) {
    const QString root = bw::withTrailingSeparator(folder);
    QDir dir(root);
    // Only regular files (and links to them): a pipe or device named *.txt
    // would block the program when opened.
    const QFileInfoList infos =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    std::vector<TLibraryEntry> files;
    std::vector<TLibraryEntry> folders;
    for (const QFileInfo& info : infos) {
        const QString name = info.fileName();
        if (info.isDir()) {
            if (!name.startsWith(QLatin1Char('.')))
                folders.push_back({name, root + name + QDir::separator(), true});
        } else if (name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) {
            files.push_back({name, root + name, false});
        }
    }
    auto byName = [](const TLibraryEntry& a, const TLibraryEntry& b) {
        const int c = a.Name.compare(b.Name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.Name < b.Name;
    };
    std::sort(files.begin(), files.end(), byName);
    std::sort(folders.begin(), folders.end(), byName);
    files.insert(files.end(), folders.begin(), folders.end());
    return files;
}

namespace {

std::function<QString(const QString&)>& textSource() {
    static std::function<QString(const QString&)> source;
    return source;
}

constexpr TFallbackText kDefaultTexts[] = {
    {"szApplicationTitle", "Brindlewick"},
    {"szAddToLibrary", "Add to library..."},
    {"szTextFilesFilter", "Text files (*.txt)"},
    {"szBadFavoriteFormat", "The file is not a favourite rule of the expected format."},
    {"szSelBFF", "Select a fragment of"},
    {"szCantCreateDir", "Can't create the folder \"%s\"."},
    {"szCantReadFile", "The file \"%s\" cannot be read."},
    {"szCantWriteFile", "The file \"%s\" was not written; it is left as it was."},
    {"szCharNotIn1251", "The character \"%s\" (U+%s) cannot be written in Windows-1251; nothing was written."},
    {"szReplaceFileQ", "The file \"%s\" exists. Replace it?"},
    {"szTextTooLong", "The text is too long to be written."},
    {"szSignMisread", "The pattern would read this block as another sign: check the characters and the number."},
};

} // namespace

QString RulesText(const QString& key) {
    return TextOrFallback(textSource(), kDefaultTexts, key);
}

void SetRulesTextSource(std::function<QString(const QString&)> source) { textSource() = std::move(source); }

std::string EncodeStrict1251(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = bw::unicodeToCp1251(text[i].unicode());
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        // Name the whole character, also when it takes two code units.
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString shown = text.mid(i, pair ? 2 : 1);
        const char32_t code = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        throw bw::Error(bw::format(RulesText(QStringLiteral("szCharNotIn1251")),
                                   {shown, QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'))}));
    }
    return out;
}

std::string UpToNul(std::string bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
        bytes.resize(nul);
    return bytes;
}

std::string ReadLibraryText(const QString& path) {
    std::string bytes;
    if (!LoadFileToString(path, bytes))
        throw bw::Error(bw::format(RulesText(QStringLiteral("szCantReadFile")), {QDir::toNativeSeparators(path)}));
    return LibraryFileToText(bytes);
}

void WriteLibraryText(const QString& path, std::string_view text) {
    if (!SaveStringToFile(path, TextToLibraryFile(text)))
        throw bw::Error(bw::format(RulesText(QStringLiteral("szCantWriteFile")), {QDir::toNativeSeparators(path)}));
}
