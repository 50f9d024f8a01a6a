#include "files/filetree.h"
#include "platform/error.h"
#include "tests/files/filestest.h"
#include "tests/support/sequentialdevice.h"
#include "tests/support/testutil.h"

#include <QBuffer>
#include <QtEndian>
#include <random>

using namespace bw;
using bw::test::dumpTree;
using bw::test::errorOf;

namespace {

QByteArray save(const TFileVTreeView& tree) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    tree.SaveToStream(buf);
    return buf.data();
}

// Loads bytes into the tree; the error text, empty on success. pos receives
// where the device was left.
QString load(TFileVTreeView& tree, const QByteArray& bytes, qint64* pos = nullptr) {
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    QString error;
    try {
        tree.LoadFromStream(buf);
    } catch (const Error& e) {
        error = e.message();
    }
    if (pos)
        *pos = buf.pos();
    return error;
}

QByteArray i32(qint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray utf16(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// A node record built by hand: base body fields as given, then the caption and data chunks.
QByteArray record(const QString& data, const QList<QByteArray>& children = {}, qint32 childCount = -1,
                  bool withData = true) {
    QByteArray kids;
    for (const QByteArray& c : children)
        kids += c;
    QByteArray body = i32(childCount < 0 ? qint32(children.size()) : childCount) + i32(18) +
                      QByteArray::fromHex("8100320000") + i32(0);
    QByteArray inner = i32(2) + i32(qint32(body.size() + kids.size())) + body + kids;
    if (withData)
        inner += i32(4) + i32(qint32(data.size() * 2)) + utf16(data);
    return i32(1) + i32(qint32(inner.size())) + inner;
}

QByteArray block(const QByteArray& nodes, qint32 topCount, const QByteArray& magic =
                 QByteArray::fromHex("452056005400020020004620")) {
    const QByteArray stream = magic + i32(topCount) + nodes;
    return i32(qint32(stream.size())) + stream;
}

} // namespace

TEST(FileTreeStream, WritesTheBlockByteForByte) {
    TFileVTreeView tree;
    EXPECT_EQ(save(tree).toHex(), "10000000" "452056005400020020004620" "00000000");

    tree.AddPath("/x", 0, QString(), 1);
    tree.SetExpanded(tree.Top(0), true);
    EXPECT_EQ(save(tree).toHex(),
              "94000000452056005400020020004620010000000100000"
              "07c00000002000000520000000100000012000000e1003200000000000001000000390000000200000011000000"
              "000000001200000081003200000000000003000000020000007800040000000e000000780009003000090031000900"
              "090003000000020000002f0004000000100000002f000900310009002d00310009000900");
}

TEST(FileTreeStream, RoundTripsNamesSettingsMarksAndExpansion) {
    TFileVTreeView tree;
    tree.FileFilter.SetIMasks({"*.htm", "it's \"quoted\""});
    tree.FileFilter.IUseMasks = true;
    tree.AddFolder("/web/сайт");
    tree.AddPath("/web/it's \"q\".txt", 0, QString(), 2);
    tree.AddPath("/other/f", 0, QString(), 1);
    tree.SetExpanded(tree.FindChild(tree.Top(0), "web"), true);
    const QByteArray bytes = save(tree);

    TFileVTreeView back;
    qint64 pos = 0;
    EXPECT_EQ(load(back, bytes + "trailing", &pos).toStdString(), "");
    EXPECT_EQ(pos, bytes.size());
    EXPECT_EQ(dumpTree(back), QStringList({"/", "  web>", "    сайт+*", "    it's \"q\".txt-", "  other", "    f+"}));
    EXPECT_EQ(back.FindChild(back.FindChild(back.Top(0), "web"), "сайт")->Data.Settings, tree.FileFilter.Text());
    EXPECT_EQ(save(back), bytes);

    // Marks other than include and exclude read as none; a data text without settings field reads.
    EXPECT_EQ(load(back, block(record("/\t1\t-1\t\t", {record("a\t0\t7\t\t"), record("b\t1\t2")}), 1)),
              QString());
    EXPECT_EQ(back.Top(0)->Child(0)->Data.StateIndex, -1);
    EXPECT_EQ(back.Top(0)->Child(1)->Data.StateIndex, 2);
    EXPECT_TRUE(back.IsFolder(back.Top(0)->Child(1)));
    EXPECT_TRUE(back.Top(0)->Child(1)->Data.Settings.isEmpty());
}

class FileTreeStreamDisk : public test::TempDirTest {};

TEST_F(FileTreeStreamDisk, FullViewWritesTheBriefContentAndStaysAsItIs) {
    writeFile("d/a.txt", "x");
    writeFile("d/b.txt", "x");
    TFileVTreeView tree;
    tree.AddFolder(path("d"));
    const QByteArray brief = save(tree);
    tree.SetViewMode(ftvmFull);
    TFileNode* a = tree.FindChild(tree.FindChild(nullptr, "/"), "tmp"); // the chain down to "d"
    ASSERT_NE(a, nullptr);
    const QStringList full = dumpTree(tree);
    EXPECT_EQ(save(tree), brief);
    EXPECT_EQ(dumpTree(tree), full);

    // Loading in Full view scans the loaded folders.
    TFileVTreeView other;
    other.SetViewMode(ftvmFull);
    EXPECT_EQ(load(other, brief), QString());
    EXPECT_EQ(dumpTree(other), full);
}

TEST(FileTreeStream, BadBlocksFailAndLeaveTheTree) {
    const QByteArray good = record("/\t1\t-1\t\t", {record("a\t0\t1\t\t")});
    const QString notEnough = "Unable to load tree structure, not enough data available.";
    const QString wrong = "Unable to load tree structure, the format is wrong.";
    const QString unexpected = "Stream data corrupt. Unexpected data after node's end position.";
    QByteArray deep = record("z\t0\t1\t\t");
    for (int i = 0; i < 2100; ++i)
        deep = record("d\t1\t-1\t\t", {deep});
    struct Case {
        const char* what;
        QByteArray bytes;
        QString message;
    } cases[] = {
        {"good", block(good, 1), QString()},
        {"no length", QByteArray("\x01\x00", 2), notEnough},
        {"length past the end", i32(1000) + block(good, 1).mid(4), notEnough},
        {"short magic", i32(6) + QByteArray(6, 'x'), notEnough},
        {"wrong magic", block(good, 1, QByteArray::fromHex("452056005500020020004620")), wrong},
        {"version 3", block(good, 1, QByteArray::fromHex("452056005400030020004620")),
         "Unable to load tree structure, the version is unknown."},
        {"no top count", i32(12) + QByteArray::fromHex("452056005400020020004620"), notEnough},
        {"no anchor", block(i32(7) + good.mid(4), 1), "Stream data corrupt. A node's anchor chunk is missing."},
        {"node size past the end", block(i32(1) + i32(good.size()) + good.mid(8), 1), unexpected},
        {"child count too big", block(record("/\t1\t-1\t\t", {record("a\t0\t1\t\t")}, 1000), 1), notEnough},
        {"a child that is no node", block(record("/\t1\t-1\t\t", {record("a\t0\t1\t\t"), QByteArray(60, 7)}), 1),
         "Stream data corrupt. A node's anchor chunk is missing."},
        {"no data chunk", block(record("", {}, -1, false), 1), "Stream data corrupt. A node's data chunk is missing."},
        {"two fields", block(record("a\t0\t\t\t"), 1), wrong},
        {"image not a number", block(record("a\tx\t1\t\t"), 1), "'x' is not a valid integer value"},
        {"name ..", block(record("/\t1\t-1\t\t", {record("..\t0\t1\t\t")}), 1), wrong},
        {"name with /", block(record("/\t1\t-1\t\t", {record("a/b\t0\t1\t\t")}), 1), wrong},
        {"control character", block(record("a\rb\t0\t1\t\t"), 1), wrong},
        {"repeated sibling", block(record("/\t1\t-1\t\t", {record("a\t0\t1\t\t"), record("a\t0\t2\t\t")}), 1), wrong},
        {"too deep", block(record("/\t1\t-1\t\t", {deep}), 1), wrong},
        {"extra bytes in a node", block(i32(1) + i32(good.size() - 8 + 3) + good.mid(8) + "abc", 1), unexpected},
        {"top count larger than the nodes", block(good, 5), QString()},
    };
    for (const Case& c : cases) {
        TFileVTreeView tree;
        tree.AddPath("/keep/me", 0, QString(), 1);
        const QStringList before = dumpTree(tree);
        qint64 pos = 0;
        EXPECT_EQ(load(tree, c.bytes + "after", &pos), c.message) << c.what;
        if (c.message.isEmpty()) {
            EXPECT_NE(dumpTree(tree), before) << c.what; // replaced
        } else {
            EXPECT_EQ(dumpTree(tree), before) << c.what;
        }
        if (c.bytes.size() >= 4) {
            const qint32 length = qFromLittleEndian<qint32>(c.bytes.constData());
            const qint64 end = length < 0 ? 4 : std::min<qint64>(4 + qint64(length), c.bytes.size() + 5);
            EXPECT_EQ(pos, end) << c.what;
        }
    }
}

TEST(FileTreeStream, ReadsFromDevicesOfUnknownSize) {
    TFileVTreeView tree;
    tree.AddPath("/a/b", 0, QString(), 1);
    const QByteArray bytes = save(tree);
    TFileVTreeView back;
    test::SequentialDevice whole(bytes + "next", 7);
    back.LoadFromStream(whole);
    EXPECT_EQ(dumpTree(back), dumpTree(tree));
    EXPECT_EQ(whole.readAll(), "next");

    QByteArray overstated = bytes;
    qToLittleEndian<qint32>(0x7FFFFFF0, overstated.data());
    test::SequentialDevice shortOne(overstated, 7);
    EXPECT_EQ(errorOf([&] { back.LoadFromStream(shortOne); }),
              "Unable to load tree structure, not enough data available.");
    EXPECT_EQ(dumpTree(back), dumpTree(tree));
}

TEST(FileTreeStream, DamagedBlocksNeverCrash) {
    TFileVTreeView tree;
    tree.FileFilter.Recursive = true;
    tree.AddFolder("/a/b");
    tree.AddPath("/a/b/c.txt", 0, QString(), 2);
    tree.AddPath("/a/d", 0, QString(), 1);
    const QByteArray bytes = save(tree);
    // Every truncation, with the length left as it was and with it fitted.
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        TFileVTreeView t;
        EXPECT_FALSE(load(t, bytes.left(n)).isEmpty()) << n;
        QByteArray fitted = bytes.left(n);
        if (n >= 4) {
            qToLittleEndian<qint32>(qint32(n - 4), fitted.data());
            load(t, fitted);
        }
    }
    std::mt19937 rng(5);
    for (int i = 0; i < 3000; ++i) {
        QByteArray b = bytes;
        for (int k = 0; k < 3; ++k)
            b[rng() % b.size()] = char(rng());
        TFileVTreeView t;
        load(t, b);
    }
}

