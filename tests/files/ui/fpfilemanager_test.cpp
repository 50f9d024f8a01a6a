#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcutEvent>
#include <QToolBar>
#include <QToolButton>

#include "engine/processengine.h"
#include "engine/processstate.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "files/filetree.h"
#include "tests/files/filestest.h"
#include "files/ui/ffilefilter.h"
#include "files/ui/filetreemodel.h"
#include "files/ui/fofiles.h"
#include "files/ui/fpfilemanager.h"
#include "files/ui/fselectfolder.h"
#include "files/ui/fvtvfiles.h"
#include "platform/inifile.h"
#include "platform/ui/chooser.h"
#include "services/ui/datamodule.h"
#include "tests/support/screens.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

namespace {

class FileManagerTest : public bw::test::TempDirTest {
protected:
    FileManagerTest() {
        bw::test::useShippedLanguages(*dm.LangManager);
        dm.LangManager->RegisterForm(&dialog, 0);
        dm.LangManager->RegisterForm(&page, 0);
        writeFile("site/index.htm", "<p>");
        writeFile("site/notes.txt", "notes");
        writeFile("site/sub/deep.txt", "deep");
        writeFile("site/sub/skip.bin", "bin");
        writeFile("other/a.txt", "a");
        page.resize(640, 420);
        page.show();
        page.SetProcessWindow(&window, &engine);
        window.FillCodePages(&pages);
        ProcessModes.Clear();
        // The one folder dialog is this test's, not one an earlier test freed.
        EXPECT_EQ(FSelectFolder, &dialog);
    }
    ~FileManagerTest() override {
        TFSelectFolder::ExecHook = nullptr;
        TFPFileManager::ShowProcessHook = nullptr;
    }

    TFileVTreeView& tree() { return page.Tree(); }
    TFFileFilter& include() { return *dialog.FOFiles1->FInclude; }

    // The folder dialog answers OK on `folder` with only the checked masks
    // (none = every file) and subfolders as given.
    void answerFolder(const QString& folder, const QStringList& masks, bool subfolders) {
        TFSelectFolder::ExecHook = [this, folder, masks, subfolders](TFSelectFolder& d) {
            ++dialogs;
            lastCaption = d.windowTitle();
            include().CBMasks->setChecked(!masks.isEmpty());
            for (int i = 0; i < include().CLBMasks->count(); ++i)
                include().CLBMasks->SetChecked(i, masks.contains(include().CLBMasks->ItemText(i)));
            d.CBSubFolders->setChecked(subfolders);
            if (!d.PFolder->isHidden())
                d.SelectTreePath(folder);
            d.BOk->click();
            return d.result();
        };
    }
    void cancelFolder() {
        TFSelectFolder::ExecHook = [this](TFSelectFolder& d) {
            ++dialogs;
            lastCaption = d.windowTitle();
            shownMasks.clear();
            for (int i = 0; i < include().CLBMasks->count(); ++i)
                if (include().CLBMasks->Checked(i))
                    shownMasks << include().CLBMasks->ItemText(i);
            shownSubfolders = d.CBSubFolders->isChecked();
            d.BCancel->click();
            return d.result();
        };
    }

