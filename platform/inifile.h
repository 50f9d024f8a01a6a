#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace bw {

// An INI file held wholly in memory. Opening reads the whole file (a missing or
// unreadable file is an empty one); reads and writes act on the copy; the file
// is rewritten whole, in UTF-8, only by flush(). Section and key names compare
// without regard to case; values are kept exactly as written; sections and keys
// keep their insertion order.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QString& fileName);

    const QString& fileName() const { return fileName_; }

    // Lets go of the file: later flushes write nothing.
    void detach() { fileName_.clear(); }

    // Writes the whole copy back; false when it could not be written. The old
    // file is replaced only once the new one is complete.
    bool flush() const;

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    QString readString(const QString& section, const QString& key, const QString& def = QString()) const;
    // Decimal, or "0x" and hexadecimal digits; anything else gives def.
    qint64 readInteger(const QString& section, const QString& key, qint64 def = 0) const;
    // True for any non-zero number.
    bool readBool(const QString& section, const QString& key, bool def = false) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);
    void writeBool(const QString& section, const QString& key, bool value);

    void deleteKey(const QString& section, const QString& key);
    void eraseSection(const QString& section);
    void clear();

    QString toText() const;
    void setText(const QString& text);

    // The number reading used by readInteger: decimal or 0x-hex, surrounding blanks allowed.
    static bool parseInteger(const QString& text, qint64& value);

private:
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> values;
        QHash<QString, std::size_t> index; // lower-cased key -> position in values
    };

    const Section* find(const QString& section) const;
    Section& obtain(const QString& section);
    void reindex(Section& s);

    QString fileName_;
    std::vector<Section> sections_;
    QHash<QString, std::size_t> index_; // lower-cased name -> position in sections_
};

// One string read or written by section and key in a named INI file, the file
// opened and (for writing) flushed at each call.
QString readIniString(const QString& fileName, const QString& section, const QString& key,
                      const QString& def = QString());
bool writeIniString(const QString& fileName, const QString& section, const QString& key,
                    const QString& value);

} // namespace bw
