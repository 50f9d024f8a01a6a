#include "app/htmltotext.h"
#include "app/pluginfile.h"
#include "app/pluginoptions.h"
#include "app/simplechanger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <unistd.h>

#include "platform/appdirs.h"
#include "tests/app/recordingreport.h"
#include "tests/services/failures.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

TPluginSelection Options(int count, std::initializer_list<int> checked) {
    TPluginSelection s(std::size_t(count), false);
    for (int i : checked)
        s[std::size_t(i)] = true;
    return s;
}

class PluginProcessTest : public test::TempDirTest {
protected:
    TInfo Info(const QString& file) { return TInfo{file, true, &report}; }
    test::RecordingReport report;
};

} // namespace

TEST_F(PluginProcessTest, SimpleChangerAppliesInIndexOrderWithOneLineEach) {
    const QString file = writeFile("x/a.txt", "  a  \n\n\n\n  b  \n");
    ASSERT_TRUE(SimpleChangerProcess(Info(file), Options(6, {5, 0, 3, 1})));
    EXPECT_EQ(readFile(file), "  a\n  b\n"); // CR LF first, then LF: LF line ends
    EXPECT_EQ(report.lines, QStringList({file + " #10 -> #13#10", file + " #13#10 -> #10", file + " right trimed",
                                         file + " all empty strings were removed"}));
    report.lines.clear();
    ASSERT_TRUE(SimpleChangerProcess(Info(file), Options(6, {2, 4})));
    EXPECT_EQ(readFile(file), "a\nb\n");
    EXPECT_EQ(report.lines, QStringList({file + " left trimed", file + " all empty strings to the one string"}));
}

TEST_F(PluginProcessTest, SimpleChangerSavesAnEmptyResult) {
    const QString spaces = writeFile("s.txt", "    ");
    EXPECT_TRUE(SimpleChangerProcess(Info(spaces), Options(6, {2})));
    EXPECT_TRUE(exists(spaces));
    EXPECT_EQ(QFileInfo(spaces).size(), 0);
}

TEST_F(PluginProcessTest, UnreadableFileFailsWithoutLinesOrQuestions) {
    for (const QString& bad : {path("missing.txt"), dir_.path()}) {
        EXPECT_FALSE(SimpleChangerProcess(Info(bad), Options(6, {0, 1, 2})));
        EXPECT_FALSE(HtmlToTextProcess(Info(bad), Options(2, {0, 1})));
    }
    EXPECT_TRUE(report.lines.isEmpty());
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_FALSE(exists(path("missing.txt.txt")));
}

// A save given up reports the file not saved, by name in the question and
// in the report, and none of what would have been done.
TEST_F(PluginProcessTest, ASaveGivenUpIsReportedAsNotSavedNamingTheFile) {
    const std::string original = "a\n" + std::string(100, 'x') + "\n";
    struct Row {
        const char* name;
        std::function<bool(const QString&)> process;
        const char* notSaved; // the file the line and the question name
    };
    const Row rows[] = {
        {"c.txt", [&](const QString& f) { return SimpleChangerProcess(Info(f), Options(6, {0, 3})); }, "c.txt"},
        {"p.htm", [&](const QString& f) { return HtmlToTextProcess(Info(f), Options(2, {0})); }, "p.htm"},
        {"q.htm", [&](const QString& f) { return HtmlToTextProcess(Info(f), Options(2, {1})); }, "q.htm.txt"},
    };
    for (const Row& r : rows) {
        const QString file = writeFile(r.name, original);
        report.lines.clear();
        prompt.push(Answer::No);
        {
            test::FileSizeLimit limit(32);
            EXPECT_FALSE(r.process(file)) << r.name;
        }
        EXPECT_EQ(readFile(file), original) << r.name;
        EXPECT_EQ(report.lines, QStringList({path(r.notSaved) + ": the changes were not saved"})) << r.name;
        ASSERT_FALSE(prompt.asked().empty());
        EXPECT_EQ(prompt.asked().back().buttons, Buttons::YesNo);
        EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(path(r.notSaved)))) << r.name;
    }
    EXPECT_EQ(prompt.asked().size(), std::size(rows));
    // No half-written leftovers.
    EXPECT_EQ(QDir(path("")).entryList(QDir::Files), QStringList({"c.txt", "p.htm", "q.htm"}));
}

TEST_F(PluginProcessTest, HtmlToTextOverThePageOrBesideIt) {
    const std::string page = "<html><body>AT&T<br>one &copy;</body></html>";
    const QString file = writeFile("page.htm", page);
    ASSERT_TRUE(HtmlToTextProcess(Info(file), Options(2, {1})));
    EXPECT_EQ(readFile(file), page);
    EXPECT_EQ(readFile(file + ".txt"), "AT&T one \xA9 ");
    ASSERT_TRUE(HtmlToTextProcess(Info(file), Options(2, {0})));
    EXPECT_EQ(readFile(file), "AT&T\r\none \xA9\r\n");
    EXPECT_TRUE(report.lines.isEmpty());

    const QString empty = writeFile("empty.htm", "");
    EXPECT_TRUE(HtmlToTextProcess(Info(empty), Options(2, {})));
    EXPECT_TRUE(exists(empty));
}