// Paths in the tree are absolute: every top-level node is the root "/", so a
// block whose top node is anything else (a relative path) is refused whole.
TEST(FileTreeStream, BlocksWhoseTopNodeIsNotTheRootAreRefused) {
    const QString wrong = "Unable to load tree structure, the format is wrong.";
    const QByteArray root = record("/\t1\t-1\t\t", {record("a\t0\t1\t\t")});
    struct Case {
        const char* what;
        QByteArray bytes;
        QString message;
    } cases[] = {
        {"root", block(root, 1), QString()},
        {"relative folder", block(record("rel\t1\t-1\t\t", {record("a\t0\t1\t\t")}), 1), wrong},
        {"relative added folder", block(record("rel\t1\t1\tRecursive=-1\t"), 1), wrong},
        {"relative file", block(record("x.txt\t0\t1\t\t"), 1), wrong},
        {"root, then a relative one", block(root + record("rel\t1\t-1\t\t", {record("b\t0\t1\t\t")}), 2), wrong},
        {"root that is a file", block(record("/\t0\t1\t\t"), 1), wrong},
    };
    for (const Case& c : cases) {
        TFileVTreeView tree;
        tree.AddPath("/keep/me", 0, QString(), 1);
        const QStringList before = dumpTree(tree);
        EXPECT_EQ(load(tree, c.bytes), c.message) << c.what;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(dumpTree(tree), before) << c.what;
        }
        QStringList files;
        tree.GetFileList(files);
        for (const QString& f : files)
            EXPECT_TRUE(f.startsWith('/')) << c.what << ": " << f.toStdString();
    }
}

// A folder whose filter was given a mask holding a TAB: its settings text goes
// through the stored block and back whole, and the folder still scans.
TEST_F(FileTreeStreamDisk, FolderSettingsAlwaysComeBackFromTheBlock) {
    writeFile("d/a.htm", "x");
    writeFile("d/b.txt", "x");
    TFileVTreeView tree;
    tree.FileFilter.SetIMasks({"*.htm", "a\tb.htm", "c\x01"});
    tree.FileFilter.IUseMasks = true;
    tree.AddFolder(path("d"));
    const QString settings = tree.FileFilter.Text();
    TFileVTreeView back;
    EXPECT_EQ(load(back, save(tree)), QString());
    EXPECT_EQ(dumpTree(back), dumpTree(tree));
    TFileNode* d = back.Top(0);
    for (const QString& part : path("d").split('/', Qt::SkipEmptyParts))
        d = d ? back.FindChild(d, part) : nullptr;
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Data.Settings, settings);
    QStringList files;
    EXPECT_EQ(errorOf([&] { back.GetFileList(files); }), QString());
    EXPECT_EQ(files, QStringList({path("d/a.htm")}));
}
