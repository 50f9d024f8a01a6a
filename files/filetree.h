#pragma once

#include "files/filefilter.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class QIODevice;

// The data of one node of the file tree.
struct TFileNodeData {
    QString Name;              // one path component: "/", a folder name or a file name
    QString Settings;          // folder settings text of a folder the user added; else empty
    std::int32_t ImageIndex = 0;   // 0 for a file, the closed-folder image for a folder
    std::int32_t StateIndex = -1;  // -1 unmarked, or the include or exclude mark
};

// One node: its data, its parent and its children in order. Nodes are owned
// by the tree; a pointer stays valid until the node is deleted.
class TFileNode {
public:
    TFileNodeData Data;

    TFileNode* Parent() const { return parent_; } // none for a top-level node
    int ChildCount() const { return int(children_.size()); }
    TFileNode* Child(int row) const { return children_[std::size_t(row)].get(); }
    bool HasChildren() const { return !children_.empty(); }
    bool Expanded() const { return expanded_; }

    TFileNode() = default;
    ~TFileNode(); // frees the subtree without recursing
    TFileNode(const TFileNode&) = delete;
    TFileNode& operator=(const TFileNode&) = delete;

private:
    friend class TFileVTreeView;
    TFileNode* parent_ = nullptr;
    std::vector<std::unique_ptr<TFileNode>> children_;
    // Children by name, built once a node has many of them.
    std::unique_ptr<QHash<QString, TFileNode*>> index_;
    bool expanded_ = false;
    bool doomed_ = false; // scratch flag of bulk removals
};

enum TFTViewMode { ftvmBrief, ftvmFull };

// Told about changes so that a view over the tree can follow them. Changes
// made inside one update (a batch) end in one treeReset; single deletions and
// mark changes outside a batch are told one by one.
class TFileTreeObserver {
public:
    virtual ~TFileTreeObserver() = default;
    virtual void treeReset() = 0;
    // parent none = the top level.
    virtual void nodeRemoving(TFileNode* parent, int row) = 0;
    virtual void nodeRemoved() = 0;
    virtual void nodeChanged(TFileNode* node) = 0;
};

// The tree of files and folders a run works on, without widgets. Paths use
// '/' only; an absolute path hangs below one top-level node "/". Brief view
// holds the added files and folders, the folders on their paths and marked
// nodes; Full view adds what the added folders' filters let through on disk.
class TFileVTreeView {
public:
    TFileVTreeView();
    virtual ~TFileVTreeView();
    TFileVTreeView(const TFileVTreeView&) = delete;
    TFileVTreeView& operator=(const TFileVTreeView&) = delete;

    // The working filter: what the folder dialog sets before an add. Its
    // masks are joined with #1 in settings texts.
    TFileFilter FileFilter;
    std::int32_t IncludeStateIndex = 1;
    std::int32_t ExcludeStateIndex = 2;
    std::int32_t CFolderImageIndex = 1;
    std::int32_t OFolderImageIndex = 2;

    TFTViewMode ViewMode() const { return viewMode_; }
    // Brief removes the unmarked leaves and the folders left empty; Full scans
    // every added, include-marked folder. The mode is stored only when the
    // work succeeded.
    void SetViewMode(TFTViewMode mode);

    // ---- structure
    int TopCount() const { return root_.ChildCount(); }
    TFileNode* Top(int row) const { return root_.Child(row); }
    // Position of a node among its siblings.
    int RowOf(const TFileNode* node) const;
    bool IsEmpty() const { return root_.children_.empty(); }
    std::size_t NodeCount() const;

