// The converters between the working page and the Unicode forms: UCS-2
// (UTF-16LE code units) and UTF-8, neither with a byte-order mark.

#include "engine/codepages.h"
#include "platform/cp1251.h"

#include <cstring>

namespace {

constexpr char kDefaultChar = '?';
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUcs2Bom = "\xFF\xFE";

// The working page's table in the shapes the converters need.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::array<std::array<char, 4>, 256> utf8{};  // a byte's UTF-8 form
    std::array<unsigned char, 256> utf8Length{};
    // Bytes by code point below the highest one the page uses; -1 when none.
    static constexpr std::size_t kFromSize = 0x2200;
    std::array<short, kFromSize> fromUnicode{};

    Tables() {
        fromUnicode.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const char16_t u = bw::cp1251ToUnicode(static_cast<unsigned char>(b));
            toUnicode[b] = u;
            fromUnicode[u] = static_cast<short>(b);
            auto& e = utf8[b];
            if (u < 0x80) {
                e[0] = static_cast<char>(u);
                utf8Length[b] = 1;
            } else if (u < 0x800) {
                e[0] = static_cast<char>(0xC0 | (u >> 6));
                e[1] = static_cast<char>(0x80 | (u & 0x3F));
                utf8Length[b] = 2;
            } else {
                e[0] = static_cast<char>(0xE0 | (u >> 12));
                e[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                e[2] = static_cast<char>(0x80 | (u & 0x3F));
                utf8Length[b] = 3;
            }
        }
    }

    int byteFor(char32_t cp) const { return cp < kFromSize ? fromUnicode[cp] : -1; }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

bool eightAscii(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return (w & 0x8080808080808080ULL) == 0;
}

// Decodes UTF-8 of one to four bytes per character. Runs of ASCII go to
// sink.ascii(ptr, count), other characters to sink.put(code point). A
// malformed sequence (bad lead, missing or bad continuation, overlong form,
// surrogate, beyond U+10FFFF) gives one '?' for its longest valid prefix.
// Returns whether any sequence was malformed.
template <class Sink>
bool decodeUtf8(std::string_view text, Sink& sink) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    bool malformed = false;
    while (p < end) {
        const unsigned char* run = p;
        while (end - p >= 8 && eightAscii(p))
            p += 8;
        while (p < end && *p < 0x80)
            ++p;
        if (p != run)
            sink.ascii(run, static_cast<std::size_t>(p - run));
        if (p == end)
            break;

        const unsigned c = *p;
        int need;
        char32_t cp;
        unsigned char lo = 0x80, hi = 0xBF;  // range of the first continuation byte
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            cp = c & 0x0F;
            if (c == 0xE0)
                lo = 0xA0;  // no overlong forms
            else if (c == 0xED)
                hi = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            cp = c & 0x07;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;  // nothing beyond U+10FFFF
        } else {
            sink.put(kDefaultChar);
            malformed = true;
            ++p;
            continue;
        }
        const unsigned char* q = p + 1;
        int got = 0;
        for (; got < need && q < end && *q >= lo && *q <= hi; ++got, ++q) {
            cp = (cp << 6) | (*q & 0x3F);
            lo = 0x80;
            hi = 0xBF;
        }
        if (got < need) {
            sink.put(kDefaultChar);
            malformed = true;
        } else {
            sink.put(cp);
        }
        p = q;
    }
    return malformed;
}

char* putUtf8(char* o, char32_t cp) {
    if (cp < 0x80) {
        *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *o++ = static_cast<char>(0xE0 | (cp >> 12));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | (cp >> 18));
        *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return o;
}

char* putUnit(char* o, char16_t u) {
    *o++ = static_cast<char>(u & 0xFF);
    *o++ = static_cast<char>(u >> 8);
    return o;
}

// Reads UTF-16LE code units, the whole text (a zero unit is a character like
// any other), pairing surrogates; a lone surrogate gives '?' and makes the
// text lossy. An odd last byte has no meaning and is dropped (also lossy).
template <class Put>
bool readUcs2(std::string_view text, Put&& put) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t units = text.size() / 2;
    bool lossy = (text.size() & 1) != 0;
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = p[2 * i] | (p[2 * i + 1] << 8);
        if (u < 0xD800 || u > 0xDFFF) {
            put(u);
            continue;
        }
        if (u <= 0xDBFF && i + 1 < units) {
            const char32_t v = p[2 * i + 2] | (p[2 * i + 3] << 8);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                put(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                ++i;
                continue;
            }
        }
        put(kDefaultChar);
        lossy = true;
    }
    return lossy;
}

