#include "platform/inifile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace bw {

IniFile::IniFile(const QString& fileName) : fileName_(fileName) {
    QFile f(fileName);
    if (f.open(QIODevice::ReadOnly))
        setText(QString::fromUtf8(f.readAll()));
}

bool IniFile::flush() const {
    if (fileName_.isEmpty())
        return true;
    QSaveFile f(fileName_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(toText().toUtf8());
    return f.commit();
}

const IniFile::Section* IniFile::find(const QString& section) const {
    auto it = index_.constFind(section.toLower());
    return it == index_.constEnd() ? nullptr : &sections_[*it];
}

IniFile::Section& IniFile::obtain(const QString& section) {
    const QString lower = section.toLower();
    auto it = index_.constFind(lower);
    if (it != index_.constEnd())
        return sections_[*it];
    index_.insert(lower, sections_.size());
    sections_.push_back(Section{section, {}, {}});
    return sections_.back();
}

void IniFile::reindex(Section& s) {
    s.index.clear();
    for (std::size_t i = 0; i < s.values.size(); ++i)
        s.index.insert(s.values[i].first.toLower(), i);
}

bool IniFile::sectionExists(const QString& section) const { return find(section) != nullptr; }

bool IniFile::valueExists(const QString& section, const QString& key) const {
    const Section* s = find(section);
    return s && s->index.contains(key.toLower());
}

QStringList IniFile::sections() const {
    QStringList out;
    for (const Section& s : sections_)
        out << s.name;
    return out;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    if (const Section* s = find(section))
        for (const auto& kv : s->values)
            out << kv.first;
    return out;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const Section* s = find(section);
    if (!s)
        return def;
    auto it = s->index.constFind(key.toLower());
    return it == s->index.constEnd() ? def : s->values[*it].second;
}

bool IniFile::parseInteger(const QString& text, qint64& value) {
    const QString t = text.trimmed();
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

qint64 IniFile::readInteger(const QString& section, const QString& key, qint64 def) const {
    qint64 v = def;
    if (!parseInteger(readString(section, key), v))
        return def;
    return v;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    Section& s = obtain(section);
    auto it = s.index.constFind(key.toLower());
    if (it != s.index.constEnd()) {
        s.values[*it].second = value;
        return;
    }
    s.index.insert(key.toLower(), s.values.size());
    s.values.emplace_back(key, value);
}

void IniFile::writeInteger(const QString& section, const QString& key, qint64 value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    auto sit = index_.constFind(section.toLower());
    if (sit == index_.constEnd())
        return;
    Section& s = sections_[*sit];
    auto it = s.index.constFind(key.toLower());
    if (it == s.index.constEnd())
        return;
    s.values.erase(s.values.begin() + static_cast<std::ptrdiff_t>(*it));
    reindex(s);
}

void IniFile::eraseSection(const QString& section) {
    auto sit = index_.constFind(section.toLower());
    if (sit == index_.constEnd())
        return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(*sit));
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        index_.insert(sections_[i].name.toLower(), i);
}

void IniFile::clear() {
    sections_.clear();
    index_.clear();
}

QString IniFile::toText() const {
    QString out;
    for (const Section& s : sections_) {
        out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const auto& kv : s.values)
            out += kv.first + QLatin1Char('=') + kv.second + QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    return out;
}

void IniFile::setText(const QString& text) {
    clear();
    Section* current = nullptr;
    // A line ends at CR LF, LF or CR; a value keeps every other character.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    const auto lines = QStringView(text).split(lineEnd);
    for (QStringView line : lines) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            current = &obtain(trimmed.mid(1, trimmed.size() - 2).trimmed().toString());
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!current || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toString();
        const QString value = line.mid(eq + 1).toString();
        // The first of two equal keys wins, as it would when read.
        if (!current->index.contains(key.toLower())) {
            current->index.insert(key.toLower(), current->values.size());
            current->values.emplace_back(key, value);
        }
    }
}

QString readIniString(const QString& fileName, const QString& section, const QString& key, const QString& def) {
    return IniFile(fileName).readString(section, key, def);
}

bool writeIniString(const QString& fileName, const QString& section, const QString& key, const QString& value) {
    IniFile ini(fileName);
    ini.writeString(section, key, value);
    return ini.flush();
}

} // namespace bw
