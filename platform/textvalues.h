#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/delimitedtext.h"

namespace bw {

// Values in Name=Value texts (rule texts, folder settings texts).

// The words "True" and "False" in any letter case (ASCII letters only); nothing
// for any other text.
template <class String>
std::optional<bool> booleanWord(const String& text) {
    auto same = [&text](const char* word) {
        std::size_t i = 0;
        for (; word[i] != 0; ++i) {
            if (i >= std::size_t(text.size()))
                return false;
            unsigned c = detail::code(text[i]);
            if (c >= 'A' && c <= 'Z')
                c += 32;
            if (c != unsigned(word[i]))
                return false;
        }
        return i == std::size_t(text.size());
    };
    if (same("true"))
        return true;
    if (same("false"))
        return false;
    return std::nullopt;
}

// A Boolean: one of the words above, or a number read by the caller's number
// rule (std::optional of an integer), non-zero being true.
template <class String, class NumberRule>
std::optional<bool> parseBoolean(const String& text, NumberRule number) {
    if (auto word = booleanWord(text))
        return word;
    if (auto n = number(text))
        return *n != 0;
    return std::nullopt;
}

// A 32-bit integer as the settings store reads numbers: decimal with an
// optional sign, or hexadecimal after "$" or "0x". A decimal value must lie in
// the signed 32-bit range; a hexadecimal one may use all 32 bits ("$FFFFFFFF"
// is -1).
std::optional<std::int32_t> parseInt32(const QString& text);

} // namespace bw
