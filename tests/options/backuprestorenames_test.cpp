#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "options/backupbrowser.h"
#include "services/backupmanager.h"
#include "tests/options/trashhome.h"
#include "tests/support/qtprint.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class BackupRestoreNamesTest : public test::TempDirTest {
protected:
    BackupRestoreNamesTest() {
        store.SetBackupFolder(path("home/Backup"));
        store.SetMaxBackupCount(5);
    }
    test::TrashHome trash{dir_.path()};
    TBackupManager store;
    TBackupBrowser browser{store};
};

// Files in the backup folder whose names no copy ever takes would restore
// over a folder or over another file: the browser offers no Restore.
TEST_F(BackupRestoreNamesTest, NamesNoCopyTakesAreNotRestored) {
    const QString below = store.BackupFolder() + path("work").mid(1) + "/";
    struct Case {
        QString name;
        bool restorable;
    };
    const Case cases[] = {
        {"a.txt.000", true},
        {".a.000", true},
        {".000", false},
        {"..000", false},
        {"...000", false},
        {"a.txt.000\n", false},
    };
    for (const Case& c : cases) {
        const QString copy = writeFile(below + c.name, "copy");
        ASSERT_TRUE(QFileInfo(copy).isFile()) << copy.toStdString();
        EXPECT_EQ(browser.CanRestore(copy), c.restorable) << copy.toStdString();
        if (!c.restorable) {
            EXPECT_FALSE(browser.Restore(copy, false)) << copy.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(path("work")));
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
