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

#include <cstring>

using namespace bw::fuzz;

namespace {

// The same bytes as a stream whose size is not known in advance.
class Sequential : public QIODevice {
public:
    explicit Sequential(QByteArray data) : data_(std::move(data)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return data_.size() - at_ + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = qMin(max, data_.size() - at_);
        std::memcpy(out, data_.constData() + at_, std::size_t(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 at_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    std::vector<std::string> strings;
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
        strings.push_back(std::move(text));
        if (in.atEnd())
            break;
    }
    BW_FUZZ_CHECK(out.data() == input.left(out.data().size()), "strings read do not write back as they were");

    // A stream of unknown size gives the same strings and fails at the same place.
    Sequential sequential(QByteArray(input.constData(), input.size()));
    std::size_t read = 0;
    for (;;) {
        std::string text;
        try {
            ReadStreamString(sequential, text);
        } catch (const bw::StreamReadError&) {
            break;
        }
        BW_FUZZ_CHECK(read < strings.size() && text == strings[read], "a sequential stream reads otherwise");
        ++read;
        if (sequential.atEnd())
            break;
    }
    BW_FUZZ_CHECK(read == strings.size(), "a sequential stream reads fewer strings");

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
