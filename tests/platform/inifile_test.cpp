#include "platform/inifile.h"
#include "tests/support/testutil.h"

using namespace bw;

class IniFileTest : public test::TempDirTest {};

TEST_F(IniFileTest, MissingFileIsEmptyAndFlushCreatesIt) {
    const QString name = path("a.ini");
    IniFile ini(name);
    EXPECT_TRUE(ini.sections().isEmpty());
    EXPECT_EQ(ini.readString("S", "K", "def"), "def");
    ini.writeString("Main", "Key", "  value with = and spaces ");
    EXPECT_TRUE(ini.flush());
    IniFile again(name);
    EXPECT_EQ(again.readString("main", "KEY"), "  value with = and spaces ");
}

TEST_F(IniFileTest, NamesIgnoreCaseKeysKeepOrderAndFirstSpelling) {
    IniFile ini;
    ini.writeString("FMain", "Width", "1");
    ini.writeString("fmain", "Left", "2");
    ini.writeString("FMAIN", "width", "3");
    ini.writeString("Other", "x", "y");
    EXPECT_EQ(ini.sections(), QStringList({"FMain", "Other"}));
    EXPECT_EQ(ini.keys("FMain"), QStringList({"Width", "Left"}));
    EXPECT_EQ(ini.readString("FMain", "WIDTH"), "3");
    EXPECT_EQ(ini.toText(), "[FMain]\nWidth=3\nLeft=2\n\n[Other]\nx=y\n\n");
}

TEST_F(IniFileTest, NumbersDecimalHexAndGarbage) {
    IniFile ini;
    ini.setText("[S]\r\na=42\r\nb=0x1F\r\nc=abc\r\nd=-7\r\ne=\r\nf=0\r\n");
    EXPECT_EQ(ini.readInteger("S", "a"), 42);
    EXPECT_EQ(ini.readInteger("S", "b"), 31);
    EXPECT_EQ(ini.readInteger("S", "c", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "d"), -7);
    EXPECT_EQ(ini.readInteger("S", "e", 9), 9);
    EXPECT_TRUE(ini.readBool("S", "d"));
    EXPECT_FALSE(ini.readBool("S", "f", true));
    EXPECT_FALSE(ini.readBool("S", "missing"));
}

TEST_F(IniFileTest, DetachedFileIsNeverWritten) {
    const QString name = writeFile("b.ini", "[S]\nk=v\n");
    IniFile ini(name);
    ini.writeString("S", "k", "changed");
    ini.detach();
    EXPECT_TRUE(ini.flush());
    EXPECT_EQ(readFile(name), "[S]\nk=v\n");
}

TEST_F(IniFileTest, DeleteKeyAndEraseSection) {
    IniFile ini;
    ini.setText("[A]\nx=1\ny=2\nz=3\n[B]\nq=1\n[C]\nr=1\n");
    ini.deleteKey("a", "Y");
    EXPECT_EQ(ini.keys("A"), QStringList({"x", "z"}));
    EXPECT_EQ(ini.readString("A", "z"), "3");
    ini.eraseSection("b");
    EXPECT_EQ(ini.sections(), QStringList({"A", "C"}));
    EXPECT_EQ(ini.readString("C", "r"), "1");
}

TEST_F(IniFileTest, OneStringHelpersOnNamedFile) {
    const QString name = path("plugin.ini");
    EXPECT_EQ(readIniString(name, "Options", "Mode", "none"), "none");
    EXPECT_TRUE(writeIniString(name, "Options", "Mode", "2"));
    EXPECT_TRUE(writeIniString(name, "Options", "Other", "x"));
    EXPECT_EQ(readIniString(name, "options", "mode"), "2");
    EXPECT_EQ(readFile(name), "[Options]\nMode=2\nOther=x\n\n");
}

TEST_F(IniFileTest, UnwritableFolderFailsFlush) {
    IniFile ini(path("missing/folder/x.ini"));
    ini.writeString("S", "k", "v");
    EXPECT_FALSE(ini.flush());
}
