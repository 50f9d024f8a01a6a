#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "options/backupbrowser.h"
#include "options/shfileop.h"
#include "platform/appdirs.h"
#include "platform/trash.h"
#include "services/backupmanager.h"
#include "tests/support/qtprint.h"
#include "services/langmanager.h"
#include "tests/options/trashhome.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class BackupBrowserTest : public test::TempDirTest {
protected:
    BackupBrowserTest() {
        store.SetBackupFolder(path("home/Backup"));
        store.SetMaxBackupCount(5);
    }
    // A numbered copy of a file below the work folder, with its text.
    QString copyOf(const QString& name, int number, const std::string& text) {
        const QString original = path("work/" + name);
        const QString copy = store.BackupFolder() + original.mid(1) + QStringLiteral(".%1").arg(number, 3, 10, QChar('0'));
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile f(copy);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        return copy;
    }

    test::TrashHome trash{dir_.path()};
    TBackupManager store;
    TBackupBrowser browser{store};
};

TEST_F(BackupBrowserTest, RestoreOnlyNumberedCopies) {
    const QString copy = copyOf("a.txt", 0, "old");
    const QString stray = writeFile("home/Backup/stray.txt", "x");
    // Only regular files reached without a link are copies (a link to a file
    // outside, a copy through a linked folder and a pipe are not), and names
    // no copy takes would restore over a folder or another file.
    const QString below = QFileInfo(copy).absolutePath() + "/";
    const QString link = below + "l.txt.000";
    QFile::link(writeFile("elsewhere/secret.txt", "secret"), link);
    writeFile("elsewhere/folder/b.txt.000", "through a link");
    QFile::link(path("elsewhere/folder"), below + "linked");
    ASSERT_EQ(::mkfifo(QFile::encodeName(below + "p.txt.000").constData(), 0600), 0);
    writeFile("work/l.txt", "mine");
    struct Case {
        QString path;
        bool restorable;
    };
    const Case cases[] = {
        {copy, true},
        {stray, false},
        {QFileInfo(copy).absolutePath(), false}, // a folder
        {path("work/a.txt.001"), false},         // outside the backup folder
        {link, false},
        {below + "linked/b.txt.000", false},
        {below + "p.txt.000", false},
        {writeFile(below + ".000", "x"), false},  // would be the folder work
        {writeFile(below + "..000", "x"), false}, // would be the folder above it
        {writeFile(below + "...000", "x"), false},
        {writeFile(below + "l.txt.000\n", "x"), false}, // would be work/l.txt
        {writeFile(below + ".a.000", "x"), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(browser.CanRestore(c.path), c.restorable) << c.path.toStdString();
        if (!c.restorable) {
            EXPECT_FALSE(browser.Restore(c.path, true)) << c.path.toStdString();
        }
    }
    EXPECT_TRUE(browser.CanDelete(store.BackupFolder()));
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_FALSE(QFileInfo(path("work/l.txt")).isSymLink());
    EXPECT_EQ(readFile(path("work/l.txt")), "mine");

    // Nor does the file operation itself put a link in place.
    EXPECT_FALSE(TSHFileOp().CopyOrMove(link, path("work/l2.txt"), true));
    EXPECT_FALSE(QFileInfo(path("work/l2.txt")).isSymLink());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

// Restoring never loses the file in place: it is replaced only after a
// question and goes to the trash; a missing folder is made again.
TEST_F(BackupBrowserTest, RestorePutsTheCopyBack) {
    struct Case {
        const char* name;
        bool move;
        bool targetExists;
        Answer answer;
        bool restored;
    };
    const Case cases[] = {
        {"move into a vanished folder", true, false, Answer::None, true},
        {"copy into a vanished folder", false, false, Answer::None, true},
        {"replace, No", true, true, Answer::No, false},
        {"replace, Yes", true, true, Answer::Yes, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QStringLiteral("dir%1/sub/f.txt").arg(n++);
        const QString copy = copyOf(name, 2, "copy");
        const QString target = path("work/" + name);
        if (c.targetExists)
            writeFile("work/" + name, "current");
        const std::size_t before = prompt.asked().size();
        if (c.answer != Answer::None)
            prompt.push(c.answer);
        EXPECT_EQ(browser.Restore(copy, c.move), c.restored);
        EXPECT_EQ(prompt.asked().size() - before, c.targetExists ? 1u : 0u);
        if (c.targetExists) {
            EXPECT_EQ(prompt.asked().back().caption, "Brindlewick - extracting backup");
        }
        EXPECT_EQ(readFile(target), c.restored ? "copy" : "current");
        EXPECT_EQ(exists(copy), !(c.restored && c.move));
        // No new copies: the series being restored keeps its numbers.
        EXPECT_FALSE(exists(QFileInfo(copy).absolutePath() + "/f.txt.000"));
        if (c.targetExists && c.restored) {
            EXPECT_EQ(readFile(trash.trashed("f.txt")), "current");
        }
    }
}

// Where the trash cannot take the file in place, Restore says why and asks
// whether to replace it for good, as Delete does; No keeps everything.
TEST_F(BackupBrowserTest, RestoreWhereTheTrashRefusesAsksToReplaceForGood) {
    struct Case {
        const char* name;
        bool move;
        bool targetIsLink;
        Answer forGood;
    };
    const Case cases[] = {
        {"move, No", true, false, Answer::No},
        {"move, Yes", true, false, Answer::Yes},
        {"copy, Yes", false, false, Answer::Yes},
        {"copy over a link, Yes", false, true, Answer::Yes},
    };
    trash.block();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QStringLiteral("r%1.txt").arg(n++);
        const QString copy = copyOf(name, 0, "copy");
        const QString target = path("work/" + name);
        const QString pointee = writeFile("elsewhere/" + name, "pointee");
        if (c.targetIsLink)
            QFile::link(pointee, target);
        else
            writeFile("work/" + name, "current");
        const std::string before = readFile(target);
        const std::size_t asked = prompt.asked().size();
        prompt.push(Answer::Yes);
        prompt.push(c.forGood);
        const bool replaced = c.forGood == Answer::Yes;
        EXPECT_EQ(browser.Restore(copy, c.move), replaced);
        ASSERT_EQ(prompt.asked().size() - asked, 2u);
        const auto& second = prompt.asked().back();
        EXPECT_EQ(second.icon, Icon::Warning);
        EXPECT_TRUE(second.text.contains("Delete it for good?\n\nReason: " +
                                         QDir::toNativeSeparators(path("user/data/Trash"))))
            << second.text.toStdString();
        EXPECT_EQ(readFile(target), replaced ? "copy" : before);
        EXPECT_EQ(QFileInfo(target).isSymLink(), c.targetIsLink && !replaced);
        EXPECT_EQ(exists(copy), !(replaced && c.move));
        EXPECT_EQ(readFile(pointee), "pointee");
    }
    // Nothing is left beside the files put back.
    EXPECT_EQ(filesIn(path("work")), QStringList({"r0.txt", "r1.txt", "r2.txt", "r3.txt"}));
}

// A copy that cannot be written whole (a file-size limit in a child process)
// leaves the file in place as it was: taken back from the trash, or never
// touched where it was to be replaced for good; nothing is left behind.
TEST_F(BackupBrowserTest, ARestoreCutShortLeavesTheFileAsItWas) {
    const std::string big(64 * 1024, 'c');
    for (const bool trashWorks : {true, false}) {
        SCOPED_TRACE(trashWorks ? "file in the trash" : "to be replaced for good");
        const QString copy = copyOf(trashWorks ? "w1.txt" : "w2.txt", 0, big);
        const QString target = writeFile(trashWorks ? "work/w1.txt" : "work/w2.txt", "current");
        if (!trashWorks)
            trash.block();
        EXPECT_EXIT(
            {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{};
                limit.rlim_cur = 4096;
                limit.rlim_max = RLIM_INFINITY;
                ::setrlimit(RLIMIT_FSIZE, &limit);
                prompt.push(Answer::Yes);
                prompt.push(Answer::Yes);
                std::_Exit(test::firstFailed({!browser.Restore(copy, false), readFile(target) == "current",
                                              readFile(copy) == big,
                                              filesIn(QFileInfo(target).absolutePath()).size() == 1,
                                              !trashWorks || QDir(trash.infoFolder()).isEmpty(),
                                              !prompt.asked().empty() && prompt.asked().back().icon == Icon::Error}));
            },
            ::testing::ExitedWithCode(0), "");
        QFile::remove(target);
    }
}

TEST_F(BackupBrowserTest, RestoreThatCannotWriteKeepsEverything) {
    const QString copy = copyOf("blocked/f.txt", 0, "copy");
    // A file where the target's folder should be: the folder cannot be made.
    writeFile("work/blocked", "a file, not a folder");
    EXPECT_FALSE(browser.Restore(copy, true));
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].icon, Icon::Error);
    EXPECT_EQ(readFile(copy), "copy");
    EXPECT_EQ(readFile(path("work/blocked")), "a file, not a folder");
}

