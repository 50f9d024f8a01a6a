#pragma once

#include "platform/fs.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// Which side a name that both mask lists hit is decided by first.
enum TFirstCondition { fcInclude, fcExclude };

// The message of a mask that is wrong from position at (1-based) on, in the
// language in use.
QString InvalidMaskMessage(const QString& mask, qsizetype at);

// One file-name mask compiled for matching. The mask matches the whole name
// without regard to case (Unicode case folding): '*' any run of characters,
// '?' exactly one, "[...]" one character of a set, "[!...]" one character not
// in it; every other character, '.' included, matches itself. In a set two
// characters joined by '-' give a range (a reversed range holds nothing), a
// '-' first or last is itself, and the set ends at the first ']' after "[" or
// "[!" ("[]" holds nothing). A character is in a set when it or its other-case
// form is.
class TFileMask {
public:
    // Throws bw::Error "'<mask>' is an invalid mask at (<n>)" for a set that is
    // never closed, n being the mask's length + 1.
    explicit TFileMask(const QString& mask);

    // name: the name already folded by foldName.
    bool matches(const std::u32string& foldedName) const;

    // The case-folded code points of name, the form matches() takes.
    static void foldName(const QString& name, std::u32string& out);

private:
    enum Kind : std::uint8_t { Literal, AnyOne, AnyRun, Set, NotSet };
    struct Token {
        Kind kind;
        char32_t c = 0;           // Literal: the folded character
        std::uint32_t first = 0;  // Set/NotSet: range [first, first + count) of ranges_
        std::uint32_t count = 0;
    };
    bool inSet(const Token& t, char32_t c) const;

    std::vector<Token> tokens_;
    std::vector<std::pair<char32_t, char32_t>> ranges_;
    // Shortcut for the common "*" + literal tail masks (such as "*.htm"): the
    // folded tail, matched against the end of the name.
    bool starThenLiteral_ = false;
    std::u32string tail_;
};

// The include/exclude filter of an added folder: masks on the name, attribute
// bits, size bounds, change-date ranges, and whether subfolders are scanned.
// It travels as one line of text, the folder settings text.
class TFileFilter {
public:
    static constexpr QChar DefaultMaskDelimiter = QChar(1);

    TFileFilter();

    // Properties, in the order they are copied and declared.
    std::int32_t IAttr = -1;   // include attribute bits; negative = off
    bool IUseMasks = false;
    std::int32_t EAttr = -1;   // exclude attribute bits; negative = off
    bool EUseMasks = false;
    TFirstCondition CheckFirstFor = fcInclude;
    QChar StrDelimiter = QChar(2); // kept and copied by a plain copy; nothing reads it
    double IDate1 = 0, IDate2 = 0; // days since 30.12.1899; IDate1 0 = off
    double EDate1 = 0, EDate2 = 0; // EDate1 0 = off
    std::int32_t ISize1 = 0, ISize2 = 0; // bytes; each off when <= 0
    std::int32_t ESize1 = 0, ESize2 = 0;
    bool Recursive = false;

    const QStringList& IMasks() const { return include_.masks; }
    const QStringList& EMasks() const { return exclude_.masks; }
    // Take a copy of the list and compile it. A list with a mask that does not
    // compile is not taken (the filter keeps its list) and the mask error is
    // thrown. Masks that are not StorableMask are left out of the copy.
    void SetIMasks(const QStringList& masks);
    void SetEMasks(const QStringList& masks);
    // Compiles both lists again (they are always compiled when set).
    void CompileMasks();
    // Whether a filter keeps the mask: one holding a control character never
    // is, so no settings text (nor the stored tree, whose node data is
    // TAB-separated) ever carries one.
    static bool StorableMask(QStringView mask);

    QChar MaskDelimiter() const { return maskDelimiter_; }
    // Also the delimiter of both mask lists in the settings text.
    void SetMaskDelimiter(QChar delimiter) { maskDelimiter_ = delimiter; }

    // A typed copy of Source: use flags, attributes, both mask lists, then
    // CheckFirstFor, MaskDelimiter, the dates, the sizes and Recursive; not
    // StrDelimiter.
    void Assign(const TFileFilter& source);
    void AssignTo(TFileFilter& dest) const { dest.Assign(*this); }

    // The include (or exclude) attribute set: -1 when not used, else the OR of
    // read-only 1, hidden 2, system 4 and archive $20 for the flags given.
    void SetAttributes(bool include, bool use, bool readOnly, bool hidden, bool sysFile, bool archive);
    void GetAttributes(bool include, bool& use, bool& readOnly, bool& hidden, bool& sysFile, bool& archive) const;

    // Whether the entry passes the filter. The name tested is the part after
    // the last '/' of entry.name.
    bool Matches(const bw::FileEntry& entry) const;

    // The settings as "Key=Value" lines, and back. Loading reads the keys in a
    // fixed order; a value that does not read throws bw::Error, keys read
    // before it keep their new values and later ones their old values.
    QStringList SaveToValues() const;
    void LoadFromValues(const QStringList& values);

    // The folder settings text: the lines above as one comma-delimited line.
    QString Text() const;
    void SetText(const QString& text);

    // Whether Matches needs the entry's size, attributes or time (a listing can
    // skip asking the file system for them otherwise).
    bool NeedsDetails() const;

private:
    struct MaskList {
        QStringList masks;
        std::vector<TFileMask> compiled;
    };
    static MaskList compile(const QStringList& masks);
    QString maskText(const MaskList& list) const;
    QStringList splitMasks(const QString& text) const;
    // Day bounds as instants (milliseconds since the epoch of the local
    // midnights), recomputed when a date changes.
    void refreshDateBounds() const;

    MaskList include_;
    MaskList exclude_;
    QChar maskDelimiter_ = DefaultMaskDelimiter;

    mutable double boundsOf_[4] = {-1, -1, -1, -1};
    mutable qint64 iFrom_ = 0, iTo_ = 0, eFrom_ = 0, eTo_ = 0;
    mutable std::u32string folded_;
};

// Day numbers (days since 30.12.1899) and their "dd.MM.yyyy" text, as the
// settings text writes and reads them. Reading takes one or two digits for
// day and month and a four-digit year, or a two-digit one taken in 1950-2049.
QString filterDateText(double day);
bool parseFilterDate(const QString& text, double& day);
