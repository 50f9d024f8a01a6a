#include "files/filetree.h"
#include "platform/error.h"
#include "tests/files/filestest.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace bw;
using bw::test::dumpTree;
using bw::test::errorOf;

namespace {

// Records what the tree tells its view.
struct Recorder : TFileTreeObserver {
    QStringList events;
    void treeReset() override { events << "reset"; }
    void nodeRemoving(TFileNode* parent, int row) override {
        events << QStringLiteral("removing %1/%2").arg(parent ? parent->Data.Name : "-").arg(row);
    }
    void nodeRemoved() override { events << "removed"; }
    void nodeChanged(TFileNode* node) override { events << "changed " + node->Data.Name; }
};

// The lines of a dump below the node whose line is the given path, without its indent.
QStringList below(const QStringList& dump, const QString& name) {
    QStringList out;
    int indent = -1;
    for (const QString& line : dump) {
        const int own = int(line.size() - line.trimmed().size());
        if (indent >= 0) {
            if (own <= indent)
                break;
            out << line.mid(indent + 2);
        } else if (line.trimmed() == name) {
            indent = own;
        }
    }
    return out;
}

} // namespace

TEST(FileTreePaths, SplitAtSlashesOnly) {
    TFileVTreeView tree;
    struct Case {
        const char* path;
        int image;
        bool givesNode;
        const char* nodePath;
    } cases[] = {
        {"/web//site///index.htm", 0, true, "/web/site/index.htm"},
        {"/web/a\\b.txt", 0, true, "/web/a\\b.txt"},
        {"/web/\"q\"'s", 0, true, "/web/\"q\"'s"},
        {"/", 1, true, "/"},
        {"", 0, false, ""},
        {"relative/x.txt", 0, false, ""},
        {"/web/../etc", 0, false, ""},
        {"/web/tab\there", 0, false, ""},
    };
    for (const Case& c : cases) {
        TFileNode* n = tree.AddPath(QString::fromUtf8(c.path), c.image, QString(), 1);
        EXPECT_EQ(n != nullptr, c.givesNode) << c.path;
        if (n) {
            EXPECT_EQ(tree.GetNodePath(n), QString::fromUtf8(c.nodePath)) << c.path;
        }
    }
    EXPECT_EQ(dumpTree(tree), QStringList({"/+", "  web", "    site", "      index.htm+", "    a\\b.txt+",
                                           "    \"q\"'s+"}));
    EXPECT_EQ(tree.SkippedNames(), 2);
    EXPECT_EQ(tree.FirstSkippedName(), "/web/../etc");
}

TEST(FileTreePaths, FileListsAddIncludedFilesInOrder) {
    TFileVTreeView tree;
    tree.AddFileList({"/a/b/1", "/a/b/2", "/a//b/3", "/a/c/x", "/a/b/4", "rel/5", "/a/b/6", "/a/b/..", "", "/a/b/2"});
    EXPECT_EQ(dumpTree(tree), QStringList({"/", "  a", "    b", "      1+", "      2+", "      3+", "      4+", "      6+",
                                           "    c", "      x+"}));
    EXPECT_EQ(tree.SkippedNames(), 1);
    EXPECT_EQ(tree.FirstSkippedName(), "/a/b/..");
}

TEST(FileTreePaths, MarksAreKeptUnlessANewOneIsGiven) {
    TFileVTreeView tree;
    TFileNode* a = tree.AddPath("/d/a.txt", 0, QString(), 1);
    EXPECT_EQ(tree.AddPath("/d/a.txt", 0, QString(), -1), a);
    EXPECT_EQ(a->Data.StateIndex, 1);
    tree.AddPath("/d/a.txt", 0, QString(), 2);
    EXPECT_EQ(a->Data.StateIndex, 2);
    EXPECT_EQ(tree.NodeCount(), 3u);
}

