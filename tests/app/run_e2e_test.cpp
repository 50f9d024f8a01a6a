// The processing run end to end: the real engine, processing-window
// controller, code pages, language files and backup store, over real files,
// answered from a script.

#include "app/processrun.h"
#include "engine/codepages.h"
#include "engine/processstate.h"
#include "platform/cp1251.h"
#include "platform/format.h"
#include "services/backupmanager.h"
#include "services/langmanager.h"
#include "tests/app/runfixture.h"

#include <QDirIterator>

using namespace bw::test;

namespace {

class RunEndToEnd : public RunTest {
protected:
    RunEndToEnd() {
        langs.SetLangDir(binDir() + "Langs/");
        EXPECT_TRUE(langs.LoadLanguages());
        source = [this](const QString& key) { return langs.GetText(key); };
        backupStore.SetBackupFolder(path("backup"));
        backupStore.SetMaxBackupCount(5);
        backupStore.LangManager = &langs;
        backup = [this](const QString& p) { return backupStore.MakeBackup(p); };
    }

    QString T(const char* key) const { return langs.GetText(key); }
    // Backup copies made below the backup folder.
    QStringList Copies() const {
        QStringList found;
        QDirIterator it(path("backup"), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QFileInfo(it.next()).fileName();
        found.sort();
        return found;
    }

    TLangManager langs;
    TBackupManager backupStore;
};

} // namespace

TEST_F(RunEndToEnd, PatternRuleWithAnswersReportAndBackups) {
    const QString a = AddFile("site/a.htm", "id=1 id=22\r\nid=333\r\n");
    const QString b = AddFile("site/b.htm", "id=4\nid=5\n");
    const QString c = AddFile("site/c.htm", "nothing here\n");
    AddRule(ReplaceRule("id=[D1]", "ID:[1B]", "Win-1251", true));
    host.rules[0].second.Source.sbAS = host.rules[0].second.Target.tbAS = true;
    // a: No, then Yes to File; b: Yes, then No.
    view.script = {Answer(&TProcessController::No), Answer(&TProcessController::YesToFile),
                   Answer(&TProcessController::Yes), Answer(&TProcessController::No)};
    run.AStartExecute();

    EXPECT_EQ(readFile(a), "id=1 ID:22\r\nID:333\r\n");
    EXPECT_EQ(readFile(b), "ID:4\nid=5\n");
    EXPECT_EQ(readFile(c), "nothing here\n");
    EXPECT_EQ(view.shows, 4);
    EXPECT_EQ(Copies(), (QStringList{"a.htm.000", "b.htm.000"}));

    const auto fmt = [&](const char* key, const QVariantList& args) { return bw::format(T(key), args); };
    EXPECT_EQ(report.Lines(), (QStringList{T("szReport"), fmt("szProcessed", {3, 3}), fmt("szChanged", {2, 3}),
                                           fmt("szChanging", {3, 5}), "", T("szReportPlus"),
                                           fmt("szChangedFile", {a, 2, 3}), fmt("szChangedFile", {b, 1, 2}),
                                           fmt("szNotChangedFile1", {c, 0})}));
    EXPECT_EQ(host.title, "Brindlewick");
}

TEST_F(RunEndToEnd, CodePagesAutomaticAndSavedBack) {
    const std::string text1251 = "\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0 \xE8 \xF1\xEB\xEE\xE2\xEE \xEC\xE8\xF0"; // привет мир и слово мир
    const std::string expected1251 = "\xEF\xF0\xE8\xE2\xE5\xF2 \xCC\xC8\xD0 \xE8 \xF1\xEB\xEE\xE2\xEE \xCC\xC8\xD0";
    const auto encode = [](const std::string& t, int page) {
        TConversionContext ctx;
        return ConvertText(t, FindConversion(cpWin1251, page), ctx);
    };
    const QString koi = AddFile("koi.txt", encode(text1251, cpKOI8R));
    const QString utf = AddFile("utf.txt", "\xEF\xBB\xBF" + encode(text1251, cpUTF8)); // with a byte-order mark
    const QString win = AddFile("win.txt", text1251);
    AddRule(ReplaceRule(bw::decode1251("\xEC\xE8\xF0"), bw::decode1251("\xCC\xC8\xD0"), "Automatic"));
    run.AStartExecute();
    EXPECT_EQ(readFile(koi), encode(expected1251, cpKOI8R));
    EXPECT_EQ(readFile(utf), "\xEF\xBB\xBF" + encode(expected1251, cpUTF8));
    EXPECT_EQ(readFile(win), expected1251);
    // Changes made without confirmation are backed up too, once per file.
    EXPECT_EQ(Copies(), (QStringList{"koi.txt.000", "utf.txt.000", "win.txt.000"}));
}

// The conversion pass in Russian: the file is copied first, then converted,
// with the translated line.
TEST_F(RunEndToEnd, ConversionPassInRussian) {
    langs.SetCurrentLang(1);
    const QString f = AddFile("f.txt", "\xC0 x");
    host.options.SR = false;
    host.options.Convert = true;
    host.scheme.AddStep(FindConversion(cpWin1251, cp866));
    run.AStartExecute();
    EXPECT_EQ(readFile(f), "\x80 x");
    EXPECT_EQ(report.Lines().mid(0, 2), (QStringList{T("szReport"), bw::format(T("szProcessed"), {1, 1})}));
    EXPECT_EQ(report.Lines().last(), bw::format(T("szConvertedFile"), {f, "Win-1251 -> 866"}));
    EXPECT_EQ(Copies(), QStringList{"f.txt.000"});
}

TEST_F(RunEndToEnd, TheRunsOwnLinesAreTranslatedInEveryLanguage) {
    for (int lang = 0; lang < langs.LanguageCount(); ++lang) {
        langs.SetCurrentLang(lang);
        for (const char* key : {"szFileNotSaved", "szFileLossyNotSaved", "szPassLimitReached", "szUnknownCodePage",
                                "szConvertLossy", "szConvertNotSaved", "szBackupAbortedSkipped", "szRenameFailed",
                                "szFileChangedSinceRead", "szAlsoSavedEarlier", "szBackupFailedUnchanged",
                                "szOutOfMemory"})
            EXPECT_TRUE(T(key).contains("%s")) << key << " in language " << lang;
    }
}

// Backup copies that cannot be made, under a standing Yes to All: the store
// asks once per file. Abort leaves that file unchanged with one line and the
// run goes on; Ignore changes the next file without a copy.
TEST_F(RunEndToEnd, AFailingBackupIsAskedAboutOncePerFile) {
    const QString a = AddFile("a.txt", "x x x x x x x x x x");
    const QString b = AddFile("b.txt", "x x");
    AddRule(ReplaceRule("x", "y"));
    // A file where the copies' folder would have to be made.
    const QString relative = QDir::fromNativeSeparators(a).section(u'/', 0, 0, QString::SectionSkipEmpty);
    writeFile("backup/" + relative, "in the way");
    prompt.push(bw::Answer::Abort);
    prompt.push(bw::Answer::Ignore);
    run.AStartExecute();
    EXPECT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(readFile(a), "x x x x x x x x x x");
    EXPECT_EQ(readFile(b), "y y");
    EXPECT_EQ(report.Lines().last(), bw::format(T("szChangedFile"), {b, 2, 2}));
    EXPECT_TRUE(report.Lines().contains(bw::format(T("szBackupFailedUnchanged"), {a}))) << report.Text().toStdString();
    EXPECT_FALSE(run.Running());
}
