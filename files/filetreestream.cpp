// The file tree's stored block: a 32-bit length, then the node stream. Every
// integer is little-endian. A node record is a node chunk (type 1) holding a
// base chunk (type 2: child count, height, state bits, alignment, check
// fields, then the children's records), a caption chunk (type 3) and a data
// chunk (type 4: name, image, mark and settings, each followed by a TAB).

#include "files/filetree.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/textvalues.h"
#include "services/langmanager.h"

#include <QIODevice>
#include <QSet>
#include <QtEndian>

#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace {

constexpr char16_t kMagic[6] = {0x2045, 'V', 'T', 2, ' ', 0x2046};
constexpr quint32 kNodeHeight = 18;
constexpr quint8 kAlign = 50;
constexpr quint16 kInitialised = 0x01, kExpanded = 0x20, kHasChildren = 0x40, kAlways = 0x80;
constexpr int kBaseBody = 17;
// The fewest bytes a node record can take: node and base chunks, and a data
// chunk of three one-character fields.
constexpr qsizetype kMinNodeBytes = 8 + 8 + kBaseBody + 8 + 10;
constexpr std::size_t kMaxDepth = 2048;

// A block that does not read: the message of key in the language in use.
[[noreturn]] void fail(const char* key, const char* english) { throw bw::Error(LangMessage(key, english)); }
[[noreturn]] void notEnoughData() {
    fail("szTreeShort", "Unable to load tree structure, not enough data available.");
}
[[noreturn]] void wrongFormat() { fail("szTreeBadFormat", "Unable to load tree structure, the format is wrong."); }
[[noreturn]] void unexpectedData() {
    fail("szTreeDataAfterNode", "Stream data corrupt. Unexpected data after node's end position.");
}

class Writer {
public:
    QByteArray bytes;

    template <class T>
    void put(T value) {
        char b[sizeof(T)];
        qToLittleEndian(value, b);
        bytes.append(b, sizeof(T));
    }
    void putText(QStringView text) {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
#else
        for (QChar c : text)
            put<quint16>(c.unicode());
#endif
    }
    void putNumber(std::int32_t n) {
        char digits[16];
        const int len = std::snprintf(digits, sizeof digits, "%d", int(n));
        for (int i = 0; i < len; ++i)
            put<quint16>(quint16(digits[i]));
    }
    // Writes the size of the chunk that starts at start, up to the end.
    void patch(qsizetype start) {
        qToLittleEndian<qint32>(qint32(bytes.size() - start - 8), bytes.data() + start + 4);
    }
    void captionChunk(const QString& text) {
        put<qint32>(3);
        put<qint32>(qint32(text.size() * 2));
        putText(text);
    }
    // Name, image, mark and settings, each followed by a TAB.
    void dataChunk(const TFileNodeData& d) {
        const qsizetype start = bytes.size();
        put<qint32>(4);
        put<qint32>(0);
        const quint16 tab = '\t';
        putText(d.Name);
        put<quint16>(tab);
        putNumber(d.ImageIndex);
        put<quint16>(tab);
        putNumber(d.StateIndex);
        put<quint16>(tab);
        putText(d.Settings);
        put<quint16>(tab);
        patch(start);
    }
};

class Reader {
public:
    Reader(const QByteArray& bytes) : p_(bytes.constData()), size_(bytes.size()) {}

    qsizetype pos() const { return pos_; }
    qsizetype size() const { return size_; }
    qsizetype left() const { return size_ - pos_; }
    void skipTo(qsizetype pos) { pos_ = pos; }

    template <class T>
    T get() {
        const T v = qFromLittleEndian<T>(p_ + pos_);
        pos_ += qsizetype(sizeof(T));
        return v;
    }
    QString text(qsizetype bytes) {
        QString s(bytes / 2, Qt::Uninitialized);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        std::memcpy(s.data(), p_ + pos_, std::size_t(s.size()) * 2);
#else
        for (qsizetype i = 0; i < s.size(); ++i)
            s[i] = QChar(qFromLittleEndian<quint16>(p_ + pos_ + 2 * i));
#endif
        pos_ += bytes;
        return s;
    }

private:
    const char* p_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

std::int32_t integerField(QStringView field) {
    // The common short decimal first; anything else the general way.
    if (field.size() > 0 && field.size() <= 4) {
        qsizetype i = field[0] == u'-' ? 1 : 0;
        std::int32_t v = 0;
        bool digits = i < field.size();
        for (; i < field.size() && digits; ++i) {
            digits = field[i] >= u'0' && field[i] <= u'9';
            v = v * 10 + (field[i].unicode() - '0');
        }
        if (digits)
            return field[0] == u'-' ? -v : v;
    }
    if (auto n = bw::parseInt32(field.toString()))
        return *n;
    throw bw::Error(bw::format(LangMessage("szNotInteger", "'%s' is not a valid integer value"), {field.toString()}));
}

// Up to four TAB-separated fields, empty ones dropped; how many there were.
int splitFields(QStringView text, QStringView (&fields)[4]) {
    int count = 0;
    for (qsizetype i = 0; i < text.size() && count < 4;) {
        const qsizetype tab = text.indexOf(u'\t', i);
        const qsizetype end = tab < 0 ? text.size() : tab;
        if (end > i)
            fields[count++] = text.sliced(i, end - i);
        i = end + 1;
    }
    return count;
}

} // namespace

