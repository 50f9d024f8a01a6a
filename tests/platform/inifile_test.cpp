#include "platform/inifile.h"
#include "tests/support/testutil.h"

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
    ini.setText("[S]\r\na=0x1F\r\nb=abc\r\nc=-7\r\nd=\r\ne=0\r\n");
    EXPECT_EQ(ini.readInteger("S", "a"), 31);
    EXPECT_EQ(ini.readInteger("S", "b", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "c"), -7);
    EXPECT_EQ(ini.readInteger("S", "d", 9), 9);
    EXPECT_TRUE(ini.readBool("S", "c"));
    EXPECT_FALSE(ini.readBool("S", "e", true));
}
