// Language files and whole files named by a path: anything but a regular file
// in their place is refused at once, never waited on.

#include <QDir>

#include "services/fileroutines.h"
#include "services/langmanager.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class SpecialReadersTest : public test::TempDirTest {};

// No index file loads nothing, without a message; so does anything in its place.
TEST_F(SpecialReadersTest, ALanguageIndexThatIsNoFileLoadsNothingAtOnce) {
    for (const test::Special kind : test::kSpecials) {
        ASSERT_TRUE(test::makeSpecial(kind, path("Langs.lng"))) << test::specialName(kind);
        TLangManager lm;
        lm.SetLangDir(path("") + "/");
        test::PipeWatch watch(path("Langs.lng"));
        EXPECT_FALSE(lm.LoadLanguages()) << test::specialName(kind);
        EXPECT_FALSE(watch.blocked()) << test::specialName(kind);
        EXPECT_EQ(lm.LanguageCount(), 0) << test::specialName(kind);
    }
    EXPECT_TRUE(prompt.asked().empty());
}

// A message file that is no file is one that cannot be read: the message
// names it and the messages stay.
TEST_F(SpecialReadersTest, ALanguageMessageFileThatIsNoFileCannotBeRead) {
    writeFile("Langs.lng", "English\nRussian\n\nOpen\nОткрыть\n");
    writeFile("English.lng", "szA=english\n");
    for (const test::Special kind : test::kSpecials) {
        ASSERT_TRUE(test::makeSpecial(kind, path("Russian.lng"))) << test::specialName(kind);
        TLangManager lm;
        lm.SetLangDir(path("") + "/");
        ASSERT_TRUE(lm.LoadLanguages());
        const std::size_t before = prompt.asked().size();
        test::PipeWatch watch(path("Russian.lng"));
        lm.SetCurrentLang(1);
        EXPECT_FALSE(watch.blocked()) << test::specialName(kind);
        EXPECT_EQ(lm.GetText("szA"), "english") << test::specialName(kind);
        ASSERT_EQ(prompt.asked().size(), before + 1) << test::specialName(kind);
        EXPECT_TRUE(prompt.asked()[before].text.contains(QDir::toNativeSeparators(path("Russian.lng"))))
            << test::specialName(kind);
    }
}

// The whole-file read under rule lists, library texts and the processing window.
TEST_F(SpecialReadersTest, WholeFileReadsRefuseEveryKindAtOnce) {
    for (const test::Special kind : test::kSpecials) {
        ASSERT_TRUE(test::makeSpecial(kind, path("any.txt"))) << test::specialName(kind);
        std::string text = "kept";
        test::PipeWatch watch(path("any.txt"));
        EXPECT_FALSE(LoadFileToString(path("any.txt"), text)) << test::specialName(kind);
        EXPECT_FALSE(watch.blocked()) << test::specialName(kind);
        EXPECT_EQ(text, "kept") << test::specialName(kind);
    }
}

} // namespace