    // ---- operations
    // The child of parent (none = top level) named name, or a new last child;
    // then Name, Settings and ImageIndex are set, and StateIndex is replaced
    // only when it was -1 or the new one is 0 or more.
    TFileNode* AddNode(TFileNode* parent, const QString& name, std::int32_t imageIndex, std::int32_t stateIndex,
                       const QString& settings);
    // The chain of nodes of an absolute path; returns the last node, or none
    // for a path that is refused (relative, a name that cannot be stored) or
    // holds no name.
    TFileNode* AddPath(const QString& path, std::int32_t imageIndex, const QString& settings,
                       std::int32_t stateIndex);
    // Every path as a file marked include, in one update; a path naming a
    // folder node is left alone.
    void AddFileList(const QStringList& paths);
    // Adds the files of a plain list; a line naming a folder (in the tree or on
    // disk) adds it as AddFolder does, keeping the settings it has. Throws
    // bw::Error when the list cannot be read.
    void LoadPlainList(const QString& fileName);
    // Adds (or updates) a folder with the working filter's text as its
    // settings, marked include; in Full view it is scanned at once, and so
    // are the added, include-marked folders below it.
    void AddFolder(const QString& path);
    // Adds what the filter in force lets through below the folder at
    // folderPath: the filter of the nearest folder at or above node that has
    // settings (the working filter when none has). Throws bw::Error when a
    // settings text does not read.
    void ScanFolder(TFileNode* node, const QString& folderPath);
    // Scans every added, include-marked folder.
    void ShowFull();
    // Deletes the unmarked leaves below node (the whole tree for none) and
    // the folders that end up empty; node itself goes when it ends up empty
    // and its mark is state.
    void RemoveUnmarked(TFileNode* node, std::int32_t state);
    virtual void SetNodeState(TFileNode* node, std::int32_t state);
    // Deletes the node, then its ancestors left empty and unmarked.
    void DeleteWithEmptyParents(TFileNode* node);
    void RemoveSelected();
    // Switches to Brief and selects the first file node, in tree order, whose
    // file no longer exists (none when all do).
    void CheckFiles();
    // Every file to process, in tree order: each file node neither it nor any
    // folder above it is marked exclude, as Full view holds them. From Brief
    // the tree stays exactly as it was.
    void GetFileList(QStringList& list);
    QString GetNodePath(const TFileNode* node) const;
    bool IsFolder(const TFileNode* node) const;
    TFileNode* FindChild(TFileNode* parent, const QString& name) const;
    void Clear();

    // ---- selection, expansion and drawing
    TFileNode* Selected() const { return selected_; }
    void Select(TFileNode* node);
    void SetExpanded(TFileNode* node, bool expanded);
    void SetAllExpanded(bool expanded);
    std::int32_t StateImage(const TFileNode* node) const { return node->Data.StateIndex; }
    std::int32_t Image(const TFileNode* node) const;
    QString Text(const TFileNode* node) const { return node->Data.Name; }

    // ---- the stored block (project files and structured lists)
    // Writes the block at the device's position; in Full view the Brief
    // content is written and the tree is left as it is.
    void SaveToStream(QIODevice& device) const;
    // Reads one block from the device's position and, on success, replaces
    // the tree's content with it (Full view scans the loaded folders). A block
    // that does not read throws bw::Error and leaves the tree as it was; the
    // device is left after the block whenever its length could be read.
    void LoadFromStream(QIODevice& device);

    // ---- updates and hooks
    void BeginUpdate();
    void EndUpdate();
    void SetObserver(TFileTreeObserver* observer) { observer_ = observer; }
    // Called with true when long work starts and false when it ends.
    void SetBusyHook(std::function<void(bool)> hook) { busy_ = std::move(hook); }

    // Names met that cannot be stored (control characters, bytes invalid in
    // the file-name encoding, "." or ".."): how many, and the first as a path.
    int SkippedNames() const { return skipped_; }
    QString FirstSkippedName() const { return firstSkipped_; }
    void ClearSkippedNames();

    // Whether a path component can be a node's name.
    static bool StorableName(QStringView name);

private:
    class Batch;
    class Busy;
    struct ScanItem;

    TFileNode* appendChild(TFileNode* parent, const QString& name);
    TFileNode* findChild(TFileNode* parent, QStringView name) const;
    void deleteNode(TFileNode* node);
    void noteSkipped(const QString& path);
    void scan(TFileNode* node, const QString& folderPath, std::vector<TFileNode*>* scanned);
    const TFileFilter& filterFor(const QString& settings);
    void walkFiles(QStringList& list) const;
    void showFullBusy();
    // Scans every added, include-marked folder at or below top (the whole
    // tree for none) with its own settings; done holds the folders scanned
    // already, and gains those scanned here.
    void showFullBelow(TFileNode* top, std::unordered_set<const TFileNode*>& done);
    // Full view after folders were added or updated: each is cleared of its
    // unmarked content and scanned again with the added folders below it.
    void rescanAdded(const std::vector<TFileNode*>& folders);
    // The node of an absolute path when the tree holds it; never adds.
    TFileNode* findPath(const QString& path) const;
    void copyNodesFrom(const TFileVTreeView& other);
    void takeNodesFrom(TFileVTreeView& other);
    bool inSubtree(const TFileNode* node, const TFileNode* top) const;

    TFileNode root_; // the invisible root; its children are the top level
    TFTViewMode viewMode_ = ftvmBrief;
    TFileNode* selected_ = nullptr;
    TFileTreeObserver* observer_ = nullptr;
    std::function<void(bool)> busy_;
    mutable int busyDepth_ = 0;
    int batch_ = 0;
    bool changed_ = false;
    int skipped_ = 0;
    QString firstSkipped_;
    // Filters of the settings texts met during one scan.
    QHash<QString, std::shared_ptr<TFileFilter>> filters_;
};
