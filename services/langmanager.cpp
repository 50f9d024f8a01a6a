#include "services/langmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "platform/inifile.h"
#include "platform/openfile.h"
#include "platform/prompt.h"

TLangManager::TLangManager(QObject* parent) : QObject(parent) {}

TLangManager::~TLangManager() = default;

bool TLangManager::ReadLines(const QString& path, QStringList& lines) {
    lines.clear();
    // Only a regular file: a named pipe in its place would wait for a writer.
    const std::optional<QByteArray> bytes = bw::readWholeFile(path);
    if (!bytes)
        return false;
    const QString text = bw::decodeTextFile(*bytes);
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return true;
}

namespace {

// Whether a language name can name its message file inside the language
// folder: no separator, no "..", no control character.
bool usableLanguageName(const QString& name) {
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

} // namespace

QString TLangManager::message(const char* key, const char* english) const {
    const QString t = GetText(QLatin1String(key));
    return t.isEmpty() ? QString::fromUtf8(english) : t;
}

void TLangManager::reportDamaged(const QString& path) const {
    bw::prompt().error(QCoreApplication::applicationName(),
                       message("szLangFileDamaged",
                               "The language file \"%s\" is damaged; what could not be read from it was left out.")
                           .replace(QLatin1String("%s"), QDir::toNativeSeparators(path)));
}

bool TLangManager::LoadLanguages() {
    const QString path = langDir_ + fileName_;
    QStringList lines;
    if (!ReadLines(path, lines) || lines.isEmpty() || lines.front().isEmpty()) {
        names_.clear();
        tables_.clear();
        rowIndex_.clear();
        return false;
    }

    qsizetype i = 0;
    while (i < lines.size() && !lines[i].isEmpty())
        ++i;
    // Without the empty line after the names every line would be taken for a
    // name: the file is damaged, and the languages loaded so far stay.
    if (i == lines.size()) {
        reportDamaged(path);
        return false;
    }
    const qsizetype count = i;
    // A name that cannot name a file in the language folder is skipped, with
    // its column of the rows.
    QStringList names;
    std::vector<qsizetype> columns;
    for (qsizetype lang = 0; lang < count; ++lang) {
        if (usableLanguageName(lines[lang])) {
            names << lines[lang];
            columns.push_back(lang);
        }
    }
    const bool damaged = names.size() < count;
    if (names.isEmpty()) {
        reportDamaged(path);
        return false;
    }
    std::vector<QStringList> tables(columns.size());
    ++i; // the empty line after the names
    // Only complete rows are taken; a last row with fewer lines than languages is dropped.
    while (i + count <= lines.size()) {
        for (std::size_t k = 0; k < columns.size(); ++k)
            tables[k] << lines[i + columns[k]];
        i += count + 1;
    }
    // Each language's index keeps the first row of every text.
    std::vector<QHash<QString, int>> rowIndex(tables.size());
    for (std::size_t lang = 0; lang < tables.size(); ++lang) {
        const QStringList& table = tables[lang];
        for (int row = 0; row < table.size(); ++row) {
            const QString folded = table[row].toCaseFolded();
            if (!rowIndex[lang].contains(folded))
                rowIndex[lang].insert(folded, row);
        }
    }
    names_ = std::move(names);
    tables_ = std::move(tables);
    rowIndex_ = std::move(rowIndex);
    if (damaged)
        reportDamaged(path);

    currentLang_ = 0;
    loaded_ = true;
    LoadCurrentLanguage();
    if (OnLoaded)
        OnLoaded();
    return true;
}

void TLangManager::SetCurrentLang(int index) {
    if (index < 0 || index >= LanguageCount())
        return;
    // The same language does nothing, unless its messages could not be read:
    // choosing it again tries its file again.
    if (index == currentLang_ && messagesLang_ == currentLang_)
        return;
    currentLang_ = index;
    LoadCurrentLanguage();
}

void TLangManager::LoadCurrentLanguage() {
    if (currentLang_ < 0 || currentLang_ >= LanguageCount())
        return;
    const QString path = langDir_ + names_[currentLang_] + QStringLiteral(".lng");
    QStringList lines;
    if (ReadLines(path, lines)) {
        setMessages(lines);
        messagesLang_ = currentLang_;
    } else {
        bw::prompt().error(QCoreApplication::applicationName(),
                           message("szLangFileUnreadable",
                                   "The language file \"%s\" cannot be read. The messages stay as they were.")
                               .replace(QLatin1String("%s"), QDir::toNativeSeparators(path)));
    }
    // The captions come from the index file and switch either way.
    RetranslateForms();
    if (OnTranslated)
        OnTranslated();
}

void TLangManager::setMessages(const QStringList& lines) {
    messages_ = lines;
    messageIndex_.clear();
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).toCaseFolded();
        if (!messageIndex_.contains(key))
            messageIndex_.insert(key, line.mid(eq + 1));
    }
}

QString TLangManager::GetText(const QString& key) const {
    if (key == QLatin1String("szApplicationTitle"))
        return QCoreApplication::applicationName();
    return messageIndex_.value(key.toCaseFolded());
}

QStringList TLangManager::Table(int language) const {
    if (language < 0 || language >= static_cast<int>(tables_.size()))
        return {};
    return tables_[static_cast<std::size_t>(language)];
}

int TLangManager::FindRow(int language, const QString& text) const {
    if (language < 0 || language >= static_cast<int>(rowIndex_.size()))
        return -1;
    return rowIndex_[static_cast<std::size_t>(language)].value(text.toCaseFolded(), -1);
}

QString TLangManager::RowText(int language, int row) const {
    if (language < 0 || language >= static_cast<int>(tables_.size()))
        return {};
    const QStringList& table = tables_[static_cast<std::size_t>(language)];
    return row >= 0 && row < table.size() ? table[row] : QString();
}

QString LangText(const QString& text) {
    const QByteArray source = text.toUtf8();
    const QString translated = QCoreApplication::translate(kLangRowsContext, source.constData());
    return translated.isEmpty() ? text : translated;
}

QString LangMessage(const char* key, const char* english) {
    // Without a translator that knows the key, Qt gives the key back.
    const QString translated = QCoreApplication::translate(kLangMessagesContext, key);
    return translated.isEmpty() || translated == QLatin1String(key) ? QString::fromUtf8(english) : translated;
}
