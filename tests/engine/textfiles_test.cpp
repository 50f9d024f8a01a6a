#include "engine/textfiles.h"
#include "platform/error.h"
#include "tests/support/testutil.h"

#include <QDir>

using namespace bw;

namespace {

using Lines = std::vector<std::string>;

// The message of the error f raises, or nothing when it raises none.
template <typename F>
QString errorOf(F f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(TagStringList, SplitsAtEveryKindOfLineEnd) {
    const struct Case { std::string text; Lines expected; } cases[] = {
        {"", {}}, {"A\r\nB\r\n", {"A", "B"}}, {"\r\n\r\n", {"", ""}}, {"\xe0\xe1 \t", {"\xe0\xe1 \t"}},
        {"A\rB\r", {"A", "B"}},                     // bare CR
        {"A\n\rB", {"A", "", "B"}},                 // LF CR is two line ends
        {std::string("A\nB\0C\nD", 7), {"A", "B"}}, // a zero byte ends the text
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
    const struct Case { bool advance; int step; Lines expected; } cases[] = {
        {false, 1, {"A", "B", "C", "A"}}, {false, -1, {"A", "C", "B", "A"}},
        {false, -2147483647 - 1, {"A", "B", "C"}}, // -2^31 leaves 1 over 3
        {true, 1, {"B", "C", "A", "B"}}, {true, -1, {"C", "B", "A", "C"}}, {true, 0, {"A", "A"}},
    };
    for (const Case& c : cases) {
        TTextFiles cache;
        Lines got;
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            got.push_back(c.advance ? cache.AdvanceLine(abc, c.step) : cache.NextLine(abc, c.step));
        EXPECT_EQ(got, c.expected) << (c.advance ? "AdvanceLine " : "NextLine ") << c.step;
    }
}

TEST_F(TextFilesTest, LineAtLeavesTheCursorAloneAndCursorsAreSavedAndRestored) {
    const QString other = writeFile("other.txt", "1\n2\n3\n4\n");
    EXPECT_EQ(files.NextLine(abc, 1), "A");
    EXPECT_EQ(files.LineAt(abc, 2), "C");
    EXPECT_EQ(files.LineAt(abc, 3), "");
    EXPECT_EQ(files.LineAt(abc, -2147483647 - 1), "");
    const QString empty = writeFile("empty.txt", "");
    EXPECT_EQ(files.NextLine(empty, 1), "");
    EXPECT_EQ(files.AdvanceLine(empty, -1), "");
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
    writeFile("List.txt", "changed\n");
    EXPECT_EQ(files.NextLine(upper, 1), "U1");
    EXPECT_EQ(files.Count(), 2);
}

TEST_F(TextFilesTest, UnreadableFileRaisesTheSameErrorEveryTimeAndLeavesNoEntry) {
    QDir().mkpath(path("folder"));
    for (const QString& bad : {path("missing.txt"), path("folder"), path("abc.txt/below"), QString()}) {
        TTextFiles cache;
        cache.NextLine(abc, 1);
        const QString first = errorOf([&] { cache.NextLine(bad, 1); });
        EXPECT_FALSE(first.isEmpty()) << "no error for " << bad.toStdString();
        EXPECT_TRUE(first.contains(bad)) << first.toStdString();
        EXPECT_EQ(cache.Count(), 1);
        EXPECT_EQ(errorOf([&] { cache.LineAt(bad, 0); }), first);
        EXPECT_EQ(errorOf([&] { cache.AdvanceLine(bad, 1); }), first);
        cache.SaveCursors();
        cache.RestoreCursors();
        EXPECT_EQ(cache.NextLine(abc, 1), "B");
        EXPECT_EQ(cache.Count(), 1);
    }
}
