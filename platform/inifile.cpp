#include "platform/inifile.h"

#include <QFile>

#include "platform/cp1251.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/openfile.h"

namespace bw {

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int more;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            else if (b == 0xED)
                hi = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            if (b == 0xF0)
                lo = 0x90; // overlong
            else if (b == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        if (n - i <= more)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= more; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += more + 1;
    }
    return true;
}

QString decodeTextFile(QByteArrayView bytes) {
    if (isValidUtf8(bytes)) {
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        return QString::fromUtf8(bytes);
    }
    return decode1251(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size())));
}

IniFile::IniFile(const QString& fileName) : fileName_(fileName) {
    // Anything but a regular file reads as a missing one, at once.
    if (const std::optional<QByteArray> bytes = readWholeFile(fileName))
        setText(decodeTextFile(*bytes));
}

bool IniFile::flush() const {
    if (fileName_.isEmpty())
        return true;
    return replaceFile(fileName_, toText().toUtf8());
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

namespace {

bool hasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool blankEdged(const QString& s) { return !s.isEmpty() && (s.front().isSpace() || s.back().isSpace()); }

// Why a name cannot be written so that it reads back as it is; empty when it can.
QString badSectionName(const QString& section) {
    if (hasLineBreak(section))
        return QStringLiteral("it holds a line break");
    if (section.contains(QLatin1Char(']')))
        return QStringLiteral("it holds \"]\"");
    if (blankEdged(section))
        return QStringLiteral("it begins or ends with a blank");
    return QString();
}

QString badKeyName(const QString& key) {
    if (hasLineBreak(key))
        return QStringLiteral("it holds a line break");
    if (key.contains(QLatin1Char('=')))
        return QStringLiteral("it holds \"=\"");
    if (key.startsWith(QLatin1Char('[')) || key.startsWith(QLatin1Char(';')))
        return QStringLiteral("it begins with \"%1\"").arg(key.front());
    if (blankEdged(key))
        return QStringLiteral("it begins or ends with a blank");
    return QString();
}

} // namespace

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (const QString why = badSectionName(section); !why.isEmpty())
        throw Error(QStringLiteral("The settings section \"%1\" cannot be written: %2.").arg(section, why));
    if (const QString why = badKeyName(key); !why.isEmpty())
        throw Error(QStringLiteral("The settings key \"%1\" cannot be written: %2.").arg(key, why));
    // A value is one line of the file.
    QString line = value;
    if (hasLineBreak(line)) {
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    Section& s = obtain(section);
    auto it = s.index.constFind(key.toLower());
    if (it != s.index.constEnd()) {
        s.values[*it].second = std::move(line);
        return;
    }
    s.index.insert(key.toLower(), s.values.size());
    s.values.emplace_back(key, std::move(line));
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
    const QStringView all(text);
    const qsizetype n = all.size();
    qsizetype start = 0;
    while (start < n) {
        // A line ends at CR LF, LF or CR.
        qsizetype end = start;
        while (end < n && all[end] != QLatin1Char('\n') && all[end] != QLatin1Char('\r'))
            ++end;
        const QStringView line = all.sliced(start, end - start);
        start = end + 1;
        if (end + 1 < n && all[end] == QLatin1Char('\r') && all[end + 1] == QLatin1Char('\n'))
            ++start;
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
