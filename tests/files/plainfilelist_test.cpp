#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "platform/error.h"
#include "tests/files/filestest.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace bw;
using bw::test::dumpTree;
using bw::test::errorOf;

class FileListTest : public test::TempDirTest {};

TEST_F(FileListTest, PlainListsReadEveryLineForm) {
    struct Case {
        const char* what;
        std::string bytes;
        QStringList lines;
    } cases[] = {
        {"empty file", "", {}},
        {"mixed line ends, blank lines, no final break", "/a/1\r\n\r\n/a/2\r/a/3\n\n\n/a/4", {"/a/1", "/a/2", "/a/3", "/a/4"}},
        {"CR CR LF", "/a/1\r\r\n/a/2\r\n", {"/a/1", "/a/2"}},
        {"a NUL ends the text", std::string("/a/1\r\n/a/2\0/a/3\r\n", 17), {"/a/1", "/a/2"}},
        {"byte-order mark", "\xEF\xBB\xBF/a/1\r\n", {"/a/1"}},
        {"UTF-8 names", "/д/файл.txt\r\n", {QString::fromUtf8("/д/файл.txt")}},
        {"relative lines", "x.txt\r\n../y.txt\r\nsub//z.txt\r\n", {}},
    };
    for (const Case& c : cases) {
        const QString file = writeFile("list.lst", c.bytes);
        QStringList expected = c.lines;
        if (QString(c.what) == "relative lines")
            expected = {path("x.txt"), QDir::cleanPath(path("../y.txt")), path("sub/z.txt")};
        EXPECT_EQ(ReadPlainFileList(file).paths, expected) << c.what;
    }
    const QString bad = writeFile("bad.lst", "/ok\r\n/bad\xFF\r\n/also\xC0\r\n/fine\r\n");
    const PlainFileList list = ReadPlainFileList(bad);
    EXPECT_EQ(list.paths, QStringList({"/ok", "/fine"}));
    EXPECT_EQ(list.unreadable, 2);
    // Only the file's first bytes may be a byte-order mark: one on a later line is a line that cannot be read.
    const PlainFileList marks = ReadPlainFileList(writeFile("marks.lst", "\xEF\xBB\xBF/a\r\n\xEF\xBB\xBF\r\n\xEF\xBB\xBF/b\n"));
    EXPECT_EQ(marks.paths, QStringList({"/a"}));
    EXPECT_EQ(marks.unreadable, 2);

    TFileVTreeView tree;
    tree.LoadPlainList(bad);
    EXPECT_EQ(tree.SkippedNames(), 2);
    EXPECT_EQ(dumpTree(tree), QStringList({"/", "  ok+", "  fine+"}));

    EXPECT_EQ(errorOf([&] { ReadPlainFileList(path("missing.lst")); }),
              "The file list " + path("missing.lst") + " cannot be read.");
    EXPECT_FALSE(errorOf([&] { tree.LoadPlainList(dir_.path()); }).isEmpty());
}

TEST_F(FileListTest, PlainListsWriteOneLineEachWithCrLf) {
    const QString file = path("out.lst");
    WritePlainFileList(file, {"/a/b.txt", QString::fromUtf8("/д/ф.txt")});
    EXPECT_EQ(readFile(file), "/a/b.txt\r\n/\xD0\xB4/\xD1\x84.txt\r\n");
    WritePlainFileList(file, {});
    EXPECT_EQ(readFile(file), "");

    writeFile("keep.lst", "old\r\n");
    ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool rootMayWrite = QFile(path("probe")).open(QIODevice::WriteOnly);
    if (!rootMayWrite) {
        EXPECT_EQ(errorOf([&] { WritePlainFileList(path("keep.lst"), {"/new"}); }),
                  "The file list " + path("keep.lst") + " cannot be written.");
        EXPECT_EQ(readFile(path("keep.lst")), "old\r\n");
    }
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(errorOf([&] { WritePlainFileList(path("no/such/folder.lst"), {"/x"}); }).isEmpty());
}

TEST_F(FileListTest, ListsOfAFolderTreeRoundTrip) {
    writeFile("site/a.htm", "x");
    writeFile("site/sub/b.htm", "x");
    writeFile("site/c.txt", "x");
    TFileVTreeView tree;
    tree.FileFilter.SetIMasks({"*.htm"});
    tree.FileFilter.IUseMasks = true;
    tree.FileFilter.Recursive = true;
    tree.AddFolder(path("site"));

    // Plain: the files the filter lets through, as include-marked files under plain folders.
    QStringList files;
    tree.GetFileList(files);
    WritePlainFileList(path("plain.lst"), files);
    EXPECT_EQ(readFile(path("plain.lst")),
              (path("site/sub/b.htm") + "\r\n" + path("site/a.htm") + "\r\n").toStdString());
    TFileVTreeView plain;
    plain.AddPath("/already/there", 0, QString(), 1);
    plain.LoadPlainList(path("plain.lst"));
    QStringList back;
    plain.GetFileList(back);
    EXPECT_EQ(back, QStringList({"/already/there"}) + files);

    // Structured: the tree itself, replacing what was there.
    SaveStructuredFileList(path("tree.lst"), tree);
    LoadStructuredFileList(path("tree.lst"), plain);
    EXPECT_EQ(dumpTree(plain), dumpTree(tree));

    // A file that is no block leaves the tree as it was.
    writeFile("junk.lst", "not a tree");
    EXPECT_FALSE(errorOf([&] { LoadStructuredFileList(path("junk.lst"), plain); }).isEmpty());
    EXPECT_EQ(dumpTree(plain), dumpTree(tree));
    EXPECT_EQ(errorOf([&] { LoadStructuredFileList(path("none.lst"), plain); }),
              "The file list " + path("none.lst") + " cannot be read.");
    EXPECT_FALSE(errorOf([&] { SaveStructuredFileList(path("no/folder/tree.lst"), tree); }).isEmpty());
}