    // Clicks the tool button of an action, as the user does.
    void click(QAction* a) {
        QToolBar* bar = page.ATBFileManager->widgetForAction(a) ? page.ATBFileManager : page.ATBFileTree;
        auto* button = qobject_cast<QAbstractButton*>(bar->widgetForAction(a));
        ASSERT_TRUE(button) << a->objectName().toStdString();
        button->click();
    }
    // Picks an item of a tool button's drop-down menu.
    void pick(QAction* dropDown, QAction* item) {
        auto* button = qobject_cast<QToolButton*>(page.ATBFileManager->widgetForAction(dropDown));
        ASSERT_TRUE(button && button->popupMode() == QToolButton::MenuButtonPopup && dropDown->menu());
        ASSERT_TRUE(dropDown->menu()->actions().contains(item));
        item->trigger();
    }
    void shortcut(QAction* a) {
        QShortcutEvent event(a->shortcut(), 0);
        QApplication::sendEvent(a, &event);
    }
    void keyUp(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(page.FVTVFiles, &event);
    }
    TFileNode* node(const QString& path) {
        TFileNode* n = tree().FindChild(nullptr, "/");
        for (const QString& p : path.split('/', Qt::SkipEmptyParts))
            n = n ? tree().FindChild(n, p) : nullptr;
        return n;
    }
    void select(const QString& path) {
        TFileNode* n = node(path);
        ASSERT_TRUE(n) << path.toStdString();
        QModelIndex at = page.FVTVFiles->Model().IndexOf(n);
        for (QModelIndex up = at.parent(); up.isValid(); up = up.parent())
            page.FVTVFiles->expand(up);
        page.FVTVFiles->setCurrentIndex(at);
    }
    QPoint rowCentre(const QString& path) {
        page.FVTVFiles->scrollTo(page.FVTVFiles->Model().IndexOf(node(path)));
        return page.FVTVFiles->visualRect(page.FVTVFiles->Model().IndexOf(node(path))).center();
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* vp = page.FVTVFiles->viewport();
        QMouseEvent event(type, at, vp->mapToGlobal(at), button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          mods);
        QApplication::sendEvent(vp, &event);
    }
    void doubleClick(const QString& path, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPoint at = rowCentre(path);
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, mods);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, mods);
        mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, mods);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, mods);
    }
    void rightClick(QPoint at) {
        mouse(QEvent::MouseButtonPress, at, Qt::RightButton);
        mouse(QEvent::MouseButtonRelease, at, Qt::RightButton);
        QWidget* vp = page.FVTVFiles->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
        QApplication::sendEvent(vp, &event);
    }
    QStringList files() {
        QStringList list;
        tree().GetFileList(list);
        for (QString& f : list)
            f = QDir(dir_.path()).relativeFilePath(f);
        return list;
    }
    QStringList checks() const {
        QStringList out;
        for (QAction* a : {page.AInclude, page.AExclude, page.AUnmark, page.ABrief, page.AFull})
            if (a->isChecked())
                out << a->objectName();
        return out;
    }
    QString lastMessage() const { return prompt.asked().empty() ? QString() : prompt.asked().back().text; }

    TDMDataModule dm;
    TFSelectFolder dialog;
    TFPFileManager page;
    bw::ScriptedChooser chooser;
    bw::ScopedChooser scopedChooser{chooser};
    TRERichEdit engine;
    TREProcessEngine processEngine{engine};
    TFProcess window{processEngine};
    TConversionCodePages pages;
    int dialogs = 0;
    QString lastCaption;
    QStringList shownMasks;
    bool shownSubfolders = false;
};

TEST_F(FileManagerTest, DropDownsEnablingAndShortcuts) {
    // Ctrl+S is the main window's Save project: no action of the page takes it.
    for (QAction* a : page.findChildren<QAction*>())
        EXPECT_NE(a->shortcut(), QKeySequence("Ctrl+S")) << a->objectName().toStdString();
    EXPECT_TRUE(page.actions().contains(page.ARemoveAll)); // its key acts while the page shows

    // An empty tree: removing, marking and expanding are off.
    for (QAction* a : {page.ARemoveAll, page.ARemoveSelected, page.ADRemove, page.AInclude, page.AExclude,
                       page.AUnmark, page.AExpand, page.ACollapse})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();

    // The drop-down buttons' own clicks: Load, Add files, Remove selected.
    click(page.ADFileList);
    click(page.ADAdd);
    ASSERT_EQ(chooser.requests().size(), 2u);
    EXPECT_FALSE(chooser.requests()[0].multiple);
    EXPECT_TRUE(chooser.requests()[1].multiple);
    EXPECT_TRUE(tree().IsEmpty()); // both cancelled

    chooser.pushFiles({path("site/notes.txt"), path("other/a.txt")});
    shortcut(page.AAddFiles);
    select(path("other/a.txt"));
    EXPECT_TRUE(page.ADRemove->isEnabled() && page.ARemoveSelected->isEnabled() && page.AInclude->isEnabled());
    click(page.ADRemove);
    EXPECT_EQ(files(), QStringList{"site/notes.txt"});
    EXPECT_FALSE(node(path("other"))); // its emptied folders went with it
    EXPECT_EQ(page.FVTVFiles->FocusedNode(), nullptr);
    EXPECT_FALSE(page.ARemoveSelected->isEnabled());
    EXPECT_TRUE(page.ADRemove->isEnabled());
}

