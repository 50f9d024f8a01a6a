#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace bw {

// Delimited text: the one-line list form shared by the settings file's comma
// text (delimiter ',') and the Name=Value texts of rules and folder settings
// (delimiter ';'). Writing: items joined by the delimiter with nothing between
// them; an item holding a character from code 0 to the space, the double quote
// or the delimiter is enclosed in double quotes with inner quotes doubled; a
// list of exactly one empty item is written as two double quotes; an empty
// list is the empty text. Reading: characters from code 1 to the space are
// skipped around items; an item that starts with a double quote runs to the
// matching quote with doubled quotes undone; any other item runs to the first
// character at or below the space or to the delimiter; one delimiter is
// consumed after an item; a delimiter at the very end adds an empty item.
//
// Works on byte texts (std::string, Windows-1251) and on QString alike.

namespace detail {
inline unsigned code(char c) { return static_cast<unsigned char>(c); }
inline unsigned code(QChar c) { return c.unicode(); }
} // namespace detail

template <class String>
String joinDelimited(const std::vector<String>& items, char delimiter) {
    using detail::code;
    String out;
    if (items.size() == 1 && items.front().size() == 0) {
        out.push_back('"');
        out.push_back('"');
        return out;
    }
    std::size_t total = items.size();
    for (const String& item : items)
        total += static_cast<std::size_t>(item.size()) + 2;
    out.reserve(static_cast<decltype(out.size())>(total));
    bool first = true;
    for (const String& item : items) {
        if (!first)
            out.push_back(delimiter);
        first = false;
        bool quote = false;
        for (auto c : item)
            if (code(c) <= ' ' || code(c) == '"' || code(c) == code(delimiter)) {
                quote = true;
                break;
            }
        if (!quote) {
            out += item;
            continue;
        }
        // Runs without a double quote go in whole; each quote is doubled.
        out.push_back('"');
        decltype(item.size()) from = 0;
        for (decltype(item.size()) i = 0; i < item.size(); ++i)
            if (code(item[i]) == '"') {
                out.append(item.data() + from, i + 1 - from);
                out.push_back('"');
                from = i + 1;
            }
        out.append(item.data() + from, item.size() - from);
        out.push_back('"');
    }
    return out;
}

template <class String>
std::vector<String> splitDelimited(const String& text, char delimiter) {
    using detail::code;
    std::vector<String> items;
    const auto n = text.size();
    decltype(text.size()) i = 0;
    auto skipBlanks = [&] {
        while (i < n && code(text[i]) >= 1 && code(text[i]) <= ' ')
            ++i;
    };
    skipBlanks();
    while (i < n) {
        String item;
        if (code(text[i]) == '"') {
            // Runs up to each quote go in whole; a doubled quote gives one.
            ++i;
            auto from = i;
            while (i < n) {
                if (code(text[i]) == '"') {
                    item.append(text.data() + from, i - from);
                    if (i + 1 < n && code(text[i + 1]) == '"') {
                        item.push_back(text[i]);
                        i += 2;
                        from = i;
                        continue;
                    }
                    ++i;
                    from = i;
                    break;
                }
                ++i;
            }
            if (from < i)
                item.append(text.data() + from, i - from);
        } else {
            const auto from = i;
            while (i < n && code(text[i]) > ' ' && code(text[i]) != code(delimiter))
                ++i;
            item.append(text.data() + from, i - from);
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && code(text[i]) == code(delimiter)) {
            ++i;
            if (i == n) {
                items.emplace_back();
                break;
            }
            skipBlanks();
        } else if (i < n && code(text[i]) == 0) {
            // A zero character ends the text, as it would a C string.
            break;
        }
    }
    return items;
}

// Comma text over QStringList, for the settings file and check lists.
inline QString toCommaText(const QStringList& items) {
    return joinDelimited(std::vector<QString>(items.begin(), items.end()), ',');
}
inline QStringList fromCommaText(const QString& text) {
    const auto v = splitDelimited(text, ',');
    return QStringList(v.begin(), v.end());
}

// The value of the first "Name=Value" item whose name equals key without regard
// to case (ASCII letters); found tells whether there was one. A missing key reads
// as empty.
template <class String>
String delimitedValue(const std::vector<String>& items, const String& key, bool* found = nullptr) {
    using detail::code;
    auto lower = [](unsigned c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    for (const String& item : items) {
        if (item.size() <= key.size() || code(item[key.size()]) != '=')
            continue;
        bool same = true;
        for (decltype(key.size()) k = 0; k < key.size(); ++k)
            if (lower(code(item[k])) != lower(code(key[k]))) {
                same = false;
                break;
            }
        if (same) {
            if (found)
                *found = true;
            return String(item.data() + key.size() + 1, item.size() - key.size() - 1);
        }
    }
    if (found)
        *found = false;
    return String();
}

} // namespace bw