TEST_F(PluginProcessTest, AFileChangedAfterItWasReadIsNotSaved) {
    const QString file = writeFile("d.txt", "  mine  \n");
    std::string text;
    TFileStamp stamp;
    ASSERT_TRUE(LoadFileStamped(file, text, stamp));
    writeFile("d.txt", "theirs\n");
    EXPECT_FALSE(SavePluginResult(file, stamp, file, "mine\n", &report));
    EXPECT_EQ(readFile(file), "theirs\n");
    EXPECT_EQ(report.lines, QStringList({file + ": changed by another program since it was read; not saved"}));

    // The page is checked also when the result goes beside it.
    const QString page = writeFile("p.htm", "<p>a</p>");
    const TFileStamp pageStamp = TakeFileStamp(page);
    writeFile("p.htm", "<p>longer</p>");
    EXPECT_FALSE(SavePluginResult(page, pageStamp, page + ".txt", "a", &report));
    EXPECT_FALSE(exists(page + ".txt"));
    EXPECT_EQ(report.lines.size(), 2);
    EXPECT_TRUE(prompt.asked().empty());
}

// A plug-in's save over the file it read follows no link put in the file's
// place after the read, even one to a second name of that very file (which
// every look through the link takes for the file read).
TEST_F(PluginProcessTest, ALinkSwappedInAfterTheReadIsNotWrittenThrough) {
    const QString file = writeFile("tree/d.txt", "  mine  \n");
    const QString outside = path("outside.txt");
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(outside).constData()), 0);
    std::string text;
    TFileStamp stamp;
    ASSERT_TRUE(LoadFileStamped(file, text, stamp));
    const QString swap = path("tree/swap");
    ASSERT_TRUE(QFile::link(outside, swap));
    std::rename(QFile::encodeName(swap).constData(), QFile::encodeName(file).constData());
    EXPECT_FALSE(SavePluginResult(file, stamp, file, "mine\n", &report));
    EXPECT_EQ(readFile(outside), "  mine  \n");
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    EXPECT_EQ(report.lines, QStringList({file + ": changed by another program since it was read; not saved"}));
}

// "Selected" holds the checked indexes ascending, joined by ","; entries that
// are not option indexes are ignored.
TEST(PluginIniFileText, SelectionToAndFromText) {
    struct Row {
        QString text;
        std::initializer_list<int> checked;
    };
    const Row rows[] = {
        {"0,3", {0, 3}}, {"", {}}, {"x,1", {1}}, {"7,-1,2,6", {2}}, {" 1 , 4 ,,1", {1, 4}}, {"1.5,0x1", {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PluginIniFile::FromText(r.text, 6), Options(6, r.checked)) << r.text.toStdString();
    EXPECT_EQ(PluginIniFile::ToText(Options(6, {0, 3})), "0,3");
    EXPECT_EQ(PluginIniFile::ToText(Options(6, {})), "");
}

class PluginIniFileTest : public test::TempDirTest {};

TEST_F(PluginIniFileTest, WrittenBelowTheHomeFolderOnlyWhenChanged) {
    const PluginIniFile ini("HTML to text.ini", 2);
    EXPECT_EQ(ini.Path(), homeDir() + "HTML to text.ini");
    EXPECT_TRUE(ini.Write(Options(2, {})));
    EXPECT_FALSE(exists(ini.Path())); // none checked is what a missing file says

    EXPECT_TRUE(ini.Write(Options(2, {0, 1})));
    EXPECT_EQ(readFile(ini.Path()), "[General]\nSelected=0,1\n\n");

    const std::string edited = "; mine\r\n[general]\r\nselected=0,1\r\n";
    writeFile("HTML to text.ini", edited);
    EXPECT_TRUE(ini.Write(Options(2, {0, 1})));
    EXPECT_EQ(readFile(ini.Path()), edited);

    writeFile("HTML to text.ini", "[General]\nSelected=1,zz,9\n");
    EXPECT_EQ(ini.Read(), Options(2, {1}));
    EXPECT_TRUE(ini.Write(Options(2, {1}))); // a damaged value is written anew
    EXPECT_EQ(readFile(ini.Path()), "[General]\nSelected=1\n\n");
}

TEST_F(PluginIniFileTest, AFileThatIsNotAnIniFile) {
    const PluginIniFile ini("SimpleChanger.ini", 6);
    writeFile("SimpleChanger.ini", std::string("\x89PNG\r\n\x1A\n\0\0Selected=1\n", 16));
    EXPECT_EQ(ini.Read(), Options(6, {}));
    EXPECT_TRUE(ini.Write(Options(6, {4})));
    EXPECT_EQ(ini.Read(), Options(6, {4}));

    QFile::remove(ini.Path());
    QDir().mkpath(ini.Path()); // cannot be written
    EXPECT_EQ(ini.Read(), Options(6, {}));
    EXPECT_FALSE(ini.Write(Options(6, {1})));
}