TEST_F(FileManagerTest, ANewUserBuildsSavesReloadsAndChecksAList) {
    // A folder with a *.txt filter and its subfolders.
    answerFolder(path("site"), {"*.TXT"}, true);
    pick(page.ADAdd, page.AAddDir);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(files(), (QStringList{"site/sub/deep.txt", "site/notes.txt"}));
    EXPECT_EQ(page.FVTVFiles->Model().rowCount(), 1);

    // Full view shows the files; exclude one with the Delete key.
    click(page.AFull);
    EXPECT_EQ(checks(), QStringList{"AFull"});
    select(path("site/notes.txt"));
    EXPECT_EQ(checks(), (QStringList{"AUnmark", "AFull"}));
    keyUp(Qt::Key_Delete);
    EXPECT_EQ(checks(), (QStringList{"AExclude", "AFull"}));
    EXPECT_EQ(files(), QStringList{"site/sub/deep.txt"});

    // Saved as a structured list, emptied (after a question) and loaded again.
    chooser.pushSave(path("lists/tree.lst"));
    QDir().mkpath(path("lists"));
    pick(page.ADFileList, page.ASaveFileList);
    EXPECT_EQ(chooser.requests().back().defaultSuffix, "lst");
    prompt.push(bw::Answer::No);
    pick(page.ADRemove, page.ARemoveAll);
    EXPECT_FALSE(tree().IsEmpty());
    prompt.push(bw::Answer::Yes);
    pick(page.ADRemove, page.ARemoveAll);
    EXPECT_TRUE(tree().IsEmpty());
    chooser.pushFiles({path("lists/tree.lst")});
    shortcut(page.ALoadFileList);
    EXPECT_EQ(files(), QStringList{"site/sub/deep.txt"});
    EXPECT_EQ(node(path("site/notes.txt"))->Data.StateIndex, tree().ExcludeStateIndex);
    EXPECT_EQ(checks(), QStringList{"AFull"}); // the view the tree is in
    // A plain list holds the files to process, CR LF after each.
    chooser.pushSave(path("lists/plain.lst"));
    pick(page.ADFileList, page.ASaveFileListPlain);
    EXPECT_EQ(readFile(path("lists/plain.lst")), path("site/sub/deep.txt").toStdString() + "\r\n");

    // The list of a run comes through the page; an empty tree says so.
    QStringList run{"stale"};
    EXPECT_TRUE(page.GetFilesToProcess(run));
    EXPECT_EQ(run, QStringList{path("site/sub/deep.txt")});
    const std::size_t asked = prompt.asked().size();
    page.RemoveAll(false); // from code: no question
    EXPECT_EQ(prompt.asked().size(), asked);
    EXPECT_FALSE(page.GetFilesToProcess(run));
    EXPECT_TRUE(run.isEmpty());
    EXPECT_EQ(lastMessage(), "The list of files to process is empty.");

    // A plain list adds to what is there; Check selects the missing file.
    chooser.pushFiles({path("other/a.txt")});
    shortcut(page.AAddFiles);
    writeFile("lists/two.lst", (path("site/notes.txt") + "\r\n\n" + path("site/gone.txt")).toStdString());
    chooser.pushFiles({path("lists/two.lst")});
    pick(page.ADFileList, page.ALoadFileListPlain);
    EXPECT_EQ(files(), (QStringList{"other/a.txt", "site/notes.txt", "site/gone.txt"}));
    pick(page.ADFileList, page.ACheckFileList);
    EXPECT_EQ(page.FVTVFiles->currentIndex(), page.FVTVFiles->Model().IndexOf(node(path("site/gone.txt"))));
    shortcut(page.ARemoveSelected);
    pick(page.ADFileList, page.ACheckFileList);
    EXPECT_EQ(prompt.asked().back().text, "Every file in the list exists.");

    // The shortcut of Remove All asks too.
    prompt.push(bw::Answer::No);
    shortcut(page.ARemoveAll);
    EXPECT_FALSE(tree().IsEmpty());
    EXPECT_EQ(prompt.asked().back().text, "Remove all files and folders from the list?");
}

