#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>

#include "options/ui/fbackupmanager.h"
#include "services/backupmanager.h"
#include "services/ui/datamodule.h"
#include "tests/support/qtprint.h"
#include "tests/options/trashhome.h"
#include "tests/support/uitest.h"
#include "tests/support/screens.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

class FBackupManagerTest : public test::TempDirTest {
protected:
    FBackupManagerTest() {
        bw::test::useShippedLanguages(*dm.LangManager);
        dm.BackupManager->SetBackupFolder(path("Backup"));
        dm.BackupManager->SetMaxBackupCount(10);
        copy = backupOf("work/page.htm", "old text");
    }
    // Lets the store copy a file as a run would and returns the copy's path.
    QString backupOf(const QString& name, const std::string& text) {
        const QString file = writeFile(name, text);
        const QString backup = dm.BackupManager->NextBackupName(file);
        EXPECT_TRUE(dm.BackupManager->CopyToBackup(file, backup));
        return backup;
    }
    // Shows the window and waits until the tree shows the path.
    bool showing(const QString& p) {
        if (!window.isVisible())
            window.show();
        return test::waitUntil([&] { return window.SelectPath(p); });
    }

    test::TrashHome trash{dir_.path()};
    TDMDataModule dm;
    TFBackupManager window{*dm.BackupManager, dm.LangManager};
    QString copy;
};

TEST_F(FBackupManagerTest, ActionsFollowTheSelection) {
    EXPECT_FALSE(window.ADeleteAll->isEnabled()); // nothing read before the first showing

    ASSERT_TRUE(showing(window.Browser().Root()));
    EXPECT_FALSE(window.ARestore->isEnabled());
    EXPECT_TRUE(window.ADelete->isEnabled());
    EXPECT_TRUE(window.ADeleteAll->isEnabled());

    ASSERT_TRUE(showing(QFileInfo(copy).absolutePath()));
    EXPECT_FALSE(window.ARestore->isEnabled()); // a folder
    ASSERT_TRUE(showing(copy));
    EXPECT_TRUE(window.ARestore->isEnabled());

    window.AOptions->trigger();
    EXPECT_FALSE(window.POptions->isVisible());
    window.AOptions->trigger();
    EXPECT_TRUE(window.POptions->isVisible());
    test::saveScreen(window, "backupmanager_en");

    window.AClose->trigger();
    EXPECT_FALSE(window.isVisible());
}

// A click makes its item current before it selects it: the actions and the
// status bar follow the selection as it stands after each click, key or call.
TEST_F(FBackupManagerTest, ActionsFollowTheMouseTheKeysAndCalls) {
    const QString folder = QFileInfo(copy).absolutePath();
    QTreeView* view = window.ShellTreeView;
    ASSERT_TRUE(showing(copy));
    const QPersistentModelIndex copyRow = view->currentIndex();
    ASSERT_TRUE(showing(folder));
    const QPersistentModelIndex folderRow = view->currentIndex();
    auto click = [view](const QModelIndex& row, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, keys, view->visualRect(row).center());
    };
    struct Case {
        const char* name;
        std::function<void()> act;
        QString selected;
    };
    const Case cases[] = {
        {"click the copy", [&] { click(copyRow); }, copy},
        {"click its folder", [&] { click(folderRow); }, folder},
        {"Down to the copy", [&] { QTest::keyClick(view, Qt::Key_Down); }, copy},
        {"Ctrl+click takes the selection away", [&] { click(copyRow, Qt::ControlModifier); }, QString()},
        {"selected by a call, the current row unmoved",
         [&] { view->selectionModel()->select(copyRow, QItemSelectionModel::ClearAndSelect); }, copy},
        {"click the folder again", [&] { click(folderRow); }, folder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        QCoreApplication::processEvents();
        EXPECT_EQ(window.SelectedPath(), c.selected);
        EXPECT_EQ(window.ARestore->isEnabled(), c.selected == copy);
        EXPECT_EQ(window.ADelete->isEnabled(), !c.selected.isEmpty());
        EXPECT_EQ(window.statusBar()->currentMessage(), QDir::toNativeSeparators(c.selected));
    }
}

// Exit closes every window: the program must end also while the browser is
// open, and the browser, closed, is only hidden (never deleted).
TEST_F(FBackupManagerTest, ClosingOnlyHidesItAndLetsTheProgramEnd) {
    QWidget main;
    main.show();
    ASSERT_TRUE(showing(copy));
    QTimer::singleShot(0, &main, [&] {
        main.close();
        QApplication::closeAllWindows();
    });
    QTimer::singleShot(3000, &main, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FBackupManagerTest, RestoreByTheToolbarOrByDragging) {
    writeFile("work/page.htm", "new text");
    ASSERT_TRUE(showing(copy));
    window.CBDeleteOnRestore->setChecked(false);
    prompt.push(Answer::Yes);
    window.ARestore->trigger();
    EXPECT_EQ(readFile(path("work/page.htm")), "old text");
    EXPECT_TRUE(exists(copy));

    const QString second = backupOf("work/other.txt", "x");
    QFile::remove(path("work/other.txt"));
    window.CBDeleteOnRestore->setChecked(true);
    window.CBDragAsRestore->setChecked(true);
    ASSERT_TRUE(showing(second));
    ASSERT_TRUE(window.ShellTreeViewStartDrag());
    EXPECT_EQ(readFile(path("work/other.txt")), "x");
    EXPECT_FALSE(exists(second));
}

TEST_F(FBackupManagerTest, ChangesShowOnTheNextShowingAndAVanishedFolderIsHarmless) {
    ASSERT_TRUE(showing(copy));
    window.AClose->trigger();
    const QString later = backupOf("work/late.txt", "late");
    EXPECT_TRUE(test::waitUntil([&] { return window.Browser().RefreshNeeded; }));
    ASSERT_TRUE(showing(later));
    EXPECT_FALSE(window.Browser().RefreshNeeded);

    // The whole folder goes while shown: nothing is left to act on.
    QDir(window.Browser().Root()).removeRecursively();
    EXPECT_TRUE(test::waitUntil([&] { return !window.HasNodes(); }));
    window.ARefresh->trigger();
    EXPECT_FALSE(window.HasNodes());
    EXPECT_FALSE(window.ARestore->isEnabled());
    EXPECT_FALSE(window.ADelete->isEnabled());
    EXPECT_FALSE(window.ADeleteAll->isEnabled());
    window.ADeleteAll->trigger();
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(FBackupManagerTest, DeleteAllTakesTheFolderAndTheNextCopyMakesItAgain) {
    ASSERT_TRUE(showing(copy));
    prompt.push(Answer::Yes);
    window.ADeleteAll->trigger();
    EXPECT_FALSE(QFileInfo::exists(window.Browser().Root()));
    EXPECT_TRUE(prompt.asked().back().text.contains(QDir::toNativeSeparators(path("Backup"))));
    backupOf("work/again.txt", "a");
    EXPECT_TRUE(QFileInfo(window.Browser().Root()).isDir());
}

TEST_F(FBackupManagerTest, RussianPicture) {
    dm.LangManager->RegisterForm(&window, 0);
    dm.LangManager->SetCurrentLang(1);
    ASSERT_TRUE(showing(copy));
    EXPECT_EQ(window.windowTitle(), "Резервные копии");
    test::saveScreen(window, "backupmanager_ru");
    window.resize(window.minimumSize());
    test::saveScreen(window, "backupmanager_min_ru");
}

} // namespace
