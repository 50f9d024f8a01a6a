#include "platform/textvalues.h"

#include "platform/inifile.h"

namespace bw {

std::optional<std::int32_t> parseInt32(const QString& text) {
    qint64 v = 0;
    if (!IniFile::parseInteger(text, v))
        return std::nullopt;
    const QString t = text.trimmed();
    const bool hex = t.startsWith(QLatin1Char('$')) || t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    if (hex && v >= 0x80000000LL && v <= 0xFFFFFFFFLL)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

} // namespace bw
