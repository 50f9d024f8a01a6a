#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace bw {

// The working code page, Windows-1251, with its own table: the engine's texts
// are bytes in this page and are never decoded with the locale's 8-bit page.
// Byte 0x98, unused in the page, stands for U+0098 so every byte round-trips.

char16_t cp1251ToUnicode(unsigned char byte);

// The byte for a UTF-16 code unit, or -1 when the page has none.
int unicodeToCp1251(char16_t unit);

QString decode1251(std::string_view bytes);

// Characters the page lacks become '?'; *lossy (when given) tells whether any did.
std::string encode1251(const QString& text, bool* lossy = nullptr);

} // namespace bw
