#include "platform/error.h"
#include "platform/inifile.h"
#include "tests/support/testutil.h"

#include <vector>

using namespace bw;

class IniFileTest : public test::TempDirTest {};

TEST_F(IniFileTest, MissingFileIsEmptyFlushWritesItWholeAndDetachWritesNothing) {
    const QString name = path("a.ini");
    EXPECT_EQ(readIniString(name, "Main", "Key", "def"), "def");
    EXPECT_TRUE(writeIniString(name, "Main", "Key", "  value with = and spaces "));
    EXPECT_TRUE(writeIniString(name, "Main", "Other", "x"));
    const std::string written = "[Main]\nKey=  value with = and spaces \nOther=x\n\n";
    EXPECT_EQ(readFile(name), written);
    EXPECT_EQ(readIniString(name, "main", "KEY"), "  value with = and spaces ");

    IniFile ini(name);
    ini.writeString("Main", "Key", "changed");
    ini.detach();
    EXPECT_TRUE(ini.flush());
    EXPECT_EQ(readFile(name), written);

    IniFile lost(path("missing/folder/x.ini"));
    lost.writeString("S", "k", "v");
    EXPECT_FALSE(lost.flush());
}

TEST_F(IniFileTest, NamesIgnoreCaseKeysKeepOrderAndFirstSpelling) {
    IniFile ini;
    ini.writeString("FMain", "Width", "1");
    ini.writeString("Other", "x", "y");
    ini.writeString("fmain", "Left", "2");
    ini.writeString("FMAIN", "width", "3");
    ini.writeString("Last", "z", "4");
    EXPECT_EQ(ini.sections(), QStringList({"FMain", "Other", "Last"}));
    EXPECT_EQ(ini.keys("fmain"), QStringList({"Width", "Left"}));
    EXPECT_EQ(ini.toText(), "[FMain]\nWidth=3\nLeft=2\n\n[Other]\nx=y\n\n[Last]\nz=4\n\n");
    ini.deleteKey("fmain", "WIDTH");
    ini.eraseSection("OTHER");
    EXPECT_EQ(ini.toText(), "[FMain]\nLeft=2\n\n[Last]\nz=4\n\n");
    EXPECT_EQ(ini.readString("last", "Z"), "4");
}

TEST_F(IniFileTest, NumbersDecimalHexAndGarbage) {
    IniFile ini;
    ini.setText("[S]\r\na=0x1F\r\nb=abc\r\nc=-7\r\ne=0\r\n");
    EXPECT_EQ(ini.readInteger("S", "a"), 31);
    EXPECT_EQ(ini.readInteger("S", "b", 5), 5);
    EXPECT_TRUE(ini.readBool("S", "c"));
    EXPECT_FALSE(ini.readBool("S", "e", true));
}

// A pasted value with line breaks must not add sections or keys of its own;
// names that would not read back as they were written are refused.
TEST_F(IniFileTest, ValuesStayOnOneLineAndNamesThatWouldNotReadBackAreRefused) {
    IniFile ini;
    ini.writeString("FMain", "Caption", "a\n[FOptions]\nLeft=-32000\r\nTop=5\rend");
    EXPECT_EQ(ini.readString("FMain", "Caption"), "a [FOptions] Left=-32000  Top=5 end");
    IniFile back;
    back.setText(ini.toText());
    EXPECT_EQ(back.sections(), QStringList({"FMain"}));
    EXPECT_EQ(back.keys("FMain"), QStringList({"Caption"}));
    EXPECT_EQ(back.readString("FMain", "Caption"), "a [FOptions] Left=-32000  Top=5 end");

    const std::pair<const char*, const char*> refused[] = {
        {"Sec\rtion", "key"}, {"Sec]tion", "key"}, {" Section", "key"}, {"Section", "k\ney"},
        {"Section", "k=ey"},  {"Section", "[key"}, {"Section", ";key"}, {"Section", "key "},
    };
    for (const auto& [section, key] : refused) {
        EXPECT_THROW(ini.writeString(section, key, "v"), Error) << section << "/" << key;
    }
    EXPECT_EQ(ini.sections(), QStringList({"FMain"}));
    ini.writeString("[x", "k]", "key and section may hold the other bracket");
    EXPECT_EQ(ini.readString("[x", "k]"), "key and section may hold the other bracket");
}

