#include "app/plugintext.h"

#include <cstring>
#include <string_view>

namespace {

// Finds line breaks through memchr, one search per kind of break byte, each
// found position kept until the reading passes it: linear in the text.
class BreakFinder {
public:
    BreakFinder(const char* begin, const char* end) : end_(end), cr_(Find(begin, '\r')), lf_(Find(begin, '\n')) {}

    // The first CR or LF at or after p (end when none).
    const char* Next(const char* p) {
        if (cr_ < p)
            cr_ = Find(p, '\r');
        if (lf_ < p)
            lf_ = Find(p, '\n');
        return cr_ < lf_ ? cr_ : lf_;
    }

    // The first LF at or after p (end when none).
    const char* NextLf(const char* p) {
        if (lf_ < p)
            lf_ = Find(p, '\n');
        return lf_;
    }

private:
    const char* Find(const char* p, char c) const {
        const void* at = std::memchr(p, c, std::size_t(end_ - p));
        return at ? static_cast<const char*>(at) : end_;
    }

    const char* end_;
    const char* cr_;
    const char* lf_;
};

// Moves the bytes [from, to) to w (the places may overlap) and returns the end of what was written.
inline char* Move(char* w, const char* from, const char* to) {
    if (w != from)
        std::memmove(w, from, std::size_t(to - from));
    return w + (to - from);
}

// Each result is written from the start of a buffer made ahead, then cut to
// size. The buffer is the text being read itself when the output never gets
// ahead of the reading.
std::string CutTo(std::string& buffer, const char* w) {
    buffer.resize(std::size_t(w - buffer.data()));
    return std::move(buffer);
}

// How many times c occurs in text.
std::size_t Count(const std::string& text, char c) {
    std::size_t n = 0;
    const char* const end = text.data() + text.size();
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, c, std::size_t(end - p)))); ++p)
        ++n;
    return n;
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

std::string ConvertLineBreaks(std::string text, bool toLf) {
    // CR LF output needs at most one more byte per CR or LF; LF output fits in place.
    std::string room;
    if (!toLf)
        room.assign(text.size() + Count(text, '\n') + Count(text, '\r'), '\0');
    std::string& out = toLf ? text : room;
    char* w = out.data();
    const char* p = text.data();
    const char* const end = p + text.size();
    BreakFinder breaks(p, end);
    while (p < end) {
        const char* const b = breaks.Next(p);
        w = Move(w, p, b);
        if (b == end)
            break;
        p = b + 1;
        if (*b == '\r' && p < end && *p == '\n')
            ++p;
        if (!toLf)
            *w++ = '\r';
        *w++ = '\n';
    }
    return CutTo(out, w);
}

std::string TrimLines(std::string text, int mode) {
    if (mode != tmLeft && mode != tmRight)
        return text;
    char* w = text.data();
    const char* p = text.data();
    const char* const end = p + text.size();
    BreakFinder breaks(p, end);
    if (mode == tmLeft) {
        // Each round starts a line: at the start of the text or after an LF.
        while (p < end) {
            while (p < end && *p == ' ')
                ++p;
            const char* const lf = breaks.NextLf(p);
            const char* const stop = lf == end ? end : lf + 1;
            w = Move(w, p, stop);
            p = stop;
        }
        return CutTo(text, w);
    }
    while (p < end) {
        const char* const b = breaks.Next(p);
        if (b == end) {
            w = Move(w, p, end);
            break;
        }
        const char* kept = b;
        while (kept > p && kept[-1] == ' ')
            --kept;
        w = Move(w, p, kept);
        *w++ = *b;
        p = b + 1;
    }
    return CutTo(text, w);
}

std::string SqueezeLineBreaks(std::string text, int maxRun) {
    char* w = text.data();
    const char* p = text.data();
    const char* const end = p + text.size();
    BreakFinder breaks(p, end);
    long long lfs = 1;
    long long crs = 1;
    while (p < end) {
        const char* const b = breaks.Next(p);
        if (b > p) {
            w = Move(w, p, b);
            lfs = crs = 0;
        }
        if (b == end)
            break;
        if (*b == '\n')
            ++lfs;
        else
            ++crs;
        if (lfs <= maxRun && crs <= maxRun)
            *w++ = *b;
        p = b + 1;
    }
    return CutTo(text, w);
}

std::string HtmlToText(std::string text, bool preserveBreaks) {
    // No rule writes more than it has read ("<br>" gives two), so the output
    // goes over the text itself.
    char* w = text.data();
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
            std::memmove(w, s + from, to - from);
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
    return CutTo(text, w);
}
