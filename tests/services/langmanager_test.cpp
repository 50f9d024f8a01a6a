#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "services/langmanager.h"
#include "tests/support/testutil.h"

using namespace bw;

class LangManagerTest : public test::TempDirTest {
protected:
    // A manager reading from the temporary folder, counting its events.
    TLangManager& manager() {
        lm.SetLangDir(path("") + "/");
        lm.OnLoaded = [this] { ++loaded; };
        lm.OnTranslated = [this] { ++translated; };
        return lm;
    }
    TLangManager lm;
    int loaded = 0;
    int translated = 0;
};

TEST_F(LangManagerTest, IndexFileGivesLanguagesRowsAndMessagesOfLanguageZero) {
    writeFile("Langs.lng", "English\r\nRussian\r\n\r\nOpen\r\nОткрыть\r\n-\r\nClose\r\nЗакрыть");
    writeFile("English.lng", "szA=first\nszOnlyEnglish=x\n");
    writeFile("Russian.lng", "szA=первый\n");
    TLangManager& m = manager();
    ASSERT_TRUE(m.LoadLanguages());
    EXPECT_EQ(m.LanguageNames(), QStringList({"English", "Russian"}));
    EXPECT_EQ(m.RowCount(), 2); // the last row needs no separator
    EXPECT_EQ(m.Table(1), QStringList({"Открыть", "Закрыть"}));
    EXPECT_EQ(m.FindRow(0, "CLOSE"), 1);
    EXPECT_EQ(m.FindRow(0, "Closed"), -1);
    EXPECT_EQ(m.GetText("szA"), "first");
    EXPECT_EQ(loaded, 1);

    m.SetCurrentLang(1);
    EXPECT_EQ(m.GetText("sza"), "первый");
    EXPECT_EQ(m.GetText("szOnlyEnglish"), "");
    EXPECT_EQ(translated, 2);
    for (int index : {1, 5, -1}) // the same language does nothing, a missing one is refused
        m.SetCurrentLang(index);
    EXPECT_EQ(m.CurrentLang(), 1);
    EXPECT_EQ(translated, 2);
}

TEST_F(LangManagerTest, MessageKeysFirstWinsIgnoreCaseButNotBlanks) {
    writeFile("Langs.lng", "English\n\n");
    writeFile("English.lng",
              "\xEF\xBB\xBFszFirst=one\n"
              "no equals sign here\n"
              "SZFIRST=two\n"
              "szSpaced =spaced\n"
              "szFormat=File %s: %d of %d = done\n"
              "szEmpty=\n");
    TLangManager& m = manager();
    ASSERT_TRUE(m.LoadLanguages()); // one language and no rows is a valid index
    EXPECT_EQ(m.RowCount(), 0);
    EXPECT_EQ(m.GetText("szfirst"), "one");
    EXPECT_EQ(m.GetText("szSpaced"), "");
    EXPECT_EQ(m.GetText("szSpaced "), "spaced");
    EXPECT_EQ(m.GetText("szFormat"), "File %s: %d of %d = done");
    EXPECT_EQ(m.GetText("szEmpty"), "");
    EXPECT_EQ(m.GetText("szMissing"), "");
    EXPECT_EQ(m.GetText("szApplicationTitle"), QCoreApplication::applicationName());
}

TEST_F(LangManagerTest, DamagedIndexFilesLoadWhatIsComplete) {
    struct Case {
        const char* text;
        QStringList names;
        int rows;
    };
    const Case cases[] = {
        // A last row with fewer lines than languages is dropped.
        {"English\nRussian\n\nA\nА\n-\nB", {"English", "Russian"}, 1},
        // Three languages, the second row cut short.
        {"E\nR\nG\n\n1\n2\n3\n-\n4\n5", {"E", "R", "G"}, 1},
    };
    for (const Case& c : cases) {
        writeFile("Langs.lng", c.text);
        TLangManager m;
        m.SetLangDir(path("") + "/");
        ASSERT_TRUE(m.LoadLanguages()) << c.text;
        EXPECT_EQ(m.LanguageNames(), c.names) << c.text;
        EXPECT_EQ(m.RowCount(), c.rows) << c.text;
        for (int lang = 0; lang < m.LanguageCount(); ++lang)
            EXPECT_EQ(m.Table(lang).size(), c.rows) << c.text;
    }
}