// A line naming a folder (as `find dir > x.lst` writes them) adds the folder
// as Add folder does, keeping the settings of one already added; a folder is
// never a file node and never a file to process.
TEST_F(FileListTest, PlainListLinesNamingFoldersAddThemAsFolders) {
    writeFile("dir/a.htm", "x");
    writeFile("dir/a.txt", "x");
    writeFile("dir/sub/b.htm", "x");
    writeFile("other/c.txt", "x");
    struct Case {
        const char* what;
        bool full;           // the tree is in Full view
        bool addedBefore;    // "dir" was added before with masks *.txt, not recursive
        QStringList lines;   // relative to the temporary folder
        QStringList files;   // to process, relative, sorted
    };
    const Case cases[] = {
        {"find output", false, false, {"dir", "dir/a.htm", "dir/a.txt", "dir/sub", "dir/sub/b.htm"},
         {"dir/a.htm", "dir/a.txt", "dir/sub/b.htm"}},
        {"a folder line alone", false, false, {"dir"}, {"dir/a.htm", "dir/sub/b.htm"}},
        {"a folder with a trailing slash", false, false, {"dir/"}, {"dir/a.htm", "dir/sub/b.htm"}},
        {"an added folder keeps its settings", false, true, {"dir", "other/c.txt"}, {"dir/a.txt", "other/c.txt"}},
        {"in Full view", true, false, {"dir", "other/c.txt"}, {"dir/a.htm", "dir/sub/b.htm", "other/c.txt"}},
        {"an added folder keeps its settings in Full view", true, true, {"dir"}, {"dir/a.txt"}},
        {"an added folder that is gone from disk", false, true, {"gone"}, {"dir/a.txt"}},
        {"a link to a folder", false, false, {"dir", "linked"}, {"dir/a.htm", "dir/sub/b.htm", "linked/b.htm"}},
    };
    ASSERT_TRUE(QFile::link(path("dir/sub"), path("linked")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFileVTreeView tree;
        QString keptSettings;
        if (c.addedBefore) {
            tree.FileFilter.SetIMasks({"*.txt"});
            tree.FileFilter.IUseMasks = true;
            tree.AddFolder(path("dir"));
            tree.AddFolder(path("gone"));
            keptSettings = tree.FileFilter.Text();
        }
        // The working filter the dialog last set: *.htm, with subfolders.
        tree.FileFilter.SetIMasks({"*.htm"});
        tree.FileFilter.IUseMasks = true;
        tree.FileFilter.Recursive = true;
        if (c.full)
            tree.SetViewMode(ftvmFull);
        QString text;
        for (const QString& line : c.lines)
            text += path(line) + "\r\n";
        tree.LoadPlainList(writeFile("list.lst", text.toStdString()));

        auto node = [&](const QString& relative) {
            TFileNode* n = tree.FindChild(nullptr, "/");
            for (const QString& part : path(relative).split('/', Qt::SkipEmptyParts))
                n = n ? tree.FindChild(n, part) : nullptr;
            return n;
        };
        // Every folder named (and one added before, gone or not) is an
        // included folder node.
        for (const QString& folder : c.lines + QStringList{"dir", c.addedBefore ? "gone" : "dir"}) {
            TFileNode* n = node(folder);
            if (!QFileInfo(path(folder)).isDir() && !(c.addedBefore && folder == "gone"))
                continue;
            ASSERT_NE(n, nullptr) << folder.toStdString();
            EXPECT_TRUE(tree.IsFolder(n)) << folder.toStdString();
            EXPECT_EQ(n->Data.StateIndex, tree.IncludeStateIndex) << folder.toStdString();
        }
        EXPECT_EQ(node("dir")->Data.Settings, c.addedBefore ? keptSettings : tree.FileFilter.Text());
        if (c.addedBefore) {
            EXPECT_EQ(node("gone")->Data.Settings, keptSettings);
        }
        QStringList files;
        tree.GetFileList(files);
        for (QString& f : files) {
            EXPECT_TRUE(QFileInfo(f).isFile()) << f.toStdString();
            f.remove(0, dir_.path().size() + 1);
        }
        files.sort();
        EXPECT_EQ(files, c.files);
    }
}
