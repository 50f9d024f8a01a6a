#include "services/langmanager.h"

#include <QCoreApplication>
#include <QFile>

#include "platform/prompt.h"

TLangManager::TLangManager(QObject* parent) : QObject(parent) {}

TLangManager::~TLangManager() = default;

bool TLangManager::ReadLines(const QString& path, QStringList& lines) {
    lines.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
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

bool TLangManager::LoadLanguages() {
    names_.clear();
    tables_.clear();
    rowIndex_.clear();
    QStringList lines;
    if (!ReadLines(langDir_ + fileName_, lines))
        return false;

    qsizetype i = 0;
    while (i < lines.size() && !lines[i].isEmpty())
        names_ << lines[i++];
    if (names_.isEmpty())
        return false;
    const qsizetype count = names_.size();
    tables_.assign(static_cast<std::size_t>(count), QStringList());
    ++i; // the empty line after the names
    // Only complete rows are taken; a last row with fewer lines than languages is dropped.
    while (i + count <= lines.size()) {
        for (qsizetype lang = 0; lang < count; ++lang)
            tables_[static_cast<std::size_t>(lang)] << lines[i + lang];
        i += count + 1;
    }
    // Each language's index keeps the first row of every text.
    rowIndex_.resize(tables_.size());
    for (std::size_t lang = 0; lang < tables_.size(); ++lang) {
        const QStringList& table = tables_[lang];
        for (int row = 0; row < table.size(); ++row) {
            const QString folded = table[row].toCaseFolded();
            if (!rowIndex_[lang].contains(folded))
                rowIndex_[lang].insert(folded, row);
        }
    }

    currentLang_ = 0;
    loaded_ = true;
    LoadCurrentLanguage();
    if (OnLoaded)
        OnLoaded();
    return true;
}

void TLangManager::SetCurrentLang(int index) {
    if (index == currentLang_ || index < 0 || index >= LanguageCount())
        return;
    currentLang_ = index;
    LoadCurrentLanguage();
}

void TLangManager::LoadCurrentLanguage() {
    if (currentLang_ < 0 || currentLang_ >= LanguageCount())
        return;
    const QString path = langDir_ + names_[currentLang_] + QStringLiteral(".lng");
    QStringList lines;
    if (!ReadLines(path, lines)) {
        bw::prompt().error(QCoreApplication::applicationName(),
                           QStringLiteral("The language file \"%1\" cannot be read. The messages stay in the "
                                          "language used so far.")
                               .arg(path));
        return;
    }
    setMessages(lines);
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
