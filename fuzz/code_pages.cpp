// Code-page detection and every row of the conversion table.
//
// Input: a byte choosing the detection sample (0: the whole text, else that
// many leading bytes), then the text. Checked: detection names one of the
// real pages; every row converts, through the general entry and through its
// own converter; where a row has a way back and nothing was flagged lossy,
// the way back gives the original bytes.

#include "engine/codepages.h"
#include "fuzz/fuzzsupport.h"

using namespace bw::fuzz;

namespace {

void roundTrip(const std::string& text, int row, int sample, bool ownConverter) {
    TConversionContext ctx;
    ctx.DetectSampleSize = sample;
    const std::string out = ownConverter ? Conversions[std::size_t(row)].Converter(text, row, ctx)
                                         : ConvertText(text, row, ctx);
    if (ctx.ReverseConversion < 0 || ctx.RoundTripLoses())
        return;
    const std::string back = ConvertBack(out, ctx);
    if (back != text) {
        std::fprintf(stderr, "row %d (%s), %s: way back differs, log %s\n", row,
                     qPrintable(ConversionCaption(Conversions[std::size_t(row)].Source,
                                                  Conversions[std::size_t(row)].Target)),
                     ownConverter ? "own converter" : "general entry", qPrintable(ctx.LogText()));
        BW_FUZZ_CHECK(back == text, "a conversion not flagged lossy does not come back to its bytes");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int sample = data[0];
    const std::string text(bytes(data + 1, size - 1));

    const TCodePageId found = DetectCodePage(text, sample);
    BW_FUZZ_CHECK(found >= cpWin1251 && found <= cpUTF8, "detection named no real page");
    BW_FUZZ_CHECK(DetectCodePage(text, 0) == DetectCodePage(text, int(text.size())),
                  "a sample of the whole text detects otherwise than the whole text");

    for (int row = 0; row < ConversionCount; ++row) {
        roundTrip(text, row, sample, false);
        if (Conversions[std::size_t(row)].Converter)
            roundTrip(text, row, sample, true);
    }
    return 0;
}