// Working-page bytes as UTF-8.
std::string win1251ToUtf8(std::string_view text) {
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t length = 0;
    for (std::size_t i = 0; i < n; ++i)
        length += t.utf8Length[p[i]];
    std::string out(length, '\0');
    char* o = out.data();
    std::size_t i = 0;
    while (i < n) {
        if (n - i >= 8 && eightAscii(p + i)) {
            std::memcpy(o, p + i, 8);
            o += 8;
            i += 8;
            continue;
        }
        const unsigned char b = p[i++];
        std::memcpy(o, t.utf8[b].data(), 4 <= out.data() + length - o ? 4 : t.utf8Length[b]);
        o += t.utf8Length[b];
    }
    return out;
}

// Working-page bytes as UTF-16LE.
std::string win1251ToUcs2(std::string_view text) {
    const Tables& t = tables();
    std::string out(text.size() * 2, '\0');
    char* o = out.data();
    for (const char c : text)
        o = putUnit(o, t.toUnicode[static_cast<unsigned char>(c)]);
    return out;
}

struct ToWin1251Sink {
    const Tables& t;
    char* o;
    bool lossy = false;
    void ascii(const unsigned char* p, std::size_t n) {
        std::memcpy(o, p, n);
        o += n;
    }
    void put(char32_t cp) {
        const int b = t.byteFor(cp);
        if (b < 0)
            lossy = true;
        *o++ = static_cast<char>(b < 0 ? kDefaultChar : b);
    }
};

