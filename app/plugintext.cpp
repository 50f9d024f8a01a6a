#include "app/plugintext.h"

#include <cstring>
#include <string_view>

namespace {

// The first CR or LF at or after p, or end.
inline const char* NextBreak(const char* p, const char* end) {
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c > '\r' || (c != '\r' && c != '\n'))
            ++p;
        else
            break;
    }
    return p;
}

inline unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

inline bool IsEntityNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
}

// The character a named reference stands for; a space for names not known
// here and for numeric references.
char EntityChar(std::string_view name) {
    struct Entry {
        std::string_view name;
        char c;
    };
    static constexpr Entry table[] = {
        {"nbsp", ' '}, {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"copy", '\xA9'}, {"reg", '\xAE'},
    };
    for (const Entry& e : table)
        if (e.name == name)
            return e.c;
    return ' ';
}

} // namespace

std::string ConvertLineBreaks(const std::string& text, bool toLf) {
    std::string out;
    out.reserve(toLf ? text.size() : text.size() * 2);
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* const start = p;
        p = NextBreak(p, end);
        out.append(start, std::size_t(p - start));
        if (p == end)
            break;
        if (*p == '\r' && p + 1 < end && p[1] == '\n')
            ++p;
        ++p;
        out.append(toLf ? "\n" : "\r\n", toLf ? 1 : 2);
    }
    return out;
}

std::string TrimLines(const std::string& text, int mode) {
    if (mode != tmLeft && mode != tmRight)
        return text;
    std::string out;
    out.reserve(text.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    if (mode == tmLeft) {
        // Each round starts a line: at the start of the text or after an LF.
        while (p < end) {
            while (p < end && *p == ' ')
                ++p;
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
            const char* const stop = lf ? lf + 1 : end;
            out.append(p, std::size_t(stop - p));
            p = stop;
        }
        return out;
    }
    while (p < end) {
        const char* const start = p;
        p = NextBreak(p, end);
        if (p == end) {
            out.append(start, std::size_t(end - start));
            break;
        }
        const char* kept = p;
        while (kept > start && kept[-1] == ' ')
            --kept;
        out.append(start, std::size_t(kept - start));
        out.push_back(*p++);
    }
    return out;
}

std::string SqueezeLineBreaks(const std::string& text, int maxRun) {
    std::string out;
    out.reserve(text.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    long long lfs = 1;
    long long crs = 1;
    while (p < end) {
        const char* const start = p;
        p = NextBreak(p, end);
        if (p > start) {
            out.append(start, std::size_t(p - start));
            lfs = crs = 0;
        }
        if (p == end)
            break;
        if (*p == '\n')
            ++lfs;
        else
            ++crs;
        if (lfs <= maxRun && crs <= maxRun)
            out.push_back(*p);
        ++p;
    }
    return out;
}

std::string HtmlToText(const std::string& text, bool preserveBreaks) {
    // Every rule writes at most as many bytes as it reads ("<br>" gives two).
    std::string out(text.size(), '\0');
    char* w = out.data();
    const char* const s = text.data();
    const std::size_t n = text.size();

    bool inTag = false;
    std::size_t tagLength = 0;
    char tag[7]; // the tag's first bytes, lower-cased: enough to judge it
    bool inEntity = false;
    std::size_t entityStart = 0;
    std::size_t entityLength = 0;
    char entity[10];
    unsigned char last = ' ';
    long long depth = 0;

    // Bytes that looked like the start of a reference but are not one: text
    // as it stands. None of them is a space.
    auto writeAsText = [&](std::size_t from, std::size_t to) {
        if (depth <= 0) {
            std::memcpy(w, s + from, to - from);
            w += to - from;
        }
        last = static_cast<unsigned char>(s[to - 1]);
    };

    for (std::size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 32)
            c = ' ';
        if (inEntity) {
            if (IsEntityNameByte(c)) {
                if (entityLength < sizeof entity) {
                    entity[entityLength++] = static_cast<char>(Lower(c));
                    continue;
                }
            } else if (c == ';' && entityLength > 0) {
                inEntity = false;
                *w++ = EntityChar(std::string_view(entity, entityLength));
                last = '&';
                continue;
            }
            // Not a reference: the bytes so far are text, and c is judged below.
            inEntity = false;
            writeAsText(entityStart, i);
        }
        if (c == '<') {
            inTag = true;
            tagLength = 0;
            continue;
        }
        if (c == '>') {
            if (!inTag)
                continue;
            inTag = false;
            const std::string_view name(tag, tagLength < sizeof tag ? tagLength : sizeof tag);
            if (name.starts_with("script")) {
                ++depth;
            } else if (tagLength == 7 && name == "/script") {
                --depth;
            } else if ((tagLength == 2 && name == "br") || (tagLength > 2 && name[1] == 'h')) {
                if (preserveBreaks) {
                    *w++ = '\r';
                    *w++ = '\n';
                } else if (last != ' ') {
                    *w++ = ' ';
                }
                last = ' ';
            }
            continue;
        }
        if (inTag) {
            if (tagLength < sizeof tag)
                tag[tagLength] = static_cast<char>(Lower(c));
            ++tagLength;
            continue;
        }
        if (c == '&') {
            inEntity = true;
            entityStart = i;
            entityLength = 0;
            continue;
        }
        if ((c != ' ' || last != ' ') && depth <= 0)
            *w++ = static_cast<char>(c);
        last = c;
    }
    if (inEntity)
        writeAsText(entityStart, n);
    out.resize(std::size_t(w - out.data()));
    return out;
}
