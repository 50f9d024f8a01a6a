#include <QRegularExpression>
#include <gtest/gtest.h>

#include "options/updatecheck.h"
#include "options/version.h"
#include "tests/support/qtprint.h"
#include "tests/support/testutil.h"

namespace {

const std::string kWord = "\xC2\xE5\xF0\xF1\xE8\xFF\x20"; // "Версия " in Windows-1251

TEST(Version, Format) {
    EXPECT_EQ(formatVersion(2, 7, 2, 347), "2.7b2 build 347");
    EXPECT_EQ(formatVersion(2, 8, 0, 400), "2.8 Release build 400");
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+( Release|b\\d+) build \\d+$").match(AppVersion).hasMatch())
        << AppVersion.toStdString();
}

TEST(Version, PageVersion) {
    const std::string news = "<html><!---NEWS--->";
    struct Case {
        const char* name;
        std::string page;
        std::optional<std::string> version;
    };
    const Case cases[] = {
        {"ordinary", news + "<p>" + kWord + "2.9b1 build 50</p>", "2.9b1 build 50"},
        {"word right after the marker", news + kWord + "3.0 Release build 1<", "3.0 Release build 1"},
        {"the word before the marker does not count", kWord + "1.0<" + news + kWord + "2.0<", "2.0"},
        {"no marker", "<html>" + kWord + "2.0<", std::nullopt},
        {"no word", news + "Version 2.0<", std::nullopt},
        {"the word in UTF-8", news + "\xD0\x92\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8\xD1\x8F 2.0<", std::nullopt},
        {"no closing <", news + kWord + "2.0", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageVersion(c.page), c.version) << c.name;
}

TEST(Version, NewerComparesNumbersWhenBothRead) {
    struct Case {
        const char* page;
        const char* ours;
        bool newer;
    };
    const Case cases[] = {
        {"2.10 Release build 1", "2.9b1 build 5", true}, // numbers, not bytes
        {"2.9b1 build 50", "2.9b1 build 5", true},
        {"2.9b2 build 1", "2.9 Release build 400", true}, // a release counts as 0
        {"2.9 Release build 5", "2.9 Release build 5", false},
        // Either not in the form: the bytes decide, a prefix being smaller.
        {" 2.10 Release build 1", "2.9b1 build 5", false},
        {"2.9b1 build 5 beta", "2.9b1 build 5", true},
        {"\xC0", "2.9b1 build 5", true}, // unsigned bytes
        {"", "2.9b1 build 5", false},
        {"1.0", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNewerVersion(c.page, c.ours), c.newer) << c.page << " vs " << c.ours;
}

TEST(Version, OnlyWebAndMailAddressesOpen) {
    const std::pair<const char*, bool> cases[] = {
        {"http://news.example.invalid/", true},   {"HTTPS://example.invalid/x", true},
        {"mailto:a@example.invalid", true},       {"file:///bin/sh", false},
        {"/usr/bin/xterm", false},                {"javascript:alert(1)", false},
        {"http://", false},
    };
    for (const auto& [address, openable] : cases)
        EXPECT_EQ(IsOpenableUrl(QUrl(address)), openable) << address;
}

TEST(Version, MailLinkKeepsTheVersionsBlanks) {
    EXPECT_EQ(MailLink("me@example.invalid", "2.7b2 build 347"),
              "mailto:me@example.invalid?subject=Brindlewick%202.7b2 build 347");
    EXPECT_EQ(MailLink("me@example.invalid", ""), "mailto:me@example.invalid?subject=Brindlewick%20");
}

class NewsAddressTest : public bw::test::TempDirTest {};

TEST_F(NewsAddressTest, FirstLineOrTheBuiltInAddress) {
    EXPECT_TRUE(BuiltInNewsAddress().contains(".invalid"));
    struct Case {
        const char* name;
        std::optional<std::string> file;
        QString address;
    };
    const Case cases[] = {
        {"missing", std::nullopt, BuiltInNewsAddress()},
        {"empty file", "", BuiltInNewsAddress()},
        {"empty first line", "\nhttp://second.invalid/\n", ""},
        {"first line as it is", " http://a.invalid/x \r\nmore", " http://a.invalid/x "},
        {"a local path", "/bin/sh\n", "/bin/sh"},
    };
    for (const Case& c : cases) {
        const QString file = path(QString("url%1").arg(&c - cases));
        if (c.file)
            writeFile(QFileInfo(file).fileName(), *c.file);
        EXPECT_EQ(ReadNewsAddress(file), c.address) << c.name;
    }
}

} // namespace
