#pragma once

// Forward search over bytes of the working code page (Windows-1251), with the
// two options of every literal find: exact case and whole words.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bw {

// Byte -> its lower-case byte; letters of both alphabets (Ё/ё included) fold,
// every other byte maps to itself.
const std::array<unsigned char, 256>& foldTable1251();

// ASCII letters and digits, '_' and every letter of the code page.
const std::array<bool, 256>& wordCharTable1251();

inline bool isWordChar1251(char c) {
    return wordCharTable1251()[static_cast<unsigned char>(c)];
}

struct SearchFlags {
    bool matchCase = false;
    bool wholeWord = false;
};

// A needle prepared once and searched for many times.
class ForwardSearcher {
public:
    ForwardSearcher() = default;
    ForwardSearcher(std::string_view needle, SearchFlags flags) { reset(needle, flags); }
    void reset(std::string_view needle, SearchFlags flags);

    // Smallest p >= from where the needle occurs wholly before end; -1 when none.
    // An empty needle finds nothing.
    std::int64_t find(std::string_view text, std::size_t from, std::size_t end) const;

    // Whether the needle occurs at p (and ends at or before end).
    bool matchesAt(std::string_view text, std::size_t p, std::size_t end) const;

    std::size_t size() const { return needle_.size(); }

private:
    bool boundaryOk(std::string_view text, std::size_t p) const;
    bool equalAt(const unsigned char* at) const;
    std::int64_t findExact(std::string_view text, std::size_t from, std::size_t end) const;
    std::int64_t findFolded(std::string_view text, std::size_t from, std::size_t end) const;

    std::string needle_;  // folded unless matchCase
    SearchFlags flags_;
    bool folds_ = false;  // some needle byte has another case in the page
    bool wordFirst_ = false;
    bool wordLast_ = false;
    // Two needle positions whose bytes filter candidates, each with both cases.
    std::size_t k1_ = 0, k2_ = 0;
    unsigned char a1_ = 0, b1_ = 0, a2_ = 0, b2_ = 0;
};

// One-off search with the options.
std::int64_t searchForward(std::string_view text, std::size_t from, std::size_t end, std::string_view needle,
                           SearchFlags flags);

} // namespace bw