struct ToUcs2Sink {
    char* o;
    void ascii(const unsigned char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            o = putUnit(o, p[i]);
    }
    void put(char32_t cp) {
        if (cp < 0x10000) {
            o = putUnit(o, static_cast<char16_t>(cp));
        } else {
            cp -= 0x10000;
            o = putUnit(o, static_cast<char16_t>(0xD800 + (cp >> 10)));
            o = putUnit(o, static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
    }
};

// Takes a byte-order mark off the front of a text being decoded and keeps it
// in the context; the converter sets the row that puts it back once the way
// back is known (keepBomFor).
std::string_view takeBom(std::string_view text, std::string_view bom, std::string& taken) {
    taken.clear();
    if (text.substr(0, bom.size()) == bom) {
        taken = bom;
        text.remove_prefix(bom.size());
    }
    return text;
}

void keepBomFor(TConversionContext& ctx, const std::string& taken) {
    ctx.KeptBom = taken;
    ctx.KeptBomRow = taken.empty() ? -1 : ctx.ReverseConversion;
}

// The mark to put in front of this row's result: the one kept by the
// conversion this row reverses. Taken out of the context.
std::string bomToPutBack(int row, TConversionContext& ctx) {
    std::string bom;
    if (!ctx.KeptBom.empty() && ctx.KeptBomRow == row) {
        bom.swap(ctx.KeptBom);
        ctx.KeptBomRow = -1;
    }
    return bom;
}

// A mark kept by an inner step that this converter does not reverse.
void dropStaleBom(TConversionContext& ctx) {
    if (ctx.KeptBomRow != ctx.ReverseConversion) {
        ctx.KeptBom.clear();
        ctx.KeptBomRow = -1;
    }
}

// The row a converter was called with, or source -> target when the index
// is outside the table.
RCTable rowOr(int row, int source, int target) {
    if (row >= 0 && row < ConversionCount)
        return Conversions[row];
    return {source, target, nullptr, nullptr};
}

void log(TConversionContext& ctx, int source, int target) {
    ctx.ConversionLog += ConversionCaption(source, target) + u',';
}

std::string utf8ToWin1251(std::string_view text, bool& lossy) {
    std::string out(text.size(), '\0');
    ToWin1251Sink sink{tables(), out.data()};
    const bool malformed = decodeUtf8(text, sink);
    out.resize(static_cast<std::size_t>(sink.o - out.data()));
    lossy = malformed || sink.lossy;
    return out;
}

std::string ucs2ToWin1251(std::string_view text, bool& lossy) {
    const Tables& t = tables();
    std::string out(text.size() / 2, '\0');
    char* o = out.data();
    bool missing = false;
    lossy = readUcs2(text, [&](char32_t cp) {
        const int b = t.byteFor(cp);
        missing |= b < 0;
        *o++ = static_cast<char>(b < 0 ? kDefaultChar : b);
    });
    lossy |= missing;
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string utf8ToUcs2(std::string_view text, bool& lossy) {
    std::string out(text.size() * 2, '\0');
    ToUcs2Sink sink{out.data()};
    lossy = decodeUtf8(text, sink);
    out.resize(static_cast<std::size_t>(sink.o - out.data()));
    return out;
}

std::string ucs2ToUtf8(std::string_view text, bool& lossy) {
    // At most three bytes per code unit (a surrogate pair gives four for two).
    std::string out(text.size() / 2 * 3, '\0');
    char* o = out.data();
    lossy = readUcs2(text, [&](char32_t cp) { o = putUtf8(o, cp); });
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string_view bomOf(int form) { return form == cpUTF8 ? kUtf8Bom : kUcs2Bom; }

std::string withBom(const std::string& bom, std::string&& text) {
    return bom.empty() ? std::move(text) : bom + text;
}

// The working page, or another 8-bit page through its map to the working
// page, into a Unicode form.
std::string toUnicodeForm(const std::string& text, int row, TConversionContext& ctx, int form,
                          std::string (*encode)(std::string_view)) {
    const std::string bom = bomToPutBack(row, ctx);
    const int source = rowOr(row, cpWin1251, form).Source;
    std::string out = source == cpWin1251 ? encode(text)
                                          : encode(ConvertText(text, FindConversion(source, cpWin1251), ctx));
    log(ctx, cpWin1251, form);
    ctx.ReverseConversion = FindConversion(form, source);
    dropStaleBom(ctx);
    return withBom(bom, std::move(out));
}

// A Unicode form into the working page, then by map into the row's target.
std::string fromUnicodeForm(const std::string& text, int row, TConversionContext& ctx, int form,
                            std::string (*decode)(std::string_view, bool&)) {
    std::string taken;
    bool lossy = false;
    std::string out = decode(takeBom(text, bomOf(form), taken), lossy);
    ctx.Lossy |= lossy;
    log(ctx, form, cpWin1251);
    const int target = rowOr(row, form, cpWin1251).Target;
    if (target != cpWin1251)
        out = ConvertText(out, FindConversion(cpWin1251, target), ctx);
    ctx.ReverseConversion = FindConversion(target, form);
    keepBomFor(ctx, taken);
    return out;
}

// One Unicode form into the other.
std::string betweenForms(const std::string& text, int row, TConversionContext& ctx, int from, int to,
                         std::string (*convert)(std::string_view, bool&)) {
    const std::string bom = bomToPutBack(row, ctx);
    std::string taken;
    bool lossy = false;
    // A text on its way back came from the conversion that took the mark off
    // its front: only that first mark was one, and a U+FEFF now at the front
    // is a character of the text.
    const std::string_view body = bom.empty() ? takeBom(text, bomOf(from), taken) : std::string_view(text);
    std::string out = convert(body, lossy);
    ctx.Lossy |= lossy;
    log(ctx, from, to);
    ctx.ReverseConversion = FindConversion(to, from);
    keepBomFor(ctx, taken);
    return withBom(bom, std::move(out));
}

} // namespace

std::string ConvertToUtf8(const std::string& text, int row, TConversionContext& ctx) {
    return toUnicodeForm(text, row, ctx, cpUTF8, win1251ToUtf8);
}

std::string ConvertToUcs2(const std::string& text, int row, TConversionContext& ctx) {
    return toUnicodeForm(text, row, ctx, cpUCS2, win1251ToUcs2);
}

std::string ConvertFromUtf8(const std::string& text, int row, TConversionContext& ctx) {
    return fromUnicodeForm(text, row, ctx, cpUTF8, utf8ToWin1251);
}

std::string ConvertFromUcs2(const std::string& text, int row, TConversionContext& ctx) {
    return fromUnicodeForm(text, row, ctx, cpUCS2, ucs2ToWin1251);
}

std::string ConvertUtf8ToUcs2(const std::string& text, int row, TConversionContext& ctx) {
    return betweenForms(text, row, ctx, cpUTF8, cpUCS2, utf8ToUcs2);
}

std::string ConvertUcs2ToUtf8(const std::string& text, int row, TConversionContext& ctx) {
    return betweenForms(text, row, ctx, cpUCS2, cpUTF8, ucs2ToUtf8);
}