TEST_F(FileManagerTest, BadInputIsToldAndLosesNothing) {
    chooser.pushFiles({path("site/notes.txt")});
    page.AAddFiles->trigger();
    const QStringList before = files();
    const std::size_t asked = prompt.asked().size();

    // Cancel in every dialog changes nothing and says nothing.
    cancelFolder();
    page.AAddDir->trigger();
    for (QAction* a : {page.AAddFiles, page.ALoadFileList, page.ALoadFileListPlain, page.ASaveFileList,
                       page.ASaveFileListPlain})
        a->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(chooser.requests().size(), 6u);
    EXPECT_EQ(prompt.asked().size(), asked);
    EXPECT_EQ(files(), before);

    // Lists that do not read or cannot be written: an error each, the tree as
    // it was, no hourglass left.
    writeFile("damaged.lst", std::string("\x10\x00\x00\x00garbage that is no tree", 27));
    const QString nowhere = path("no/such/folder/x.lst");
    struct Case {
        QAction* action;
        QString file; // chosen to open, or to save into for the save actions
        const char* message; // the start of the error shown
    };
    const std::vector<Case> cases = {
        {page.ALoadFileList, path("damaged.lst"), ""},
        {page.ALoadFileListPlain, path("missing.lst"), ""},
        {page.ASaveFileList, nowhere, ""},
        {page.ASaveFileListPlain, nowhere, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action->objectName().toStdString());
        const std::size_t n = prompt.asked().size();
        if (c.action == page.ASaveFileList || c.action == page.ASaveFileListPlain)
            chooser.pushSave(c.file);
        else if (!c.file.isEmpty())
            chooser.pushFiles({c.file});
        c.action->trigger();
        ASSERT_EQ(prompt.asked().size(), n + 1);
        EXPECT_EQ(prompt.asked().back().icon, bw::Icon::Error);
        EXPECT_TRUE(lastMessage().startsWith(c.message)) << lastMessage().toStdString();
        EXPECT_EQ(files(), before);
        EXPECT_FALSE(exists(nowhere));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    // Names the tree cannot hold are told once: the first and how many.
    chooser.pushFiles({path("bad\tone.txt"), path("bad\ttwo.txt"), path("other/a.txt")});
    page.AAddFiles->trigger();
    EXPECT_EQ(lastMessage(), "\"" + path("bad\tone.txt") + "\" cannot be held in the file list; names left out: 2.");
    EXPECT_EQ(files(), (QStringList{"site/notes.txt", "other/a.txt"}));
}

TEST_F(FileManagerTest, KeysOnReleaseInTheTree) {
    chooser.pushFiles({path("site/notes.txt")});
    page.AAddFiles->trigger();
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        bool selected;
        int state;         // the mark of notes.txt afterwards (-2 = node gone)
        int addRequests;   // file choosers opened
        int folderDialogs; // folder dialogs opened
    };
    const std::vector<Case> cases = {
        {Qt::Key_Delete, Qt::NoModifier, true, 2, 0, 0},
        {Qt::Key_Insert, Qt::NoModifier, true, 1, 0, 0},
        {Qt::Key_Delete, Qt::ShiftModifier, true, 1, 0, 0},
        {Qt::Key_Delete, Qt::NoModifier, false, 1, 0, 0},
        {Qt::Key_Insert, Qt::ControlModifier, false, 1, 1, 0},
        {Qt::Key_Insert, Qt::ControlModifier | Qt::AltModifier, true, 1, 1, 0},
        {Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier, true, 1, 0, 0},
        {Qt::Key_Space, Qt::NoModifier, true, -2, 0, 0}, // unmarked in Brief: gone
    };
    cancelFolder();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " mods " << c.mods.toInt());
        const std::size_t choosers = chooser.requests().size();
        dialogs = 0;
        if (c.selected)
            select(path("site/notes.txt"));
        else
            page.FVTVFiles->SelectNode(nullptr);
        keyUp(c.key, c.mods);
        TFileNode* n = node(path("site/notes.txt"));
        EXPECT_EQ(n ? n->Data.StateIndex : -2, c.state);
        EXPECT_EQ(int(chooser.requests().size() - choosers), c.addRequests);
        EXPECT_EQ(dialogs, c.folderDialogs);
    }
    // Auto-repeated releases do nothing.
    chooser.pushFiles({path("other/a.txt")});
    page.AAddFiles->trigger();
    select(path("other/a.txt"));
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(page.FVTVFiles, &repeat);
    EXPECT_EQ(node(path("other/a.txt"))->Data.StateIndex, 1);

    // Ctrl+Right and Ctrl+Left expand and collapse every node.
    keyUp(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(page.FVTVFiles->isExpanded(page.FVTVFiles->Model().IndexOf(node(path("other")))));
    EXPECT_TRUE(node(path("other"))->Expanded());
    keyUp(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_FALSE(page.FVTVFiles->isExpanded(page.FVTVFiles->Model().IndexOf(node(path("other")))));
    EXPECT_FALSE(node(path("other"))->Expanded());
}

TEST_F(FileManagerTest, FolderSettingsMarksAndTheirChecks) {
    answerFolder(path("site"), {"*.TXT"}, true);
    page.AAddDir->trigger();
    page.AFull->trigger();

    // Include on a plain subfolder: the dialog shows the filter in force
    // there (the added folder's, its Recursive too); Cancel changes nothing.
    include().CBMasks->setChecked(false);
    dialog.CBSubFolders->setChecked(false);
    select(path("site/sub"));
    cancelFolder();
    keyUp(Qt::Key_Insert);
    EXPECT_EQ(lastCaption, "{" + path("site/sub") + "/} - Folder settings");
    EXPECT_EQ(shownMasks, QStringList{"*.TXT"});
    EXPECT_TRUE(shownSubfolders);
    EXPECT_EQ(node(path("site/sub"))->Data.Settings, "");
    EXPECT_EQ(checks(), (QStringList{"AUnmark", "AFull"})); // the node's mark, not the action's
    EXPECT_FALSE(dialog.PFolder->isHidden());

    // With no folder above that has settings, the panels keep their last state.
    chooser.pushFiles({path("other/a.txt")});
    page.AAddFiles->trigger();
    include().CBMasks->setChecked(true);
    include().CLBMasks->SetChecked(include().CLBMasks->IndexOf("*.HTM"), true);
    select(path("other"));
    page.AInclude->trigger();
    EXPECT_TRUE(shownMasks.contains("*.HTM"));

    // OK makes it an added folder with the edited filter, marked include.
    answerFolder(path("other"), {"*.TXT"}, false);
    page.AInclude->trigger();
    EXPECT_FALSE(node(path("other"))->Data.Settings.isEmpty());
    EXPECT_EQ(node(path("other"))->Data.StateIndex, 1);
    EXPECT_EQ(checks(), (QStringList{"AInclude", "AFull"}));

    // Properties of an added folder that has gone re-adds that very folder,
    // whatever the hidden chooser shows.
    QDir(path("site/sub")).removeRecursively();
    select(path("site"));
    answerFolder(path("other"), {"*.HTM"}, false);
    page.PMFilesPopup();
    ASSERT_TRUE(page.IProperties->isEnabled());
    page.IProperties->trigger();
    EXPECT_EQ(files(), (QStringList{"site/index.htm", "other/a.txt"}));
    QDir().rmdir(path("site"));
    QDir(path("site")).removeRecursively();
    select(path("site"));
    answerFolder(path("other"), {}, true);
    page.IProperties->trigger();
    ASSERT_TRUE(node(path("site")));
    EXPECT_EQ(node(path("site"))->Data.StateIndex, 1);

    // Exclude marks a folder too; Unmark in Brief deletes a childless node.
    select(path("other/a.txt"));
    page.AExclude->trigger();
    EXPECT_EQ(checks(), (QStringList{"AExclude", "AFull"}));
    page.ABrief->trigger();
    select(path("other/a.txt"));
    page.AUnmark->trigger();
    EXPECT_FALSE(node(path("other/a.txt")));
    EXPECT_EQ(checks(), QStringList{"ABrief"}); // nothing focused: no mark checked
}

TEST_F(FileManagerTest, ViewChecksAlwaysShowTheTreesMode) {
    chooser.pushFiles({path("site/notes.txt")});
    page.AAddFiles->trigger();
    click(page.ABrief); // already Brief: a click does not uncheck it
    EXPECT_EQ(checks(), QStringList{"ABrief"});
    click(page.AFull);
    click(page.AFull);
    EXPECT_EQ(checks(), QStringList{"AFull"});
    chooser.pushFiles({path("nothing.lst")});
    page.ACheckFileList->trigger(); // Check goes back to Brief
    EXPECT_EQ(tree().ViewMode(), ftvmBrief);
    EXPECT_EQ(checks(), QStringList{"ABrief"});

    // A folder whose settings do not read: Full fails and Brief stays checked.
    tree().AddPath(path("other"), tree().CFolderImageIndex, "IAttr=x", tree().IncludeStateIndex);
    click(page.AFull);
    EXPECT_EQ(prompt.asked().back().icon, bw::Icon::Error);
    EXPECT_EQ(tree().ViewMode(), ftvmBrief);
    EXPECT_EQ(checks(), QStringList{"ABrief"});

    // The restored check decides the mode at start-up.
    page.ABrief->setChecked(false);
    page.AFull->setChecked(false);
    tree().DeleteWithEmptyParents(node(path("other")));
    page.ApplyViewMode();
    EXPECT_EQ(tree().ViewMode(), ftvmFull);
    EXPECT_EQ(checks(), QStringList{"AFull"});
}

TEST_F(FileManagerTest, ShowInWindowBrowserDoubleClickAndPopup) {
    chooser.pushFiles({path("site/notes.txt"), path("site/gone.txt")});
    page.AAddFiles->trigger();
    page.AExpand->trigger();
    window.setWindowTitle("Processing");
    struct Seen {
        QString fileName, shown, caption;
        bool viewing = false;
        int sample = -1;
    };
    std::vector<Seen> seen;
    TFPFileManager::ShowProcessHook = [&](TFProcess& w) {
        w.Controller().FormShow();
        seen.push_back({engine.FileName, w.REProcess->toPlainText(), w.windowTitle(), ProcessModes.Contains(pmView),
                        pages.DetectSampleSize});
        w.Controller().FormHide();
        return int(mrCancel);
    };
    doubleClick(path("site/notes.txt"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].shown, "notes");
    EXPECT_TRUE(seen[0].viewing);
    EXPECT_EQ(seen[0].sample, 100000);
    EXPECT_FALSE(ProcessModes.Contains(pmView));
    EXPECT_EQ(pages.DetectSampleSize, 0);
    EXPECT_EQ(window.windowTitle(), "Processing");

    // A file that cannot be read is named; the window is not touched.
    const std::size_t asked = prompt.asked().size();
    doubleClick(path("site/gone.txt"));
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(prompt.asked().size(), asked + 1);
    EXPECT_EQ(lastMessage(), "\"" + path("site/gone.txt") + "\" could not be opened.");
    EXPECT_EQ(engine.FileName, path("site/notes.txt"));
    EXPECT_EQ(window.windowTitle(), "Processing");
    EXPECT_FALSE(ProcessModes.Contains(pmView));

    // Ctrl+double-click opens with the desktop; a folder does nothing.
    doubleClick(path("site/notes.txt"), Qt::ControlModifier);
    doubleClick(path("site"));
    doubleClick(path("site"), Qt::ControlModifier);
    ASSERT_EQ(chooser.opened().size(), 1u);
    EXPECT_EQ(chooser.opened()[0], QUrl::fromLocalFile(path("site/notes.txt")));
    EXPECT_EQ(seen.size(), 1u);
    chooser.setOpenResult(false);
    select(path("site"));
    page.IShowInBrowser->trigger();
    EXPECT_EQ(lastMessage(), "\"" + path("site") + "/\" could not be opened.");

    // The popup over a file, a folder and no node.
    struct Case {
        QString path;
        bool browser, window, properties;
    };
    for (const Case& c : {Case{path("site/notes.txt"), true, true, false}, Case{path("site"), true, false, true},
                          Case{QString(), false, false, false}}) {
        SCOPED_TRACE(c.path.toStdString());
        const QPoint at = c.path.isEmpty() ? QPoint(5, page.FVTVFiles->viewport()->height() - 5) : rowCentre(c.path);
        rightClick(at);
        EXPECT_TRUE(page.PMFiles->isVisible());
        EXPECT_EQ(page.FVTVFiles->FocusedNode(), c.path.isEmpty() ? nullptr : node(c.path));
        EXPECT_EQ(page.IShowInBrowser->isEnabled(), c.browser);
        EXPECT_EQ(page.IShowInWindow->isEnabled(), c.window);
        EXPECT_EQ(page.IProperties->isEnabled(), c.properties);
        page.PMFiles->hide();
    }
    const std::size_t before = prompt.asked().size();
    page.IShowInWindowClick(); // nothing focused: nothing happens
    page.IPropertiesClick();
    EXPECT_EQ(prompt.asked().size(), before);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(FileManagerTest, SwitchesSignalTheRunsPassesAndPersist) {
    std::vector<std::pair<bool, bool>> told;
    QObject::connect(&page, &TFPFileManager::OperationsChanged, [&](bool sr, bool cv) { told.emplace_back(sr, cv); });
    click(page.AConvert);
    click(page.ASR);
    click(page.AConvert);
    page.ACheckVisibilityExecute();
    EXPECT_EQ(told, (std::vector<std::pair<bool, bool>>{{true, true}, {false, true}, {false, false}, {false, false}}));

    click(page.AFull);
    dm.SettingsManager->SetFileName(path("Brindlewick.ini"));
    dm.SettingsManager->SaveForm(&page);
    dm.SettingsManager->CloseOptionsFile();
    TFPFileManager other;
    TSettingsManager reader;
    reader.SetFileName(path("Brindlewick.ini"));
    reader.LoadForm(&other);
    other.ApplyViewMode();
    EXPECT_EQ(other.Tree().ViewMode(), ftvmFull);
    EXPECT_FALSE(other.ASR->isChecked());
}

TEST_F(FileManagerTest, TheModelFollowsTheTreeWithOneResetPerCommand) {
    TFileTreeModel& model = page.FVTVFiles->Model();
    int removed = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++removed; });
    answerFolder(path("site"), {}, true);
    page.AAddDir->trigger();
    chooser.pushFiles({path("other/a.txt")});
    page.AAddFiles->trigger();
    int resets = model.Resets();
    page.AFull->trigger();
    EXPECT_EQ(model.Resets(), resets + 1);
    page.AExpand->trigger();

    // A single deletion is a row removal: the other node stays selected and open.
    select(path("site/sub/deep.txt"));
    page.AExclude->trigger();
    page.ABrief->trigger();
    EXPECT_TRUE(page.FVTVFiles->isExpanded(model.IndexOf(node(path("site/sub")))));
    resets = model.Resets();
    select(path("other/a.txt"));
    tree().DeleteWithEmptyParents(node(path("site/sub/deep.txt")));
    EXPECT_EQ(model.Resets(), resets);
    EXPECT_GE(removed, 1);
    EXPECT_EQ(page.FVTVFiles->FocusedNode(), node(path("other/a.txt")));
    EXPECT_EQ(page.FVTVFiles->currentIndex(), model.IndexOf(node(path("other/a.txt"))));

    // Each row draws its mark beside its icon.
    const QModelIndex at = model.IndexOf(node(path("other/a.txt")));
    EXPECT_EQ(model.data(at, Qt::DecorationRole).value<QIcon>().availableSizes().value(0), QSize(34, 16));
    EXPECT_EQ(model.parent(at), model.IndexOf(node(path("other"))));
}

