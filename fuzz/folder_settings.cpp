// The folder settings text of an added folder, and the file-name masks in it.
//
// Input: bytes read as UTF-8 text. Checked: a text that does not read raises
// bw::Error; one that reads writes a text that reads back into a fresh
// filter and is written again unchanged; the input as one mask compiles or
// raises bw::Error naming the position after its end, and matching with it
// or with the filter never fails.

#include "files/filefilter.h"
#include "fuzz/fuzzsupport.h"
#include "platform/error.h"

using namespace bw::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const bw::FileEntry entries[] = {
        {text, 10, bw::faArchive, QDateTime::fromMSecsSinceEpoch(1'700'000'000'000LL, Qt::UTC)},
        {QStringLiteral("index.HTM"), 5'000'000'000LL, bw::faArchive | bw::faReadOnly, QDateTime()},
        {QString::fromUtf8("Отчёт 2024.txt"), 0, bw::faHidden, QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)},
    };

    try {
        const TFileMask mask(text);
        std::u32string folded;
        for (const bw::FileEntry& e : entries) {
            TFileMask::foldName(e.name, folded);
            mask.matches(folded);
        }
    } catch (const bw::Error& e) {
        BW_FUZZ_CHECK(e.message().endsWith(QStringLiteral("at (%1)").arg(text.size() + 1)),
                      "a mask error names another position");
    }

    TFileFilter filter;
    try {
        filter.SetText(text);
    } catch (const bw::Error&) {
        return 0;
    }
    for (const bw::FileEntry& e : entries)
        filter.Matches(e);
    const QString written = filter.Text();
    TFileFilter back;
    try {
        back.SetText(written);
    } catch (const bw::Error&) {
        BW_FUZZ_CHECK(false, "a written settings text does not read back");
    }
    BW_FUZZ_CHECK(back.Text() == written, "a settings text read back is written differently");
    BW_FUZZ_CHECK(back.IMasks() == filter.IMasks() && back.EMasks() == filter.EMasks(), "masks changed");
    return 0;
}