TEST_F(LangManagerTest, NoIndexFileOrEmptyFirstLineLoadsNothing) {
    TLangManager& m = manager();
    EXPECT_FALSE(m.LoadLanguages());
    writeFile("Langs.lng", "\nEnglish\n");
    EXPECT_FALSE(m.LoadLanguages());
    EXPECT_FALSE(m.Loaded());
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(m.GetText("szAnything"), "");
}

namespace {

// A manager that notes each retranslation and the language it was for.
class CountingLangManager : public TLangManager {
public:
    void RetranslateForms() override { retranslatedTo << CurrentLang(); }
    QList<int> retranslatedTo;
};

} // namespace

// A language whose message file is missing still switches the captions (they
// come from the index file); its messages are read once the file is there.
TEST_F(LangManagerTest, MissingMessageFileSwitchesCaptionsKeepsMessagesAndIsReadWhenChosenAgain) {
    writeFile("Langs.lng", "English\nRussian\n\nOpen\nОткрыть\n");
    writeFile("English.lng", "szA=english\n");
    CountingLangManager m;
    m.SetLangDir(path("") + "/");
    m.OnTranslated = [this] { ++translated; };
    ASSERT_TRUE(m.LoadLanguages());
    m.SetCurrentLang(1); // Russian.lng is missing
    EXPECT_EQ(m.CurrentLang(), 1);
    EXPECT_EQ(m.retranslatedTo, QList<int>({0, 1}));
    EXPECT_EQ(translated, 2);
    EXPECT_EQ(m.GetText("szA"), "english");
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(path("Russian.lng"))));

    writeFile("Russian.lng", "szA=русский\n");
    m.SetCurrentLang(1);
    EXPECT_EQ(m.GetText("szA"), "русский");
    EXPECT_EQ(m.retranslatedTo, QList<int>({0, 1, 1}));
    m.SetCurrentLang(1); // read now: the same language does nothing
    EXPECT_EQ(m.retranslatedTo.size(), 3);
    EXPECT_EQ(prompt.asked().size(), 1u);

    // The message comes in the messages' language when it has one.
    writeFile("Russian.lng", "szA=русский\nszLangFileUnreadable=Нет файла %s\n");
    m.SetCurrentLang(0);
    m.SetCurrentLang(1);
    QFile::remove(path("English.lng"));
    m.SetCurrentLang(0);
    EXPECT_EQ(m.CurrentLang(), 0);
    EXPECT_EQ(m.GetText("szA"), "русский");
    EXPECT_EQ(prompt.asked().back().text, "Нет файла " + QDir::toNativeSeparators(path("English.lng")));

    // Start-up goes on when even the first language's messages are missing.
    writeFile("Langs.lng", "German\n\n");
    EXPECT_TRUE(m.LoadLanguages());
    EXPECT_EQ(m.GetText("szA"), "русский");
}

// A name is joined to the language folder: one that could lead out of it is
// skipped, with its column of every row.
TEST_F(LangManagerTest, NamesThatCannotNameAFileInTheFolderAreSkipped) {
    writeFile("x.lng", "szA=outside\n");
    writeFile("sub/y.lng", "szA=below\n");
    writeFile("langs/English.lng", "szA=english\n");
    writeFile("langs/Russian.lng", "szA=русский\n");
    writeFile("langs/Langs.lng",
              "English\n../x\nsub/y\nsub\\y\nbell\x07\n..\nRussian\n\n"
              "Open\n1\n2\n3\n4\n5\nОткрыть\n-\n"
              "Close\n1\n2\n3\n4\n5\nЗакрыть\n");
    TLangManager& m = manager();
    m.SetLangDir(path("langs") + "/");
    ASSERT_TRUE(m.LoadLanguages());
    EXPECT_EQ(m.LanguageNames(), QStringList({"English", "Russian"}));
    EXPECT_EQ(m.Table(1), QStringList({"Открыть", "Закрыть"}));
    m.SetCurrentLang(1);
    EXPECT_EQ(m.GetText("szA"), "русский");
    ASSERT_EQ(prompt.asked().size(), 1u); // one message for the file
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(path("langs/Langs.lng"))));
}