TEST(FileTreePaths, FileListsNeverTurnAFolderIntoAFile) {
    TFileVTreeView tree;
    tree.FileFilter.Recursive = true;
    tree.AddFolder("/w/site");
    const QString settings = tree.FileFilter.Text();
    // The second line goes the quick way (same folder as the line before).
    tree.AddFileList({"/w/site", "/w/a.txt", "/w/site", "/w/site/x.txt"});
    TFileNode* site = tree.FindChild(tree.FindChild(tree.Top(0), "w"), "site");
    ASSERT_NE(site, nullptr);
    EXPECT_TRUE(tree.IsFolder(site));
    EXPECT_EQ(site->Data.Settings, settings);
    EXPECT_EQ(dumpTree(tree), QStringList({"/", "  w", "    site+*", "      x.txt+", "    a.txt+"}));
}

class FileTreeTest : public test::TempDirTest {
protected:
    QString root() const { return dir_.path() + '/'; }
    // Filter text of a folder with these include masks.
    void useFilter(QStringList masks, bool recursive) {
        tree.FileFilter.SetIMasks(masks);
        tree.FileFilter.IUseMasks = !masks.isEmpty();
        tree.FileFilter.Recursive = recursive;
    }
    QStringList fileList() {
        QStringList list;
        tree.GetFileList(list);
        for (QString& p : list)
            p.remove(0, dir_.path().size());
        return list;
    }
    TFileNode* node(const QString& relative) {
        TFileNode* n = tree.FindChild(nullptr, "/");
        for (const QString& part : (dir_.path() + '/' + relative).split('/', Qt::SkipEmptyParts))
            n = n ? tree.FindChild(n, part) : nullptr;
        return n;
    }

    TFileVTreeView tree;
};

TEST_F(FileTreeTest, ScansInNameOrderWithSubfoldersFirst) {
    for (const char* f : {"site/b.htm", "site/A.htm", "site/a.htm", "site/c.txt", "site/Z/z.htm", "site/y/y.htm",
                          "site/.git/g.htm", "site/.hidden.htm", "site/y/deeper/d.htm", "elsewhere/e.htm"})
        writeFile(f, "x");
    QFile::link(path("site/y"), path("site/link-to-folder"));
    QFile::link(path("site/c.txt"), path("site/link.htm"));
    QFile::link(path("site"), path("site/y/loop"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("site/pipe.htm")).constData(), 0644), 0);
    writeFile(QString("site/bad\x01name.htm"), "x");
    const QByteArray invalid = QFile::encodeName(path("site/")) + "inv\xff.htm";
    const int fd = ::open(invalid.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);

    useFilter({"*.htm"}, true);
    tree.AddFolder(path("site") + "//");
    EXPECT_EQ(fileList(), QStringList({"/site/.git/g.htm", "/site/y/deeper/d.htm", "/site/y/y.htm", "/site/Z/z.htm",
                                       "/site/.hidden.htm", "/site/A.htm", "/site/a.htm", "/site/b.htm",
                                       "/site/link.htm"}));
    EXPECT_EQ(tree.SkippedNames(), 2); // the control character and the invalid bytes
    EXPECT_EQ(tree.ViewMode(), ftvmBrief);
    EXPECT_EQ(below(dumpTree(tree), "site+*"), QStringList());

    tree.SetViewMode(ftvmFull);
    EXPECT_EQ(below(dumpTree(tree), "site+*"),
              QStringList({".git", "  g.htm", "y", "  deeper", "    d.htm", "  y.htm", "Z", "  z.htm", ".hidden.htm",
                           "A.htm", "a.htm", "b.htm", "link.htm"}));

    useFilter({"*.htm"}, false); // the same folder again, without subfolders
    tree.AddFolder(path("site"));
    EXPECT_EQ(below(dumpTree(tree), "site+*"), QStringList({".hidden.htm", "A.htm", "a.htm", "b.htm", "link.htm"}));
    ::unlink(invalid.constData()); // the temporary folder's cleanup cannot name it
}