void TFileVTreeView::SaveToStream(QIODevice& device) const {
    // In Full view only what Brief view would hold is written: marked nodes
    // and the folders leading to them.
    std::unordered_set<const TFileNode*> kept;
    const bool all = viewMode_ == ftvmBrief;
    if (!all) {
        std::vector<std::pair<const TFileNode*, std::size_t>> stack{{&root_, 0}};
        while (!stack.empty()) {
            auto& [n, next] = stack.back();
            if (next < n->children_.size()) {
                const TFileNode* c = n->children_[next++].get();
                stack.emplace_back(c, 0);
                continue;
            }
            const TFileNode* done = n;
            stack.pop_back();
            if (done == &root_)
                break;
            bool keep = done->Data.StateIndex != -1;
            for (const auto& c : done->children_)
                keep = keep || kept.count(c.get());
            if (keep)
                kept.insert(done);
        }
    }
    auto written = [&](const TFileNode* n) { return all || kept.count(n) > 0; };
    auto writtenChildren = [&](const TFileNode* n) {
        quint32 count = 0;
        for (const auto& c : n->children_)
            count += written(c.get());
        return count;
    };

    Writer w;
    w.bytes.reserve(qsizetype(128 * (all ? NodeCount() : kept.size()) + 64));
    w.put<qint32>(0); // the length, patched at the end
    for (char16_t u : kMagic)
        w.put<quint16>(u);
    w.put<qint32>(qint32(writtenChildren(&root_)));

    struct Frame {
        const TFileNode* node;
        qsizetype nodeStart;
        qsizetype baseStart;
        std::size_t next;
    };
    std::vector<Frame> stack;
    auto open = [&](const TFileNode* n) {
        const qsizetype nodeStart = w.bytes.size();
        w.put<qint32>(1);
        w.put<qint32>(0);
        const qsizetype baseStart = w.bytes.size();
        const quint32 children = writtenChildren(n);
        w.put<qint32>(2);
        w.put<qint32>(0);
        w.put<quint32>(children);
        w.put<quint32>(kNodeHeight);
        w.put<quint16>(quint16(kInitialised | kAlways | (n->expanded_ ? kExpanded : 0) |
                               (children ? kHasChildren : 0)));
        w.put<quint8>(kAlign);
        w.put<quint8>(0); // check state
        w.put<quint8>(0); // check type
        w.put<quint32>(0);
        stack.push_back({n, nodeStart, baseStart, 0});
    };
    std::size_t topNext = 0;
    for (;;) {
        if (stack.empty()) {
            while (topNext < root_.children_.size() && !written(root_.children_[topNext].get()))
                ++topNext;
            if (topNext == root_.children_.size())
                break;
            open(root_.children_[topNext++].get());
            continue;
        }
        Frame& f = stack.back();
        const auto& kids = f.node->children_;
        while (f.next < kids.size() && !written(kids[f.next].get()))
            ++f.next;
        if (f.next < kids.size()) {
            open(kids[f.next++].get());
            continue;
        }
        w.patch(f.baseStart);
        if (!f.node->Data.Name.isEmpty())
            w.captionChunk(f.node->Data.Name);
        w.dataChunk(f.node->Data);
        w.patch(f.nodeStart);
        stack.pop_back();
    }
    qToLittleEndian<qint32>(qint32(w.bytes.size() - 4), w.bytes.data());
    if (device.write(w.bytes) != w.bytes.size())
        throw bw::Error(bw::format(LangMessage("szTreeNotWritten", "The file tree could not be written: %s"),
                                   {device.errorString()}));
}

