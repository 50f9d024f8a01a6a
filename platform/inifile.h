#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace bw {

// The text of a settings or language file: UTF-8 when the bytes are valid
// UTF-8 (a leading byte-order mark is dropped), Windows-1251 otherwise, as
// files written on Windows are.
QString decodeTextFile(QByteArrayView bytes);
// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(QByteArrayView bytes);

// An INI file held wholly in memory. Opening reads the whole file (a missing or
// unreadable file is an empty one; see decodeTextFile for its encoding); reads
// and writes act on the copy; the file is rewritten whole, in UTF-8, only by
// flush(). A line ends at CR LF, LF or CR. Section and key names compare
// without regard to case; sections and keys keep their insertion order.
//
// A value is one line: the writer turns CR and LF in it into spaces, and keeps
// every other character. Names that would not read back as written are
// refused with bw::Error: a section holding a line break or ']', a key holding
// a line break or '=' or beginning with '[' or ';', and either beginning or
// ending with a blank.
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
