#include "engine/textfiles.h"
#include "platform/error.h"
#include "tests/support/testutil.h"

#include <QDir>

using namespace bw;

namespace {

using Lines = std::vector<std::string>;

template <typename Step>
Lines take(int n, Step step) {
    Lines out;
    for (int i = 0; i < n; ++i)
        out.push_back(step());
    return out;
}

} // namespace

TEST(TagStringList, SplitsAtEveryKindOfLineEnd) {
    struct Case {
        std::string text;
        Lines expected;
    } cases[] = {
        {"", {}},
        {"A", {"A"}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\nB\n", {"A", "B"}},
        {"A\rB\r", {"A", "B"}},   // bare CR
        {"A\n\rB", {"A", "", "B"}}, // LF CR is two line ends
        {"\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"A\n\nB", {"A", "", "B"}},
        {std::string("A\nB\0C\nD", 7), {"A", "B"}}, // a zero byte ends the text
        {std::string("\0A", 2), {}},
        {"\xe0\xe1\xe2 \t", {"\xe0\xe1\xe2 \t"}},
    };
    for (const Case& c : cases) {
        TTagStringList l;
        l.Lines = {"stale"};
        l.SetText(c.text);
        EXPECT_EQ(l.Lines, c.expected) << c.text;
    }
}

class TextFilesTest : public test::TempDirTest {
protected:
    QString abc = writeFile("abc.txt", "A\r\nB\r\nC\r\n");
    TTextFiles files;
};

TEST_F(TextFilesTest, CursorMovesAndWraps) {
    struct Case {
        bool advance;
        int step;
        Lines expected;
    } cases[] = {
        {false, 1, {"A", "B", "C", "A"}},
        {false, 2, {"A", "C", "B", "A"}},
        {false, 0, {"A", "A", "A"}},
        {false, -1, {"A", "C", "B", "A"}},
        {false, 4, {"A", "B", "C"}},
        {false, -4, {"A", "C", "B"}},
        {false, 2147483647, {"A", "B", "C"}},
        {false, -2147483647 - 1, {"A", "B", "C"}}, // -2^31 leaves 1 over 3
        {true, 1, {"B", "C", "A", "B"}},
        {true, -1, {"C", "B", "A", "C"}},
        {true, 0, {"A", "A"}},
    };
    for (const Case& c : cases) {
        TTextFiles cache;
        const Lines got = take(static_cast<int>(c.expected.size()), [&] {
            return c.advance ? cache.AdvanceLine(abc, c.step) : cache.NextLine(abc, c.step);
        });
        EXPECT_EQ(got, c.expected) << (c.advance ? "AdvanceLine " : "NextLine ") << c.step;
        const TTagStringList& l = cache.List(cache.IndexOf(abc));
        EXPECT_GE(l.LineIndex, 0);
        EXPECT_LT(l.LineIndex, 3);
    }
}

TEST_F(TextFilesTest, LineAtLeavesTheCursorAlone) {
    EXPECT_EQ(files.NextLine(abc, 1), "A");
    EXPECT_EQ(files.LineAt(abc, 2), "C");
    EXPECT_EQ(files.LineAt(abc, 0), "A");
    EXPECT_EQ(files.LineAt(abc, 3), "");
    EXPECT_EQ(files.LineAt(abc, -1), "");
    EXPECT_EQ(files.LineAt(abc, -2147483647 - 1), "");
    EXPECT_EQ(files.NextLine(abc, 1), "B");
}

TEST_F(TextFilesTest, RestoreGivesBackEveryCursorSaved) {
    const QString other = writeFile("other.txt", "1\n2\n3\n4\n");
    files.NextLine(abc, 1);
    files.NextLine(other, 1);
    files.SaveCursors();
    EXPECT_EQ(files.NextLine(abc, 1), "B");
    files.NextLine(abc, 1);
    files.AdvanceLine(other, 2);
    files.RestoreCursors();
    EXPECT_EQ(files.NextLine(abc, 1), "B");
    EXPECT_EQ(files.NextLine(other, 1), "2");
    files.RestoreCursors(); // the saved cursors stay saved
    EXPECT_EQ(files.NextLine(abc, 1), "B");
}

TEST_F(TextFilesTest, PathsAreKeysAsGivenAndFilesAreReadOnce) {
    const QString upper = writeFile("List.txt", "U1\nU2\n");
    const QString lower = writeFile("list.txt", "l1\nl2\n");
    EXPECT_EQ(files.NextLine(upper, 1), "U1");
    EXPECT_EQ(files.NextLine(lower, 1), "l1");
    EXPECT_EQ(files.NextLine(upper, 1), "U2");
    EXPECT_EQ(files.Count(), 2);
    EXPECT_EQ(files.IndexOf(upper), 0);
    EXPECT_EQ(files.Key(1), lower);

    writeFile("List.txt", "changed\n");
    EXPECT_EQ(files.NextLine(upper, 1), "U1");
    EXPECT_EQ(files.Count(), 2);
}

TEST_F(TextFilesTest, FileWithoutLinesGivesEmptyTexts) {
    for (const std::string& content : {std::string(), std::string("\0A\nB", 4)}) {
        TTextFiles cache;
        const QString empty = writeFile("empty.txt", content);
        EXPECT_EQ(cache.NextLine(empty, 1), "");
        EXPECT_EQ(cache.AdvanceLine(empty, -1), "");
        EXPECT_EQ(cache.LineAt(empty, 0), "");
        cache.SaveCursors();
        cache.RestoreCursors();
        EXPECT_EQ(cache.NextLine(empty, 1), "");
    }
}

TEST_F(TextFilesTest, UnreadableFileRaisesTheSameErrorEveryTimeAndLeavesNoEntry) {
    QDir().mkpath(path("folder"));
    for (const QString& bad : {path("missing.txt"), path("folder"), path("abc.txt/below"), QString()}) {
        TTextFiles cache;
        cache.NextLine(abc, 1);
        QString first;
        try {
            cache.NextLine(bad, 1);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const Error& e) {
            first = e.message();
        }
        EXPECT_TRUE(first.contains(bad)) << first.toStdString();
        EXPECT_EQ(cache.Count(), 1);
        for (int i = 0; i < 2; ++i) {
            try {
                (i == 0 ? cache.LineAt(bad, 0) : cache.AdvanceLine(bad, 1));
                ADD_FAILURE() << "no error on lookup " << i << " of " << bad.toStdString();
            } catch (const Error& e) {
                EXPECT_EQ(e.message(), first);
            }
        }
        cache.SaveCursors();
        cache.RestoreCursors();
        EXPECT_EQ(cache.NextLine(abc, 1), "B");
        EXPECT_EQ(cache.Count(), 1);
    }
}
