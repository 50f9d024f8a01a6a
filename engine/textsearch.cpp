#include "engine/textsearch.h"

#include "platform/cp1251.h"

#include <QChar>

#include <algorithm>
#include <cstring>

namespace bw {

namespace {

struct Tables {
    std::array<unsigned char, 256> fold{};
    // The other byte of the same letter in the other case; the byte itself when none.
    std::array<unsigned char, 256> partner{};
    std::array<bool, 256> word{};
    // Rough share of each folded byte in mixed Russian and English text, used to
    // pick the needle bytes that filter candidates best.
    std::array<unsigned short, 256> weight{};

    Tables() {
        for (int b = 0; b < 256; ++b) {
            const QChar ch(cp1251ToUnicode(static_cast<unsigned char>(b)));
            const int lower = unicodeToCp1251(ch.toLower().unicode());
            fold[b] = static_cast<unsigned char>(lower >= 0 ? lower : b);
            partner[b] = static_cast<unsigned char>(b);
            word[b] = b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                      (b >= 128 && ch.isLetter());
        }
        for (int b = 0; b < 256; ++b)
            for (int o = 0; o < 256; ++o)
                if (o != b && fold[o] == fold[b])
                    partner[b] = static_cast<unsigned char>(o);

        weight.fill(30);
        for (int d = '0'; d <= '9'; ++d)
            weight[d] = 50;
        const auto set = [this](std::string_view chars, unsigned short w) {
            for (char c : chars)
                weight[static_cast<unsigned char>(c)] = w;
        };
        set(" ", 1800);
        set("\r\n,.", 150);
        set("etaoinsh", 650);
        set("rdlucm", 350);
        set("wfgypb", 180);
        set("vk", 90);
        set("jxqz", 15);
        // о е а и н т с р в л к м д п у я ы ь г з б ч й х ж ш ю ц щ э ф ъ ё
        set("\xEE\xE5\xE0\xE8\xED\xF2\xF1", 700);
        set("\xF0\xE2\xEB\xEA\xEC\xE4\xEF\xF3", 330);
        set("\xFF\xFB\xFC\xE3\xE7\xE1\xF7", 170);
        set("\xE9\xF5\xE6\xF8\xFE\xF6", 70);
        set("\xF9\xFD\xF4", 35);
        set("\xFA\xB8", 5);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

const std::array<unsigned char, 256>& foldTable1251() { return tables().fold; }
const std::array<bool, 256>& wordCharTable1251() { return tables().word; }

void ForwardSearcher::reset(std::string_view needle, SearchFlags flags) {
    const Tables& t = tables();
    flags_ = flags;
    needle_.assign(needle);
    folds_ = false;
    if (!flags.matchCase)
        for (char& c : needle_) {
            const auto b = static_cast<unsigned char>(c);
            c = static_cast<char>(t.fold[b]);
            if (t.partner[t.fold[b]] != t.fold[b])
                folds_ = true;
        }
    wordFirst_ = !needle_.empty() && isWordChar1251(needle_.front());
    wordLast_ = !needle_.empty() && isWordChar1251(needle_.back());

    // The two rarest positions filter candidates; with one byte both are the same.
    k1_ = k2_ = 0;
    if (needle_.size() > 1) {
        std::size_t best = 0, second = 1;
        const auto w = [&](std::size_t i) { return t.weight[t.fold[static_cast<unsigned char>(needle_[i])]]; };
        if (w(second) < w(best))
            std::swap(best, second);
        for (std::size_t i = 2; i < needle_.size(); ++i) {
            if (w(i) < w(best)) {
                second = best;
                best = i;
            } else if (w(i) < w(second)) {
                second = i;
            }
        }
        k1_ = std::min(best, second);
        k2_ = std::max(best, second);
    }
    a1_ = static_cast<unsigned char>(needle_.empty() ? 0 : needle_[k1_]);
    a2_ = static_cast<unsigned char>(needle_.empty() ? 0 : needle_[k2_]);
    b1_ = folds_ ? t.partner[a1_] : a1_;
    b2_ = folds_ ? t.partner[a2_] : a2_;
}

bool ForwardSearcher::boundaryOk(std::string_view text, std::size_t p) const {
    if (!flags_.wholeWord)
        return true;
    if (wordFirst_ && p > 0 && isWordChar1251(text[p - 1]))
        return false;
    const std::size_t after = p + needle_.size();
    if (wordLast_ && after < text.size() && isWordChar1251(text[after]))
        return false;
    return true;
}

bool ForwardSearcher::equalAt(const unsigned char* at) const {
    const auto* n = reinterpret_cast<const unsigned char*>(needle_.data());
    if (!folds_)
        return std::memcmp(at, n, needle_.size()) == 0;
    const auto& fold = tables().fold;
    for (std::size_t i = 0; i < needle_.size(); ++i)
        if (fold[at[i]] != n[i])
            return false;
    return true;
}

bool ForwardSearcher::matchesAt(std::string_view text, std::size_t p, std::size_t end) const {
    end = std::min(end, text.size());
    if (needle_.empty() || p > end || end - p < needle_.size())
        return false;
    return equalAt(reinterpret_cast<const unsigned char*>(text.data()) + p) && boundaryOk(text, p);
}

std::int64_t ForwardSearcher::find(std::string_view text, std::size_t from, std::size_t end) const {
    end = std::min(end, text.size());
    if (needle_.empty() || from > end || end - from < needle_.size())
        return -1;
    return folds_ ? findFolded(text, from, end) : findExact(text, from, end);
}

std::int64_t ForwardSearcher::findExact(std::string_view text, std::size_t from, std::size_t end) const {
    const char* base = text.data();
    while (end - from >= needle_.size()) {
        const void* hit = memmem(base + from, end - from, needle_.data(), needle_.size());
        if (!hit)
            return -1;
        const auto p = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        if (boundaryOk(text, p))
            return static_cast<std::int64_t>(p);
        from = p + 1;
    }
    return -1;
}

#if defined(__GNUC__)
namespace {
using V16 = unsigned char __attribute__((vector_size(16)));
inline V16 load16(const unsigned char* p) {
    V16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline V16 splat(unsigned char c) {
    V16 v;
    std::memset(&v, c, sizeof v);
    return v;
}
} // namespace
#endif

std::int64_t ForwardSearcher::findFolded(std::string_view text, std::size_t from, std::size_t end) const {
    const auto* base = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t last = end - needle_.size(); // last start that fits
    std::size_t p = from;
#if defined(__GNUC__)
    // Sixteen starts at a time: both filter bytes must match (in either case)
    // before a start is compared in full.
    const V16 A1 = splat(a1_), B1 = splat(b1_), A2 = splat(a2_), B2 = splat(b2_);
    while (p <= last && last - p >= 15) {
        const V16 v1 = load16(base + p + k1_);
        const V16 v2 = load16(base + p + k2_);
        const auto hits = ((v1 == A1) | (v1 == B1)) & ((v2 == A2) | (v2 == B2));
        std::uint64_t half[2];
        std::memcpy(half, &hits, sizeof half);
        for (int h = 0; h < 2; ++h) {
            while (half[h]) {
                const int lane = __builtin_ctzll(half[h]) / 8;
                half[h] &= ~(0xFFull << (lane * 8));
                const std::size_t q = p + static_cast<std::size_t>(h * 8 + lane);
                if (equalAt(base + q) && boundaryOk(text, q))
                    return static_cast<std::int64_t>(q);
            }
        }
        p += 16;
    }
#endif
    for (; p <= last; ++p) {
        const unsigned char c1 = base[p + k1_];
        if ((c1 == a1_ || c1 == b1_) && equalAt(base + p) && boundaryOk(text, p))
            return static_cast<std::int64_t>(p);
    }
    return -1;
}

std::int64_t searchForward(std::string_view text, std::size_t from, std::size_t end, std::string_view needle,
                           SearchFlags flags) {
    return ForwardSearcher(needle, flags).find(text, from, end);
}

} // namespace bw
