#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/error.h"
#include "rules/textlibrary.h"
#include "tests/support/testutil.h"

namespace {

using Lines = std::vector<std::string>;

TEST(TextLibraryTest, LinesSplitAtEveryLineEndAndJoinWithCrLf) {
    struct Case {
        std::string file;
        Lines lines;
        std::string text; // the page's text
    } cases[] = {
        {"", {}, ""},
        {"a\r\n", {"a"}, "a"},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}, "a\r\nb\r\nc\r\nd"},
        {"a\n\r\nb", {"a", "", "b"}, "a\r\n\r\nb"},
        {"a\n\n", {"a", ""}, "a\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(SplitLibraryLines(c.file), c.lines);
        EXPECT_EQ(LibraryFileToText(c.file), c.text);
        // Writing puts CR LF after each line, and reads back as the same text.
        const std::string written = TextToLibraryFile(c.text);
        EXPECT_EQ(LibraryFileToText(written), c.text);
        EXPECT_EQ(written.ends_with("\r\n"), !c.text.empty());
    }
    EXPECT_EQ(TextToLibraryFile("a\r\nb"), "a\r\nb\r\n");
    EXPECT_EQ(TextToLibraryFile("a\r\n"), "a\r\n\r\n");
}

class LibraryFolderTest : public bw::test::TempDirTest {};

TEST_F(LibraryFolderTest, FilesThenFoldersEachSortedWithoutCase) {
    for (const char* name : {"b.txt", "A.TXT", ".hidden.txt", "c.md", "x&y.txt", "sub/z.txt", "Other/a.txt",
                             ".git/x.txt", "notes.txt/inner.txt", "-/m.txt"})
        writeFile(QString::fromLatin1(name), "x");
    QDir().mkpath(path("empty"));
    std::vector<QString> listed;
    for (const TLibraryEntry& e : ListLibraryFolder(path("")))
        listed.push_back(e.Name + (e.Folder ? "/" : ""));
    EXPECT_EQ(listed, (std::vector<QString>{".hidden.txt", "A.TXT", "b.txt", "x&y.txt", "-/", "empty/", "notes.txt/",
                                            "Other/", "sub/"}));
    const auto entries = ListLibraryFolder(path(""));
    EXPECT_EQ(entries[1].Path, path("A.TXT"));
    EXPECT_EQ(entries[5].Path, path("empty") + QDir::separator());

    EXPECT_TRUE(ListLibraryFolder(path("missing")).empty());
    EXPECT_TRUE(ListLibraryFolder(path("empty")).empty());
}

TEST(TextLibraryTest, StrictEncodingNamesTheMissingCharacter) {
    EXPECT_EQ(EncodeStrict1251(QString::fromUtf8("Ая №€")), "\xC0\xFF\xA0\xB9\x88");
    const struct {
        const char* text;
        const char* shown;
        const char* code;
    } cases[] = {{"ab中", "中", "U+4E2D"}, {"x😀y", "😀", "U+1F600"}};
    for (const auto& c : cases) {
        try {
            EncodeStrict1251(QString::fromUtf8(c.text));
            ADD_FAILURE() << c.text;
        } catch (const bw::Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.shown))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.code))) << e.message().toStdString();
        }
    }
}

} // namespace
