#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>

#include "platform/error.h"
#include "rules/wholerulefile.h"
#include "tests/support/testutil.h"

namespace {

std::string header(qint32 a, qint32 b) {
    std::string out(8, '\0');
    for (int i = 0; i < 4; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>((static_cast<quint32>(a) >> (8 * i)) & 0xFF);
        out[static_cast<std::size_t>(4 + i)] = static_cast<char>((static_cast<quint32>(b) >> (8 * i)) & 0xFF);
    }
    return out;
}

TWholeRuleRead readBytes(const std::string& bytes) {
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return ReadWholeRule(buffer);
}

TEST(WholeRuleFileTest, LayoutIsTwoLengthsThenBothTexts) {
    EXPECT_EQ(WholeRuleBytes({"ab", ""}), std::string("\x02\0\0\0\0\0\0\0ab", 10));
    const TWholeRule rule{std::string("s\0\xFF\r\n", 5), "target"};
    const TWholeRuleRead read = readBytes(WholeRuleBytes(rule));
    EXPECT_TRUE(read.WellFormed);
    EXPECT_EQ(read.Rule, rule);
}

TEST(WholeRuleFileTest, LengthsAreNeverTrusted) {
    const struct {
        const char* what;
        std::string bytes;
        TWholeRule rule;
    } cases[] = {
        {"empty file", "", {}},
        {"under 8 bytes", std::string("\x01\0\0\0\x01", 5), {}},
        {"negative search length", header(-5, 2) + "xy", {"", "xy"}},
        {"negative target length", header(1, INT32_MIN) + "a", {"a", ""}},
        {"search past the end", header(100, 0) + "abc", {"abc", ""}},
        {"huge lengths", header(INT32_MAX, INT32_MAX) + "abc", {"abc", ""}},
        {"target past the end", header(1, 9) + "abcd", {"a", "bcd"}},
        {"bytes after the target", header(1, 1) + "abc", {"a", "b"}},
        {"a plain text file", "Hello, world! This is plain text.\r\n", {"orld! This is plain text.\r\n", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TWholeRuleRead read = readBytes(c.bytes);
        EXPECT_FALSE(read.WellFormed);
        EXPECT_EQ(read.Rule, c.rule);
    }
}

class FavoriteTest : public bw::test::TempDirTest {
protected:
    struct Texts : TWholeRuleTexts {
        TWholeRule rule{"keep-s", "keep-t"};
        bool fail = false;
        TWholeRule GetWholeRule() const override {
            if (fail)
                throw bw::Error("bad character");
            return rule;
        }
        void SetWholeRule(const TWholeRule& r) override { rule = r; }
    } texts;
};

TEST_F(FavoriteTest, BadFormatShowsTheMessageAndLoadsWhatIsThere) {
    const QString file = writeFile("plain.txt", header(3, 50) + "abcdef");
    LoadFavorite(file, texts);
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].text, "The file is not a favourite rule of the expected format.");
    EXPECT_EQ(texts.rule, (TWholeRule{"abc", "def"}));
}

TEST_F(FavoriteTest, FileErrorsNameTheFileAndChangeNothing) {
    // Unreadable: missing, or a folder.
    QDir().mkpath(path("dir.txt"));
    for (const QString& bad : {path("missing.txt"), path("dir.txt")}) {
        LoadFavorite(bad, texts);
        EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(bad)));
        EXPECT_EQ(texts.rule, (TWholeRule{"keep-s", "keep-t"}));
    }
    // A failed save keeps the old file.
    const QString old = writeFile("old.txt", "old");
    texts.fail = true;
    SaveFavorite(old, texts);
    EXPECT_EQ(prompt.asked().back().text, "bad character");
    EXPECT_EQ(readFile(old), "old");
    texts.fail = false;
    prompt.push(bw::Answer::No); // do not try the save again
    SaveFavorite(path("dir.txt"), texts);
    EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(path("dir.txt"))));
}

} // namespace
