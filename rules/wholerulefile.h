#pragma once

#include <QIODevice>
#include <QString>
#include <string>

// Whole-rule favourites: a search text and a target text kept together in one
// file. All integers little-endian:
//   Int32 A, Int32 B, then A bytes of the search text, then B bytes of the target text.
// Nothing else: no magic, no terminator; the rule's options are not part of it.

struct TWholeRule {
    std::string Search;
    std::string Target;
    bool operator==(const TWholeRule&) const = default;
};

// The file's bytes for the two texts. Raises bw::Error when a text is 2 GiB or longer.
std::string WholeRuleBytes(const TWholeRule& rule);

// What reading a favourite gave. The stored lengths are never trusted: a
// negative one counts as 0, one past the end of the file is cut to what is
// there, and nothing is read or allocated beyond the file's size. WellFormed
// is false when the header was short, a length was negative or cut, or bytes
// follow the target text; the texts then hold the bytes that were present.
struct TWholeRuleRead {
    TWholeRule Rule;
    bool WellFormed = false;
};
TWholeRuleRead ReadWholeRule(QIODevice& in);

// Reads the favourite at path. Raises bw::Error naming the file when it cannot
// be opened or read.
TWholeRuleRead LoadWholeRuleFile(const QString& path);
// Writes the favourite through SaveStringToFile, so a failure never loses the
// old file. Raises bw::Error naming the file on failure.
void SaveWholeRuleFile(const QString& path, const TWholeRule& rule);

// The two texts a rule dialog's whole-rule favourites act on: its search page's
// and its target page's. Both pages of one dialog share one of these.
class TWholeRuleTexts {
public:
    virtual ~TWholeRuleTexts() = default;
    // The texts as bytes; raises bw::Error when a text holds a character
    // that Windows-1251 lacks.
    virtual TWholeRule GetWholeRule() const = 0;
    virtual void SetWholeRule(const TWholeRule& rule) = 0;
};

// TFEditSRInfo.SaveFavorite: writes the two texts to path. Every failure is a
// message naming the file (or the character the code page lacks); nothing is
// written then and the old file stays.
void SaveFavorite(const QString& path, const TWholeRuleTexts& texts);
// TFEditSRInfo.LoadFavorite: reads path into the two texts. A file that
// cannot be read gives a message naming it and leaves the texts as they were;
// a file of another format shows "szBadFavoriteFormat" and the texts get the
// bytes that were present.
void LoadFavorite(const QString& path, TWholeRuleTexts& texts);