// In Russian the browser asks under Russian titles: a restore over a file and a delete.
TEST_F(BackupBrowserTest, QuestionTitlesInRussian) {
    TLangManager lm;
    ASSERT_TRUE(test::useShippedLanguages(lm, 1));
    TBackupBrowser russian{store, &lm};
    writeFile("work/r.txt", "current");
    prompt.push(Answer::No);
    prompt.push(Answer::No);
    EXPECT_FALSE(russian.Restore(copyOf("r.txt", 0, "copy"), true));
    EXPECT_FALSE(russian.Delete(copyOf("d.txt", 0, "copy")));
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].caption, QString::fromUtf8("Brindlewick - извлечение резервной копии"));
    EXPECT_EQ(prompt.asked()[1].caption, QString::fromUtf8("Brindlewick - удаление"));
}

TEST_F(BackupBrowserTest, DeleteAsksAndUsesTheTrash) {
    const QString copy = copyOf("d.txt", 0, "copy");
    prompt.push(Answer::No);
    EXPECT_FALSE(browser.Delete(copy));
    EXPECT_TRUE(exists(copy));
    EXPECT_EQ(prompt.asked()[0].caption, "Brindlewick - delete");
    EXPECT_TRUE(prompt.asked()[0].text.contains(QDir::toNativeSeparators(copy)));

    prompt.push(Answer::Yes);
    EXPECT_TRUE(browser.Delete(copy));
    EXPECT_FALSE(exists(copy));
    EXPECT_EQ(readFile(trash.trashed("d.txt.000")), "copy");

    // Delete with the backup folder selected is Delete All, asked as such.
    prompt.push(Answer::Yes);
    EXPECT_TRUE(browser.Delete(store.BackupFolder()));
    EXPECT_FALSE(exists(store.BackupFolder()));
    EXPECT_TRUE(prompt.asked().back().text.contains("every copy"));
}