void TFileVTreeView::LoadFromStream(QIODevice& device) {
    char lengthBytes[4];
    if (device.read(lengthBytes, 4) != 4)
        notEnoughData();
    const qint32 length = qFromLittleEndian<qint32>(lengthBytes);
    if (length < 0)
        notEnoughData();
    QByteArray bytes;
    if (!device.isSequential()) {
        if (length > device.size() - device.pos()) {
            device.seek(device.size());
            notEnoughData();
        }
        bytes = device.read(length);
    } else {
        // Read in pieces: the length is not trusted for an allocation.
        while (bytes.size() < length) {
            const QByteArray piece = device.read(std::min<qint64>(length - bytes.size(), 1 << 20));
            if (piece.isEmpty())
                break;
            bytes += piece;
        }
    }
    if (bytes.size() != length)
        notEnoughData();

    Reader r(bytes);
    if (r.left() < 12)
        notEnoughData();
    char16_t magic[6];
    for (char16_t& u : magic)
        u = r.get<quint16>();
    if (magic[0] != kMagic[0] || magic[1] != kMagic[1] || magic[2] != kMagic[2] || magic[5] != kMagic[5])
        wrongFormat();
    if (magic[3] != kMagic[3])
        fail("szTreeUnknownVersion", "Unable to load tree structure, the version is unknown.");
    if (r.left() < 4)
        notEnoughData();
    qint64 topLeft = r.get<qint32>();

    TFileVTreeView fresh;
    fresh.IncludeStateIndex = IncludeStateIndex;
    fresh.ExcludeStateIndex = ExcludeStateIndex;
    fresh.CFolderImageIndex = CFolderImageIndex;
    fresh.OFolderImageIndex = OFolderImageIndex;

    struct Frame {
        TFileNode* node;
        qsizetype end;
        qsizetype baseEnd;
        quint32 childrenLeft;
        bool inChildren;
        bool hasData;
        QSet<QString> childNames;
    };
    std::vector<Frame> stack;
    QSet<QString> topNames;
    auto open = [&](TFileNode* parent, qsizetype limit) {
        if (limit - r.pos() < 8 || r.get<qint32>() != 1)
            fail("szTreeNoAnchor", "Stream data corrupt. A node's anchor chunk is missing.");
        const qint32 size = r.get<qint32>();
        if (size < 0 || size > limit - r.pos())
            unexpectedData();
        if (stack.size() >= kMaxDepth)
            wrongFormat();
        stack.push_back({fresh.appendChild(parent, QString()), r.pos() + size, -1, 0, false, false, {}});
    };

    for (;;) {
        if (stack.empty()) {
            if (topLeft <= 0 || r.left() <= 0)
                break;
            --topLeft;
            open(nullptr, r.size());
            continue;
        }
        Frame& f = stack.back();
        if (f.childrenLeft > 0) {
            --f.childrenLeft;
            open(f.node, f.baseEnd);
            continue;
        }
        if (f.inChildren) {
            if (r.pos() != f.baseEnd)
                unexpectedData();
            f.inChildren = false;
        }
        if (r.pos() < f.end) {
            if (f.end - r.pos() < 8)
                unexpectedData();
            const qint32 type = r.get<qint32>();
            const qint32 size = r.get<qint32>();
            if (size < 0 || size > f.end - r.pos())
                unexpectedData();
            const qsizetype chunkEnd = r.pos() + size;
            if (type == 2) {
                if (size < kBaseBody)
                    notEnoughData();
                const quint32 children = r.get<quint32>();
                r.get<quint32>(); // height
                const quint16 states = r.get<quint16>();
                r.skipTo(r.pos() + 1 + 1 + 1 + 4); // align, check state, check type, reserved
                if (children > quint64(size - kBaseBody) / kMinNodeBytes)
                    notEnoughData();
                f.node->expanded_ = states & kExpanded;
                f.baseEnd = chunkEnd;
                f.childrenLeft = children;
                f.inChildren = true;
                continue; // the children follow the body
            }
            if (type == 4) {
                const QString text = r.text(size);
                QStringView fields[4];
                const int count = splitFields(text, fields);
                if (count < 3)
                    wrongFormat();
                TFileNodeData& d = f.node->Data;
                d.Name = fields[0].toString();
                d.ImageIndex = integerField(fields[1]);
                d.StateIndex = integerField(fields[2]);
                if (d.StateIndex != 1 && d.StateIndex != 2)
                    d.StateIndex = -1;
                d.Settings = count > 3 ? fields[3].toString() : QString();
                f.hasData = true;
            }
            r.skipTo(chunkEnd); // captions come from the data; other chunks are not ours
            continue;
        }
        // The node's end.
        if (!f.hasData)
            fail("szTreeNoData", "Stream data corrupt. A node's data chunk is missing.");
        const QString& name = f.node->Data.Name;
        const bool top = stack.size() == 1;
        // Paths are absolute: the only top-level node is the root folder "/".
        if (top ? (name != QLatin1String("/") || !fresh.IsFolder(f.node)) : !StorableName(name))
            wrongFormat();
        QSet<QString>& siblings = top ? topNames : stack[stack.size() - 2].childNames;
        if (siblings.contains(name))
            wrongFormat();
        siblings.insert(name);
        stack.pop_back();
    }

    takeNodesFrom(fresh);
    if (viewMode_ == ftvmFull)
        showFullBusy();
}
