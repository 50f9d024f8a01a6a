#include "files/ui/fvtvfiles.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "files/ui/filetreemodel.h"
#include "services/ui/datamodule.h"

TFVTVFiles::TFVTVFiles(QWidget* parent) : QTreeView(parent), tree_(std::make_unique<TFileVTreeView>()) {
    setObjectName(QStringLiteral("FVTVFiles"));
    model_ = new TFileTreeModel(*tree_, this);
    if (DMDataModule)
        model_->SetImages(DMDataModule->FTIIL);
    setModel(model_);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(true);
    setIconSize(QSize(2 * TFileTreeModel::kIconSize + 2, TFileTreeModel::kIconSize));
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setStretchLastSection(true);

    connect(model_, &TFileTreeModel::TreeWasReset, this, [this] {
        restoreExpanded();
        SyncFromTree();
    });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        removing_ = false;
        SyncFromTree();
    });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& at) {
        if (!model_->Resetting())
            tree_->SetExpanded(TFileTreeModel::NodeOf(at), true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& at) {
        if (!model_->Resetting())
            tree_->SetExpanded(TFileTreeModel::NodeOf(at), false);
    });
}

TFVTVFiles::~TFVTVFiles() {
    // The model goes first: it unhooks itself from the tree. Nobody hears of
    // the selection going with it.
    syncing_ = true;
    blockSignals(true);
    setModel(nullptr);
    delete model_;
}

void TFVTVFiles::restoreExpanded() {
    const bool was = syncing_;
    syncing_ = true;
    std::vector<std::pair<TFileNode*, QModelIndex>> stack;
    for (int i = 0; i < tree_->TopCount(); ++i)
        stack.emplace_back(tree_->Top(i), model_->index(i, 0));
    while (!stack.empty()) {
        auto [node, at] = stack.back();
        stack.pop_back();
        if (!node->HasChildren())
            continue;
        if (node->Expanded())
            setExpanded(at, true);
        for (int i = 0; i < node->ChildCount(); ++i)
            if (node->Child(i)->HasChildren())
                stack.emplace_back(node->Child(i), model_->index(i, 0, at));
    }
    syncing_ = was;
}

void TFVTVFiles::SelectNode(TFileNode* node) {
    tree_->Select(node);
    SyncFromTree();
}

void TFVTVFiles::SyncFromTree() {
    TFileNode* node = tree_->Selected();
    const QModelIndex at = model_->IndexOf(node);
    const QModelIndex shown = selectionModel()->selectedIndexes().value(0);
    if (at == shown && currentIndex() == at)
        return;
    const bool was = syncing_;
    syncing_ = true;
    if (at.isValid()) {
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(at);
    } else {
        selectionModel()->clear();
    }
    syncing_ = was;
    emit FocusChanged(node);
}

void TFVTVFiles::takeSelection() {
    if (syncing_ || removing_ || model_->Resetting())
        return;
    const QModelIndex shown = selectionModel()->selectedIndexes().value(0);
    TFileNode* node = TFileTreeModel::NodeOf(shown);
    if (node == tree_->Selected())
        return;
    tree_->Select(node);
    emit FocusChanged(node);
}

void TFVTVFiles::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    takeSelection();
}

void TFVTVFiles::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    takeSelection();
}

void TFVTVFiles::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // A removed node takes the selection with it: the focus Qt moves to a
    // neighbour is not the user's choice.
    removing_ = true;
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void TFVTVFiles::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!at.isValid()) {
        // A click beside every row leaves nothing selected, also a right click.
        selectionModel()->clear();
        return;
    }
    if (event->button() == Qt::RightButton) {
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    QTreeView::mousePressEvent(event);
}

void TFVTVFiles::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit KeyUp(event->key(), event->modifiers());
}

void TFVTVFiles::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit DoubleClicked(event->modifiers());
}
