// The file tree's stored block, as project files and structured file lists
// hold it.
//
// Input: any bytes, read as one block. Checked: a block that does not read
// raises bw::Error and leaves the tree as it was; the device is left after
// the block whenever its length could be read; a tree that reads is saved,
// read back and saved again to the same bytes.

#include "files/filetree.h"
#include "fuzz/fuzzsupport.h"
#include "platform/error.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>

using namespace bw::fuzz;

namespace {

QByteArray save(const TFileVTreeView& tree) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    tree.SaveToStream(buf);
    return buf.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    TFileVTreeView tree;
    tree.AddPath(QStringLiteral("/kept/file"), 0, QString(), 1);
    const QByteArray before = save(tree);

    QBuffer device;
    device.setData(input);
    device.open(QIODevice::ReadOnly);
    bool read = true;
    try {
        tree.LoadFromStream(device);
    } catch (const bw::Error&) {
        read = false;
    }
    if (size >= 4) {
        const qint32 length = qFromLittleEndian<qint32>(input.constData());
        const qint64 end = length < 0 ? 4 : std::min<qint64>(4 + qint64(length), qint64(size));
        BW_FUZZ_CHECK(device.pos() == end, "the device is not left after the block");
    }
    if (!read) {
        BW_FUZZ_CHECK(save(tree) == before, "a block that does not read changed the tree");
        return 0;
    }

    const QByteArray first = save(tree);
    QBuffer again;
    again.setData(first);
    again.open(QIODevice::ReadOnly);
    TFileVTreeView back;
    try {
        back.LoadFromStream(again);
    } catch (const bw::Error&) {
        BW_FUZZ_CHECK(false, "a saved tree does not read back");
    }
    BW_FUZZ_CHECK(save(back) == first, "a tree read back saves differently");
    return 0;
}
