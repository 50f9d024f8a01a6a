#include "files/ui/filetreemodel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
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

QIcon TFileTreeModel::StateIcon(int state) {
    if (state != 1 && state != 2)
        return QIcon();
    QPixmap pm(kIconSize, kIconSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(96, 96, 96), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    if (state == 1) {
        p.setPen(QPen(QColor(0, 140, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(4, 8.5);
        tick.lineTo(7, 11.5);
        tick.lineTo(12, 4.5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else {
        p.setPen(QPen(QColor(200, 0, 0), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    }
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