TEST_F(FileTreeTest, EachFolderScansWithTheNearestSettings) {
    for (const char* f : {"a/1.htm", "a/1.txt", "a/sub/2.htm", "a/sub/2.txt", "a/own/3.htm", "a/own/3.txt",
                          "a/own/deep/4.htm", "a/own/deep/4.txt", "b/5.htm", "b/5.txt", "b/sub/6.txt"})
        writeFile(f, "x");
    useFilter({"*.txt"}, true);
    tree.AddFolder(path("a/own"));
    useFilter({"*.htm"}, true);
    tree.AddFolder(path("a"));
    useFilter({"*.txt"}, false);
    tree.AddFolder(path("b"));
    const QString lastText = tree.FileFilter.Text();

    // "b" is not recursive; "a" takes *.htm and its added "own" keeps *.txt down to "own/deep".
    EXPECT_EQ(fileList(), QStringList({"/a/own/deep/4.txt", "/a/own/3.txt", "/a/sub/2.htm", "/a/1.htm", "/b/5.txt"}));
    tree.SetViewMode(ftvmFull);
    EXPECT_EQ(fileList(), QStringList({"/a/own/deep/4.txt", "/a/own/3.txt", "/a/sub/2.htm", "/a/1.htm", "/b/5.txt"}));
    EXPECT_EQ(tree.FileFilter.Text(), lastText);

    // A scan of a plain folder below an added one uses the added one's filter.
    tree.ScanFolder(node("a/sub"), path("a/sub"));
    EXPECT_EQ(below(dumpTree(tree), "sub"), QStringList({"2.htm"}));
    EXPECT_EQ(tree.FileFilter.Text(), lastText);
}

TEST_F(FileTreeTest, ExcludedFoldersKeepEverythingBelowOut) {
    for (const char* f : {"w/keep.txt", "w/out/x.txt", "w/out/inner/y.txt", "w/in/z.txt"})
        writeFile(f, "x");
    useFilter({}, true);
    tree.AddFolder(path("w"));
    tree.SetViewMode(ftvmFull);
    tree.SetNodeState(node("w/out"), tree.ExcludeStateIndex);
    tree.SetNodeState(node("w/in/z.txt"), tree.ExcludeStateIndex);
    EXPECT_EQ(fileList(), QStringList({"/w/keep.txt"}));

    tree.SetViewMode(ftvmBrief);
    EXPECT_EQ(below(dumpTree(tree), "w+*"), QStringList({"in", "  z.txt-", "out-"}));
    EXPECT_EQ(fileList(), QStringList({"/w/keep.txt"}));

    // A rescan does not enter the excluded folder.
    tree.SetViewMode(ftvmFull);
    EXPECT_EQ(node("w/out")->ChildCount(), 0);
    // An added file below an excluded folder stays out too.
    tree.AddPath(path("w/out/x.txt"), 0, QString(), tree.IncludeStateIndex);
    EXPECT_EQ(fileList(), QStringList({"/w/keep.txt"}));
}

TEST_F(FileTreeTest, BriefAndFullViewsAndMarks) {
    for (const char* f : {"s/a.txt", "s/b.txt", "s/sub/c.txt"})
        writeFile(f, "x");
    Recorder rec;
    tree.SetObserver(&rec);
    int busy = 0;
    tree.SetBusyHook([&busy](bool on) { busy += on ? 1 : 100; });
    useFilter({}, true);
    tree.AddFolder(path("s"));
    tree.AddPath(path("loose/file.txt"), 0, QString(), tree.IncludeStateIndex);
    EXPECT_EQ(rec.events, QStringList({"reset", "reset"}));

    rec.events.clear();
    tree.SetViewMode(ftvmFull);
    EXPECT_EQ(rec.events, QStringList({"reset"})); // one batch
    EXPECT_EQ(busy, 101);
    EXPECT_EQ(tree.ViewMode(), ftvmFull);
    EXPECT_EQ(below(dumpTree(tree), "s+*"), QStringList({"sub", "  c.txt", "a.txt", "b.txt"}));

    // A scanned file marked in Full view stays in Brief view.
    tree.SetNodeState(node("s/sub/c.txt"), tree.ExcludeStateIndex);
    tree.SetViewMode(ftvmBrief);
    EXPECT_EQ(below(dumpTree(tree), "s+*"), QStringList({"sub", "  c.txt-"}));
    EXPECT_EQ(fileList(), QStringList({"/s/a.txt", "/s/b.txt", "/loose/file.txt"}));

    // Unmarking in Brief deletes the node and the folders it leaves empty, one by one.
    rec.events.clear();
    tree.Select(node("loose/file.txt"));
    tree.SetNodeState(node("loose/file.txt"), -1);
    const QString folder = QDir(dir_.path()).dirName();
    EXPECT_EQ(rec.events, QStringList({"changed file.txt", "removing loose/0", "removed", "removing " + folder + "/1",
                                       "removed"}));
    EXPECT_EQ(tree.Selected(), nullptr);
    EXPECT_EQ(node("loose"), nullptr);

    // Removing the selected node goes the same way; nothing selected does nothing.
    tree.Select(node("s/sub/c.txt"));
    tree.RemoveSelected();
    tree.RemoveSelected();
    EXPECT_EQ(below(dumpTree(tree), "s+*"), QStringList());
    EXPECT_NE(node("s"), nullptr);

    tree.Clear();
    EXPECT_TRUE(tree.IsEmpty());
    EXPECT_EQ(fileList(), QStringList());
    tree.SetObserver(nullptr);
}