// Without the empty line after the names every line would be a language; a
// file whose every name is skipped names none.
TEST_F(LangManagerTest, DamagedIndexWithoutLanguagesKeepsWhatWasLoaded) {
    writeFile("Langs.lng", "English\nRussian\n\nOpen\nОткрыть\n");
    writeFile("English.lng", "szA=english\n");
    writeFile("Russian.lng", "szA=русский\n");
    TLangManager& m = manager();
    ASSERT_TRUE(m.LoadLanguages());
    m.SetCurrentLang(1);

    for (const char* text : {"English\nRussian\nOpen\nОткрыть\n-\n", "English\n", "../x\n\nOpen\n"}) {
        writeFile("Langs.lng", text);
        EXPECT_FALSE(m.LoadLanguages()) << text;
        EXPECT_EQ(m.LanguageNames(), QStringList({"English", "Russian"}));
        EXPECT_EQ(m.Table(1), QStringList({"Открыть"}));
        EXPECT_EQ(m.CurrentLang(), 1);
        EXPECT_EQ(m.GetText("szA"), "русский");
        ASSERT_FALSE(prompt.asked().empty()) << text;
        EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(path("Langs.lng")))) << text;
    }
    EXPECT_EQ(prompt.asked().size(), 3u);
    EXPECT_EQ(loaded, 1);

    TLangManager fresh;
    fresh.SetLangDir(path("") + "/");
    EXPECT_FALSE(fresh.LoadLanguages());
    EXPECT_FALSE(fresh.Loaded());
    EXPECT_EQ(prompt.asked().size(), 4u);
}

// Language files edited on Windows are Windows-1251; UTF-8 ones may start
// with a byte-order mark.
TEST_F(LangManagerTest, FilesAreUtf8WhenValidElseWindows1251) {
    writeFile("Langs.lng", "English\r\nRussian\r\n\r\nOpen\r\n\xCE\xF2\xEA\xF0\xFB\xF2\xFC\r\n-\r\n");
    writeFile("English.lng", "\xEF\xBB\xBFszA=caf\xC3\xA9\r\n");
    writeFile("Russian.lng", "szA=\xEF\xE5\xF0\xE2\xFB\xE9\r\nszB=\xC0 \xE0\r\n");
    TLangManager& m = manager();
    ASSERT_TRUE(m.LoadLanguages());
    EXPECT_EQ(m.Table(1), QStringList({"Открыть"}));
    EXPECT_EQ(m.GetText("szA"), "café");
    m.SetCurrentLang(1);
    EXPECT_EQ(m.GetText("szA"), "первый");
    EXPECT_EQ(m.GetText("szB"), "А а");
}

TEST_F(LangManagerTest, ShippedLanguagesLoadWithTheSameKeys) {
    TLangManager m;
    m.SetLangDir(test::binDir() + "Langs/");
    ASSERT_TRUE(m.LoadLanguages());
    ASSERT_EQ(m.LanguageNames(), QStringList({"English", "Russian"}));
    EXPECT_GT(m.RowCount(), 0);
    QStringList english;
    for (const QString& line : m.Messages())
        english << line.section('=', 0, 0);
    EXPECT_GE(english.size(), 76);
    m.SetCurrentLang(1);
    QStringList russian;
    for (const QString& line : m.Messages())
        russian << line.section('=', 0, 0);
    EXPECT_EQ(english, russian);
    EXPECT_EQ(m.GetText("szConfirmation"), "Подтверждение");
    EXPECT_TRUE(prompt.asked().empty());
}