// A line ends at CR LF, LF or CR; a value keeps every other character, so
// reading, writing and reading again gives the same values.
TEST_F(IniFileTest, LinesEndAtCrLfLfOrCrAndReadWriteReadIsStable) {
    const struct {
        const char* text;
        std::vector<std::pair<const char*, const char*>> values;
    } cases[] = {
        {"[S]\r\nk=v\r\r\nx=1\n", {{"k", "v"}, {"x", "1"}}},
        {"[S]\rk=v\r\rx=\t 2 \x01\x0b\x0c\r", {{"k", "v"}, {"x", "\t 2 \x01\x0b\x0c"}}},
        {"[S]\nk=a=b;c\n ; note\n[T]\n y = z \n", {{"k", "a=b;c"}, {"y", " z "}}},
        {"k=before any section\n[S]\n=empty key\n[S]\nk=again", {{"", "empty key"}, {"k", "again"}}},
    };
    for (const auto& c : cases) {
        IniFile first;
        first.setText(QString::fromLatin1(c.text));
        IniFile second;
        second.setText(first.toText());
        for (const auto& [key, value] : c.values) {
            const QString section = second.valueExists("S", key) ? "S" : "T";
            EXPECT_EQ(first.readString(section, key), QString::fromLatin1(value)) << c.text << " " << key;
            EXPECT_EQ(second.readString(section, key), QString::fromLatin1(value)) << c.text << " " << key;
        }
        EXPECT_EQ(second.toText(), first.toText()) << c.text;
    }
}

// Settings files written on Windows are Windows-1251; UTF-8 ones may carry a
// byte-order mark. Either way the file is written back as UTF-8.
TEST_F(IniFileTest, FileIsUtf8WhenValidElseWindows1251AndWrittenAsUtf8) {
    const struct {
        std::string bytes;
        const char* value; // UTF-8
    } cases[] = {
        {"[S]\r\nk=\xCF\xF0\xE8\xE2\xE5\xF2\r\n", "Привет"},
        {"\xEF\xBB\xBF[S]\nk=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n", "Привет"},
        {"[S]\nk=\xC0\xAF\n", "А\xD0\x87"},                 // an overlong form is not UTF-8
        {"[S]\nk=\xED\xA0\x80\n", "н\xC2\xA0\xD0\x82"},      // nor is a surrogate
        {"[S]\nk=\xF0\x9F\x98\x80\n", "\xF0\x9F\x98\x80"},  // a four-byte character is
        {"[S]\nk=\xD0\n", "Р"},                             // cut short
    };
    for (const auto& c : cases) {
        const QString file = writeFile("s.ini", c.bytes);
        IniFile ini(file);
        EXPECT_EQ(ini.readString("S", "k"), QString::fromUtf8(c.value)) << c.bytes;
        ASSERT_TRUE(ini.flush());
        EXPECT_EQ(readFile(file), std::string("[S]\nk=") + c.value + "\n\n") << c.bytes;
    }
}

// A settings save killed half-way leaves its temporary file; the next save of
// the same settings file removes it (and only those of its own name).
TEST_F(IniFileTest, NextSaveRemovesTheTemporaryFilesOfKilledSaves) {
    const QString name = writeFile("Brindlewick.ini", "[Main]\nKey=old\n");
    for (const char* left : {".Brindlewick.ini.3fa2c1.tmp", ".Brindlewick.ini.0.tmp", ".Other.ini.3fa2c1.tmp",
                             "Brindlewick.ini.bak"})
        setModified(writeFile(left, "[Main]\nKey=cut"), "2001-01-01T00:00:00");
    EXPECT_TRUE(writeIniString(name, "Main", "Key", "new"));
    EXPECT_EQ(readIniString(name, "Main", "Key"), "new");
    // The first two are gone.
    EXPECT_EQ(filesIn(path("")), QStringList({".Other.ini.3fa2c1.tmp", "Brindlewick.ini", "Brindlewick.ini.bak"}));
}
