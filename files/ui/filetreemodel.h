#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <array>

#include "files/filetree.h"

// The file tree as an item model of one column. It follows the tree through
// its observer: a batch of changes ends in one reset, a single deletion is a
// row removal (selection and focus elsewhere survive it) and a changed mark
// repaints its row. Expanded flags live in the tree, not here.
class TFileTreeModel : public QAbstractItemModel, public TFileTreeObserver {
    Q_OBJECT
public:
    explicit TFileTreeModel(TFileVTreeView& tree, QObject* parent = nullptr);
    ~TFileTreeModel() override;

    TFileVTreeView& Tree() const { return tree_; }
    // The node an index stands for; none for the invisible root.
    static TFileNode* NodeOf(const QModelIndex& index);
    QModelIndex IndexOf(const TFileNode* node) const;
    // While a reset runs, indexes handed out before it point at nodes that may be gone.
    bool Resetting() const { return resetting_; }
    int Resets() const { return resets_; }

    // Icons of the nodes (0 file, 1 closed folder, 2 open folder) and of the
    // marks (index 1 include, 2 exclude); the mark is drawn before the icon.
    void SetImages(const QList<QIcon>& images);
    static QIcon StateIcon(int state);
    // Size of one of the two pictures drawn before a name.
    static constexpr int kIconSize = 16;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // TFileTreeObserver
    void treeReset() override;
    void nodeRemoving(TFileNode* parent, int row) override;
    void nodeRemoved() override;
    void nodeChanged(TFileNode* node) override;

signals:
    // After every reset, so the view can expand what the tree holds expanded.
    void TreeWasReset();

private:
    QIcon decoration(const TFileNode* node) const;

    TFileVTreeView& tree_;
    QList<QIcon> images_;
    // The drawn pairs by mark (none, include, exclude) and image.
    mutable std::array<std::array<QIcon, 3>, 3> pairs_;
    bool resetting_ = false;
    int resets_ = 0;
};
