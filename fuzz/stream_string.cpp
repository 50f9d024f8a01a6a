// Length-prefixed strings read from a byte stream, and the conversion scheme
// block of a project, which is one of them.
//
// Input: any bytes, read as a stream. Checked: reading raises
// bw::StreamReadError or gives strings that, written again, are exactly the
// bytes read; a damaged read leaves its string as it was; a scheme loads or
// raises bw::Error, and what it loaded saves and loads back the same.

#include "app/conversionscheme.h"
#include "fuzz/fuzzsupport.h"
#include "services/fileroutines.h"

#include <QBuffer>

using namespace bw::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    for (;;) {
        const qint64 at = in.pos();
        std::string text = "untouched";
        try {
            ReadStreamString(in, text);
        } catch (const bw::StreamReadError&) {
            BW_FUZZ_CHECK(text == "untouched", "a damaged read changed its string");
            break;
        }
        BW_FUZZ_CHECK(in.pos() == at + 4 + qint64(text.size()), "a read consumed other than its count and text");
        WriteStreamString(text, out);
        if (in.atEnd())
            break;
    }
    BW_FUZZ_CHECK(out.data() == input.left(out.data().size()), "strings read do not write back as they were");

    TConversionScheme scheme;
    QBuffer schemeIn;
    schemeIn.setData(input);
    schemeIn.open(QIODevice::ReadOnly);
    try {
        scheme.LoadScheme(schemeIn);
    } catch (const bw::Error&) {
    }
    QBuffer saved;
    saved.open(QIODevice::ReadWrite);
    scheme.SaveScheme(saved);
    saved.seek(0);
    TConversionScheme again;
    again.LoadScheme(saved);
    BW_FUZZ_CHECK(again.Steps() == scheme.Steps(), "a conversion scheme does not load back as saved");
    return 0;
}
