// Message formatting with any format text and any arguments.
//
// Input: the format in UTF-8, a zero byte, then the arguments, each a kind
// byte and its value: 0 int, 1 qint64, 2 uint, 3 quint64 (little-endian),
// 4 text and 5 bytes (a length byte, then UTF-8 or Windows-1251 bytes),
// 6 double, 7 an empty variant. Checked: no fault; a text without '%' comes
// back unchanged; no placeholder yields more than its widest allowed padding
// or its argument's text.

#include "fuzz/fuzzsupport.h"
#include "platform/format.h"

#include <cstring>

using namespace bw::fuzz;

namespace {

template <class T>
bool take(std::string_view& in, T& value) {
    if (in.size() < sizeof(T))
        return false;
    std::memcpy(&value, in.data(), sizeof(T));
    in.remove_prefix(sizeof(T));
    return true;
}

QVariantList argumentsOf(std::string_view in) {
    QVariantList args;
    while (!in.empty()) {
        const unsigned kind = static_cast<unsigned char>(in.front()) % 8;
        in.remove_prefix(1);
        qint32 i32;
        qint64 i64;
        quint32 u32;
        quint64 u64;
        double d;
        bool ok = true;
        switch (kind) {
        case 0: ok = take(in, i32); if (ok) args << QVariant(int(i32)); break;
        case 1: ok = take(in, i64); if (ok) args << QVariant(i64); break;
        case 2: ok = take(in, u32); if (ok) args << QVariant(uint(u32)); break;
        case 3: ok = take(in, u64); if (ok) args << QVariant(u64); break;
        case 4:
        case 5: {
            unsigned char n = 0;
            ok = take(in, n) && in.size() >= n;
            if (!ok)
                break;
            const QByteArray b(in.data(), n);
            in.remove_prefix(n);
            args << (kind == 4 ? QVariant(QString::fromUtf8(b)) : QVariant(b));
            break;
        }
        case 6: ok = take(in, d); if (ok) args << QVariant(d); break;
        default: args << QVariant(); break;
        }
        if (!ok)
            break;
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = splitParts(bytes(data, size), 2);
    const QString fmt = QString::fromUtf8(parts[0].data(), qsizetype(parts[0].size()));
    const QVariantList args = argumentsOf(parts[1]);

    const QString out = bw::format(fmt, args);
    if (!fmt.contains(QLatin1Char('%')))
        BW_FUZZ_CHECK(out == fmt, "a text without placeholders changed");
    // Each placeholder takes at least two characters of the format and gives
    // at most the widest padding (4096), a 4096-digit number or a 255-character text.
    const qint64 placeholders = fmt.count(QLatin1Char('%'));
    BW_FUZZ_CHECK(out.size() <= fmt.size() + placeholders * 4200, "a placeholder gave more than it may");
    return 0;
}