TEST_F(BackupBrowserTest, WhatTheTrashRefusesGoesOnlyAfterASecondQuestion) {
    const QString copy = copyOf("t.txt", 0, "copy");
    trash.block();
    prompt.push(Answer::Yes);
    prompt.push(Answer::No);
    EXPECT_FALSE(browser.Delete(copy));
    EXPECT_TRUE(exists(copy));
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[1].icon, Icon::Warning);

    prompt.push(Answer::Yes);
    prompt.push(Answer::Yes);
    EXPECT_TRUE(browser.DeleteAll());
    EXPECT_FALSE(exists(store.BackupFolder()));
}

TEST_F(BackupBrowserTest, DeleteAllRefusesFoldersHoldingMoreThanCopies) {
    // The data folder (the test's folder here) is not the program's folder
    // (the test's executable folder): both are kept, also by way of a link.
    ASSERT_NE(QDir::cleanPath(homeDir()), QDir::cleanPath(appDir()));
    const QString programParent = QFileInfo(appDir() + "..").absoluteFilePath();
    QFile::link(programParent, path("build-link"));
    for (const QString& folder : {QDir::rootPath(), QDir::homePath(), dir_.path(), homeDir(), appDir(),
                                  programParent, path("build-link")}) {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_TRUE(TBackupBrowser::Protected(folder));
    }
    EXPECT_FALSE(TBackupBrowser::Protected(path("home/Backup")));
    EXPECT_FALSE(TBackupBrowser::Protected(appDir() + "Backup"));
    // The program's home holds the backup folder, not the other way round.
    store.SetBackupFolder(dir_.path());
    EXPECT_FALSE(browser.DeleteAll());
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].icon, Icon::Error);
    EXPECT_TRUE(QFileInfo(dir_.path()).isDir());
}

} // namespace

// With the trash below the backup folder, neither the trash nor its folders
// go anywhere, not even for good: they hold every trashed item's record.
TEST_F(BackupBrowserTest, TheTrashBelowTheBackupFolderIsNotDeleted) {
    const QString data = QFileInfo(trash.trashFolder()).absolutePath() + "/..";
    store.SetBackupFolder(QDir::cleanPath(data));
    writeFile("work/t.txt", "t");
    ASSERT_TRUE(bw::moveToTrash(path("work/t.txt")));
    const QString trashRoot = QDir::cleanPath(data + "/Trash");
    for (const QString& folder : {trashRoot + "/info", trashRoot + "/files", trashRoot, store.BackupFolder()}) {
        ScriptedPrompt yes{Answer::Yes, Answer::Yes};
        ScopedPrompt scope(yes);
        EXPECT_FALSE(browser.Delete(folder)) << folder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
        ASSERT_EQ(yes.asked().size(), 1u) << folder.toStdString();
        EXPECT_EQ(yes.asked()[0].icon, Icon::Error) << yes.asked()[0].text.toStdString();
    }
    EXPECT_EQ(readFile(trash.trashed("t.txt")), "t");
}
