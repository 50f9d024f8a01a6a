#include "app/conversionscheme.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "engine/codepages.h"
#include "platform/error.h"
#include "tests/support/testutil.h"

namespace {

TextSource SchemeTexts() {
    return [](const QString& key) { return key == "szConvertedFile" ? QString("converted %s: %s") : QString(); };
}

QByteArray Block(const TConversionScheme& scheme) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    scheme.SaveScheme(buffer);
    return buffer.data();
}

void Load(TConversionScheme& scheme, const QByteArray& block) {
    QByteArray data = block;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    scheme.LoadScheme(buffer);
}

QByteArray Prefixed(const QByteArray& text) {
    const quint32 n = quint32(text.size());
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char((n >> (8 * i)) & 0xFF));
    return out + text;
}

} // namespace

TEST(TConversionScheme, RemoveKeepsASensibleSelection) {
    TConversionScheme s;
    for (int row : {3, 10, 20})
        ASSERT_TRUE(s.AddStep(row));
    EXPECT_EQ(s.Selected(), 2);
    s.RemoveSelected(); // last of three: the new last is selected
    EXPECT_EQ(s.Steps(), (QVector<int>{3, 10}));
    EXPECT_EQ(s.Selected(), 1);

    s.AddStep(20);
    s.SetSelected(1);
    s.RemoveSelected(); // middle: the selection stays at its position
    EXPECT_EQ(s.Steps(), (QVector<int>{3, 20}));
    EXPECT_EQ(s.Selected(), 1);

    s.SetSelected(-1);
    s.RemoveSelected(); // nothing selected: nothing goes
    EXPECT_FALSE(s.AddStep(49));
    EXPECT_FALSE(s.AddStep(-1));
    EXPECT_EQ(s.Count(), 2);
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Selected(), -1);
}

TEST(TConversionScheme, ProjectBlockRoundTripsAndAppends) {
    TConversionScheme s;
    EXPECT_EQ(Block(s), QByteArray(4, '\0'));
    Load(s, QByteArray(4, '\0'));
    EXPECT_TRUE(s.IsEmpty());

    s.AddStep(3);
    s.AddStep(10);
    const QByteArray block = Block(s);
    EXPECT_EQ(block, Prefixed("3,10"));
    Load(s, block); // loading appends to the steps already there
    EXPECT_EQ(s.Steps(), (QVector<int>{3, 10, 3, 10}));
    EXPECT_EQ(s.Selected(), 3);

    TConversionScheme t;
    Load(t, Prefixed(" 5 \"7\",99,1")); // blanks separate, quotes group, rows outside the table are skipped
    EXPECT_EQ(t.Steps(), (QVector<int>{5, 7, 1}));

    TConversionScheme u;
    EXPECT_THROW(Load(u, Prefixed("4,x,6")), bw::Error);
    EXPECT_EQ(u.Steps(), (QVector<int>{4})); // the steps before the bad item stay

    TConversionScheme v;
    EXPECT_THROW(Load(v, QByteArray("\x09\0\0\0" "12", 6)), bw::Error); // cut short
    EXPECT_TRUE(v.IsEmpty());
}

class ConvertFileTest : public bw::test::TempDirTest {
protected:
    bool Convert(int from, int to, const QString& file) {
        TConversionScheme s;
        s.AddStep(FindConversion(from, to));
        return s.ConvertFile(file, report, SchemeTexts());
    }
    TReport report;
};

TEST_F(ConvertFileTest, ConvertsSavesAndReportsOnlyAfterTheSave) {
    const QString path = writeFile("a.txt", "\xC0\xE0 ok");
    EXPECT_TRUE(Convert(cpWin1251, cpKOI8R, path));
    EXPECT_EQ(readFile(path), "\xE1\xC1 ok");
    EXPECT_EQ(report.Lines(), QStringList{"converted " + path + ": Win-1251 -> KOI8-R"});
    EXPECT_FALSE(Convert(cpWin1251, cpKOI8R, path + ".none")); // a missing file: nothing converted, nothing said
    EXPECT_EQ(report.Count(), 1);
}

// Bytes that come out as they went in (ASCII between Cyrillic code pages, a
// UTF-8 file detected and converted to UTF-8, an empty scheme) are reported
// as converted but not written: the file keeps its modification time.
TEST_F(ConvertFileTest, UnchangedBytesAreReportedButNotWritten) {
    const QString ascii = writeFile("ascii.txt", "plain text\r\n");
    const QString utf8 = writeFile("utf8.txt", "\xD0\x90\xD0\xB1 ok");
    const QString cyr = writeFile("cyr.txt", "\xC0\xE0 ok");
    const QDateTime past = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& p : {ascii, utf8, cyr}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const auto untouched = [&](const QString& p) { return QFileInfo(p).lastModified() < past.addSecs(1); };
    EXPECT_TRUE(Convert(cpWin1251, cpKOI8R, ascii));
    EXPECT_TRUE(Convert(cpAutomatic, cpUTF8, utf8));
    TConversionScheme none;
    EXPECT_TRUE(none.ConvertFile(cyr, report, SchemeTexts()));
    EXPECT_TRUE(untouched(ascii));
    EXPECT_TRUE(untouched(utf8));
    EXPECT_TRUE(untouched(cyr));
    EXPECT_EQ(readFile(utf8), "\xD0\x90\xD0\xB1 ok");
    ASSERT_EQ(report.Count(), 3);
    EXPECT_EQ(report[0], "converted " + ascii + ": Win-1251 -> KOI8-R");
    // A change of even one byte is written.
    EXPECT_TRUE(Convert(cpWin1251, cpKOI8R, cyr));
    EXPECT_FALSE(untouched(cyr));
}

TEST_F(ConvertFileTest, LossyConversionLeavesTheFileAndSaysSo) {
    const std::string chinese = "\xE4\xB8\xAD ok"; // a character Windows-1251 lacks
    const QString path = writeFile("u.txt", chinese);
    EXPECT_FALSE(Convert(cpUTF8, cpWin1251, path));
    EXPECT_EQ(readFile(path), chinese);
    ASSERT_EQ(report.Count(), 1);
    EXPECT_TRUE(report[0].contains("not converted")) << report[0].toStdString();
}

TEST_F(ConvertFileTest, SaveGivenUpGivesAFailureLineNotAConvertedLine) {
    const QString file = "/proc/version"; // reads, but cannot be written, even by root
    if (!QFile::exists(file))
        GTEST_SKIP() << "needs a read-only file system";
    prompt.push(bw::Answer::No); // do not try the save again
    EXPECT_FALSE(Convert(cpWin1251, cpUCS2, file)); // every byte changes
    ASSERT_EQ(report.Count(), 1);
    EXPECT_TRUE(report[0].contains("could not be saved")) << report[0].toStdString();
    EXPECT_EQ(prompt.asked().size(), 1u);
}