TEST_F(FileTreeTest, FileListFromBriefLeavesTheTreeAsItWas) {
    for (const char* f : {"p/a.txt", "p/q/b.txt"})
        writeFile(f, "x");
    useFilter({}, true);
    tree.AddFolder(path("p"));
    tree.AddPath(path("p/q/b.txt"), 0, QString(), tree.IncludeStateIndex);
    tree.SetExpanded(node("p"), true);
    tree.Select(node("p/q"));
    const QStringList before = dumpTree(tree);
    Recorder rec;
    tree.SetObserver(&rec);
    EXPECT_EQ(fileList(), QStringList({"/p/q/b.txt", "/p/a.txt"}));
    EXPECT_EQ(dumpTree(tree), before);
    EXPECT_EQ(tree.Selected(), node("p/q"));
    EXPECT_TRUE(rec.events.isEmpty());
    tree.SetObserver(nullptr);
}

TEST_F(FileTreeTest, FailuresOfScansAndChecks) {
    writeFile("f/a.txt", "x");
    writeFile("g/b.txt", "x");
    // A missing folder and an empty path add nothing more than the folder's node.
    useFilter({}, true);
    tree.AddFolder(QString());
    EXPECT_TRUE(tree.IsEmpty());
    tree.AddFolder(path("missing"));
    tree.SetViewMode(ftvmFull);
    EXPECT_EQ(node("missing")->ChildCount(), 0);
    tree.AddFolder("relative/folder"); // no node: nothing happens
    tree.SetViewMode(ftvmBrief);

    // A settings text that does not read stops the scan; the view stays.
    tree.AddFolder(path("f"));
    tree.AddFolder(path("g"));
    node("g")->Data.Settings = "IAttr=x";
    EXPECT_EQ(errorOf([&] { tree.SetViewMode(ftvmFull); }), "'x' is not a valid integer value");
    EXPECT_EQ(tree.ViewMode(), ftvmBrief);
    QStringList list{"stale"};
    EXPECT_EQ(errorOf([&] { tree.GetFileList(list); }), "'x' is not a valid integer value");
    node("g")->Data.Settings.clear();

    // Check selects the first missing file in tree order and returns to Brief.
    tree.AddFileList({path("f/a.txt"), path("f/gone1.txt"), path("gone2.txt")});
    tree.SetViewMode(ftvmFull);
    tree.CheckFiles();
    EXPECT_EQ(tree.ViewMode(), ftvmBrief);
    ASSERT_NE(tree.Selected(), nullptr);
    EXPECT_EQ(tree.GetNodePath(tree.Selected()), path("f/gone1.txt"));
    QFile::remove(path("f/a.txt"));
    tree.CheckFiles();
    EXPECT_EQ(tree.GetNodePath(tree.Selected()), path("f/a.txt"));
}

