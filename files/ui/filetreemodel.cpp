#include "files/ui/filetreemodel.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

QIcon styleIcon(QStyle::StandardPixmap which) {
    return QApplication::style() ? QApplication::style()->standardIcon(which) : QIcon();
}

} // namespace

TFileTreeModel::TFileTreeModel(TFileVTreeView& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
    images_ = {styleIcon(QStyle::SP_FileIcon), styleIcon(QStyle::SP_DirClosedIcon), styleIcon(QStyle::SP_DirOpenIcon)};
    tree_.SetObserver(this);
}

TFileTreeModel::~TFileTreeModel() { tree_.SetObserver(nullptr); }

TFileNode* TFileTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<TFileNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TFileTreeModel::IndexOf(const TFileNode* node) const {
    if (!node)
        return QModelIndex();
    const int row = tree_.RowOf(node);
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<TFileNode*>(node));
}

void TFileTreeModel::SetImages(const QList<QIcon>& images) {
    if (images.size() < 3)
        return;
    beginResetModel();
    images_ = images;
    for (auto& row : pairs_)
        row.fill(QIcon());
    endResetModel();
}

// The marks are signs on a round badge, a green plus for include and a red
// minus for exclude: nothing square that could pass for a check box, since a
// click on a mark does nothing (the keys and the tool bar set them).
QIcon TFileTreeModel::StateIcon(int state) {
    if (state != 1 && state != 2)
        return QIcon();
    const bool include = state == 1;
    QPixmap pm(kIconSize, kIconSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = include ? QColor(30, 150, 50) : QColor(205, 40, 40);
    p.setPen(QPen(fill.darker(140), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    if (include)
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
    p.end();
    return QIcon(pm);
}

QIcon TFileTreeModel::decoration(const TFileNode* node) const {
    const int state = node->Data.StateIndex == tree_.IncludeStateIndex   ? 1
                      : node->Data.StateIndex == tree_.ExcludeStateIndex ? 2
                                                                         : 0;
    const int image = std::clamp(int(tree_.Image(node)), 0, 2);
    QIcon& pair = pairs_[std::size_t(state)][std::size_t(image)];
    if (pair.isNull()) {
        const int gap = 2;
        QPixmap pm(2 * kIconSize + gap, kIconSize);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        if (state)
            StateIcon(state).paint(&p, QRect(0, 0, kIconSize, kIconSize));
        images_.value(image).paint(&p, QRect(kIconSize + gap, 0, kIconSize, kIconSize));
        p.end();
        pair = QIcon(pm);
    }
    return pair;
}

QModelIndex TFileTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return QModelIndex();
    const TFileNode* p = NodeOf(parent);
    const int count = p ? p->ChildCount() : tree_.TopCount();
    if (row >= count)
        return QModelIndex();
    return createIndex(row, 0, p ? p->Child(row) : tree_.Top(row));
}

QModelIndex TFileTreeModel::parent(const QModelIndex& child) const {
    const TFileNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TFileTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const TFileNode* p = NodeOf(parent);
    return p ? p->ChildCount() : tree_.TopCount();
}

int TFileTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TFileTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TFileTreeModel::data(const QModelIndex& index, int role) const {
    const TFileNode* node = NodeOf(index);
    if (!node || resetting_)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return role == Qt::DisplayRole ? tree_.Text(node) : tree_.GetNodePath(node);
    case Qt::DecorationRole:
        return decoration(node);
    default:
        return QVariant();
    }
}

void TFileTreeModel::treeReset() {
    resetting_ = true;
    beginResetModel();
    endResetModel();
    resetting_ = false;
    ++resets_;
    emit TreeWasReset();
}

void TFileTreeModel::nodeRemoving(TFileNode* parent, int row) {
    beginRemoveRows(IndexOf(parent), row, row);
}

void TFileTreeModel::nodeRemoved() { endRemoveRows(); }

void TFileTreeModel::nodeChanged(TFileNode* node) {
    const QModelIndex at = IndexOf(node);
    if (at.isValid())
        emit dataChanged(at, at);
}
