#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "options/backupbrowser.h"
#include "options/shfileop.h"
#include "platform/appdirs.h"
#include "services/backupmanager.h"
#include "tests/support/qtprint.h"
#include "tests/options/trashhome.h"
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
    struct Case {
        QString path;
        bool restorable;
    };
    const Case cases[] = {
        {copy, true},
        {stray, false},
        {QFileInfo(copy).absolutePath(), false}, // a folder
        {path("work/a.txt.001"), false},         // outside the backup folder
    };
    for (const Case& c : cases) {
        EXPECT_EQ(browser.CanRestore(c.path), c.restorable) << c.path.toStdString();
        if (!c.restorable) {
            EXPECT_FALSE(browser.Restore(c.path, true)) << c.path.toStdString();
        }
    }
    EXPECT_TRUE(browser.CanDelete(store.BackupFolder()));
    EXPECT_TRUE(prompt.asked().empty());
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
    for (const QString& folder : {QDir::rootPath(), QDir::homePath(), dir_.path(), homeDir()}) {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_TRUE(TBackupBrowser::Protected(folder));
    }
    EXPECT_FALSE(TBackupBrowser::Protected(path("home/Backup")));
    // The program's home holds the backup folder, not the other way round.
    store.SetBackupFolder(dir_.path());
    EXPECT_FALSE(browser.DeleteAll());
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].icon, Icon::Error);
    EXPECT_TRUE(QFileInfo(dir_.path()).isDir());
}

} // namespace