// The list of files to process is the same whatever the view: re-adding a
// folder (which is how its settings are edited) keeps the added folders
// below it with their marks, settings and scanned files.
TEST_F(FileTreeTest, ReAddingAFolderGivesTheSameFilesInEveryView) {
    for (const char* f : {"A/y.htm", "A/x.txt", "A/C/u.htm", "A/C/s.txt", "A/B/w.htm", "A/B/v.txt", "A/B/D/t.htm",
                          "A/E/r.htm"})
        writeFile(f, "x");
    struct Edit {
        const char* what;
        QStringList masks;
        bool recursive;
        QString suffix; // added to the folder's path
        QStringList files;
    };
    const QStringList htm = {"/A/B/D/t.htm", "/A/B/w.htm", "/A/E/r.htm", "/A/y.htm"};
    const Edit edits[] = {
        {"no longer recursive", {"*.htm"}, false, "", htm},
        {"no longer recursive, path with a slash", {"*.htm"}, false, "/", htm},
        {"other masks", {"*.txt"}, true, "", {"/A/B/D/t.htm", "/A/B/w.htm", "/A/C/s.txt", "/A/E/r.htm", "/A/x.txt"}},
        {"the same settings", {"*.htm"}, true, "", htm},
        {"masks off, not recursive", {}, false, "",
         {"/A/B/D/t.htm", "/A/B/w.htm", "/A/E/r.htm", "/A/x.txt", "/A/y.htm"}},
    };
    for (const Edit& e : edits) {
        QStringList byView[2];
        for (const TFTViewMode view : {ftvmBrief, ftvmFull}) {
            SCOPED_TRACE(std::string(e.what) + (view == ftvmFull ? ", Full" : ", Brief"));
            tree.Clear();
            tree.SetViewMode(ftvmBrief);
            useFilter({"*.htm"}, true);
            tree.AddFolder(path("A"));
            tree.AddFolder(path("A/B"));
            // An added folder below a plain one, and a scanned file marked exclude.
            tree.AddFolder(path("A/E"));
            tree.SetViewMode(ftvmFull);
            tree.SetNodeState(node("A/C/u.htm"), tree.ExcludeStateIndex);
            tree.SetViewMode(view);
            const QString bSettings = node("A/B")->Data.Settings;

            useFilter(e.masks, e.recursive);
            tree.AddFolder(path("A") + e.suffix);
            byView[view] = fileList();
            QStringList sorted = byView[view];
            sorted.sort();
            EXPECT_EQ(sorted, e.files);
            ASSERT_NE(node("A/B"), nullptr);
            EXPECT_EQ(node("A/B")->Data.StateIndex, tree.IncludeStateIndex);
            EXPECT_EQ(node("A/B")->Data.Settings, bSettings);
            EXPECT_EQ(node("A/E")->Data.StateIndex, tree.IncludeStateIndex);
            // Switching views changes nothing either.
            tree.SetViewMode(view == ftvmFull ? ftvmBrief : ftvmFull);
            EXPECT_EQ(fileList(), byView[view]);
        }
        EXPECT_EQ(byView[ftvmFull], byView[ftvmBrief]) << e.what;
    }
}

TEST(FileTreeDepth, DeepTreesNeedNoRecursion) {
    TFileVTreeView tree;
    QString deep;
    for (int i = 0; i < 20000; ++i)
        deep += "/d";
    TFileNode* leaf = tree.AddPath(deep + "/f.txt", 0, QString(), -1);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(tree.GetNodePath(leaf).size(), deep.size() + 6);
    QStringList list;
    tree.SetViewMode(ftvmFull);
    tree.GetFileList(list);
    EXPECT_EQ(list.size(), 1);
    tree.SetViewMode(ftvmBrief); // removes the unmarked chain
    EXPECT_TRUE(tree.IsEmpty());
    tree.AddPath(deep + "/f.txt", 0, QString(), 1);
    tree.SetAllExpanded(true);
    tree.Clear();
    tree.AddPath(deep + "/g.txt", 0, QString(), 1);
    // and the destructor frees the chain
}
