#pragma once

#include <QTreeView>
#include <memory>

#include "files/filetree.h"

class TFileTreeModel;

// The file tree on screen: one column without header, single selection over
// the full row (a right click selects too), the mark and the node's icon
// before its name. The tree core holds the nodes, the selection and the
// expanded flags; the view shows them and hands the user's changes back.
class TFVTVFiles : public QTreeView {
    Q_OBJECT
public:
    explicit TFVTVFiles(QWidget* parent = nullptr);
    ~TFVTVFiles() override;

    TFileVTreeView& Tree() { return *tree_; }
    const TFileVTreeView& Tree() const { return *tree_; }
    TFileTreeModel& Model() { return *model_; }

    // The selected (and focused) node; none when nothing is selected.
    TFileNode* FocusedNode() const { return tree_->Selected(); }
    // Selects and focuses the node (none clears the selection).
    void SelectNode(TFileNode* node);
    // Shows the tree's selection and expanded flags again (after the core
    // changed them on its own).
    void SyncFromTree();

signals:
    // The focus moved to another node (or to none).
    void FocusChanged(TFileNode* node);
    // A key was released in the tree (auto-repeats are not told).
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void DoubleClicked(Qt::KeyboardModifiers modifiers);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void restoreExpanded();
    void takeSelection();

    std::unique_ptr<TFileVTreeView> tree_;
    TFileTreeModel* model_;
    bool syncing_ = false;
    bool removing_ = false;
};
