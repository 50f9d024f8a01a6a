// Conversion by rows, the log and the way back, and automatic detection.

#include "engine/codepages.h"

#include <cmath>

void TConversionContext::Reset() {
    ConversionLog.clear();
    ReverseConversion = -1;
    Lossy = false;
    KeptBom.clear();
    KeptBomRow = -1;
}

QString TConversionContext::LogText() const {
    return ConversionLog.endsWith(u',') ? ConversionLog.chopped(1) : ConversionLog;
}

int FindConversion(int source, int target) {
    for (int i = 0; i < ConversionCount; ++i)
        if (Conversions[i].Source == source && Conversions[i].Target == target)
            return i;
    return -1;
}

QString ConversionCaption(int source, int target) {
    auto name = [](int id) {
        if (id < 0 || id >= static_cast<int>(CodePageNames.size()))
            return QString();
        const std::string_view n = CodePageNames[static_cast<std::size_t>(id)];
        return QString::fromLatin1(n.data(), static_cast<qsizetype>(n.size()));
    };
    return name(source) + QStringLiteral(" -> ") + name(target);
}

std::string ConvertText(const std::string& text, int row, TConversionContext& ctx) {
    if (row < 0 || row >= ConversionCount)
        return text;
    if (Conversions[row].Source == cpAutomatic) {
        const int target = Conversions[row].Target;
        const int detected = DetectCodePage(text, ctx);
        row = FindConversion(detected, target);
        if (row < 0) {
            // Already in the target page: nothing to convert and no way back to set.
            ctx.ConversionLog += ConversionCaption(detected, target) + u',';
            return text;
        }
    }
    const RCTable& r = Conversions[row];
    if (!r.Map)
        return r.Converter(text, row, ctx);

    ctx.ConversionLog += ConversionCaption(r.Source, r.Target) + u',';
    std::string out(text.size(), '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const unsigned char* map = r.Map;
    for (std::size_t i = 0; i < text.size(); ++i)
        o[i] = map[in[i]];
    ctx.ReverseConversion = FindConversion(r.Target, r.Source);
    return out;
}

std::string ConvertBack(const std::string& text, TConversionContext& ctx) {
    return ConvertText(text, ctx.ReverseConversion, ctx);
}

namespace {

// Letter weights in whole units of 1e-7, so that scores add up exactly and
// equal scores are really equal.
struct LetterWeights {
    std::array<std::uint64_t, 256> byByte{};  // by Windows-1251 byte
    LetterWeights() {
        for (int b = 0xC0; b < 0x100; ++b)
            byByte[b] = static_cast<std::uint64_t>(std::llround(RussianLetterFrequencies[(b - 0xC0) % 32] * 1e7));
    }
};

std::uint64_t score(const std::array<std::uint64_t, 256>& histogram, const unsigned char* map) {
    static const LetterWeights weights;
    std::uint64_t sum = 0;
    for (int b = 0; b < 256; ++b)
        if (histogram[b])
            sum += histogram[b] * weights.byByte[map ? map[b] : b];
    return sum;
}

} // namespace

TCodePageId DetectCodePage(std::string_view text, int sampleSize) {
    if (text.empty())
        return cpWin1251;
    const std::size_t size = text.size();
    const std::size_t n = sampleSize > 0 && static_cast<std::size_t>(sampleSize) < size
                              ? static_cast<std::size_t>(sampleSize) : size;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());

    // One pass: four interleaved histograms (so neighbouring equal bytes do
    // not wait on each other) and, within the sample, the UTF-8 two-byte
    // Cyrillic sequences: a 0xD0 or 0xD1 lead followed by a continuation byte.
    // A lead that is the sample's last byte counts only when the text goes on
    // with a continuation byte past the sample.
    std::array<std::array<std::uint64_t, 256>, 4> h{};
    std::uint64_t leads = 0;
    auto lead = [](unsigned b, unsigned next) {
        return static_cast<std::uint64_t>(((b & 0xFE) == 0xD0) & ((next & 0xC0) == 0x80));
    };
    std::size_t i = 0;
    for (; i + 4 < n; i += 4) {
        ++h[0][p[i]];
        ++h[1][p[i + 1]];
        ++h[2][p[i + 2]];
        ++h[3][p[i + 3]];
        leads += lead(p[i], p[i + 1]) + lead(p[i + 1], p[i + 2]) + lead(p[i + 2], p[i + 3]) + lead(p[i + 3], p[i + 4]);
    }
    for (; i < n; ++i) {
        ++h[0][p[i]];
        leads += i + 1 < size ? lead(p[i], p[i + 1]) : 0;
    }
    const std::uint64_t zeros = h[0][0] + h[1][0] + h[2][0] + h[3][0];
    for (; i + 4 <= size; i += 4) {
        ++h[0][p[i]];
        ++h[1][p[i + 1]];
        ++h[2][p[i + 2]];
        ++h[3][p[i + 3]];
    }
    for (; i < size; ++i)
        ++h[0][p[i]];

    // More than 2% of the sample (both tests strict).
    if (zeros * 50 > n)
        return cpUCS2;
    if (leads * 50 > n)
        return cpUTF8;

    std::array<std::uint64_t, 256> histogram{};
    for (int b = 0; b < 256; ++b)
        histogram[b] = h[0][b] + h[1][b] + h[2][b] + h[3][b];

    // The candidates are the pages whose map to Windows-1251 makes the text
    // most Russian; the first one wins a tie among them, and the text itself
    // (already Windows-1251) wins a tie with the best.
    static constexpr int kCandidates[] = {cp866, cpKOI8R, cpISO88595, cpMacintosh};
    int best = cpWin1251;
    std::uint64_t bestScore = 0;
    for (const int source : kCandidates) {
        const std::uint64_t s = score(histogram, Conversions[FindConversion(source, cpWin1251)].Map);
        if (best == cpWin1251 || s > bestScore) {
            best = source;
            bestScore = s;
        }
    }
    if (score(histogram, nullptr) >= bestScore)
        return cpWin1251;
    return static_cast<TCodePageId>(best);
}

const std::vector<TSearchCodePage>& SearchCodePages() {
    static const std::vector<TSearchCodePage> list = [] {
        const auto name = [](int id) {
            return QString::fromLatin1(CodePageNames[id].data(), static_cast<qsizetype>(CodePageNames[id].size()));
        };
        std::vector<TSearchCodePage> items{{name(cpWin1251), kNoConversion}};
        for (int row = 0; row < ConversionCount; ++row)
            if (Conversions[row].Target == cpWin1251)
                items.push_back({name(Conversions[row].Source), row});
        return items;
    }();
    return list;
}

bool SearchCodePageRow(const QString& name, int& row) {
    for (const TSearchCodePage& item : SearchCodePages())
        if (item.Name.compare(name, Qt::CaseInsensitive) == 0) {
            row = item.Row;
            return true;
        }
    return false;
}