TEST_F(FileManagerTest, PicturesInBothLanguagesAndViews) {
    answerFolder(path("site"), {}, true);
    page.AAddDir->trigger();
    chooser.pushFiles({path("other/a.txt")});
    page.AAddFiles->trigger();
    for (int lang : {0, 1}) {
        dm.LangManager->SetCurrentLang(lang);
        const QString suffix = lang == 0 ? "en" : "ru";
        page.resize(page.minimumSize());
        click(page.ABrief);
        page.AExpand->trigger();
        EXPECT_FALSE(bw::test::saveScreen(page, "in_files_brief_" + suffix).isEmpty());
        click(page.AFull);
        page.AExpand->trigger();
        select(path("site/sub/skip.bin"));
        page.AExclude->trigger();
        select(path("site/notes.txt"));
        page.resize(520, 420);
        bw::test::saveScreen(page, "in_files_full_" + suffix);
        rightClick(rowCentre(path("site/notes.txt")));
        bw::test::saveScreen(page, "in_files_popup_page_" + suffix);
        bw::test::saveScreen(*page.PMFiles, "in_files_popup_" + suffix);
        page.PMFiles->hide();
        // A menu takes its size when it pops up; the picture is taken without that.
        page.ADFileList->menu()->adjustSize();
        bw::test::saveScreen(*page.ADFileList->menu(), "in_files_file_list_menu_" + suffix);
    }
    EXPECT_EQ(page.AFull->text(), "Пол&ностью");
}

} // namespace
