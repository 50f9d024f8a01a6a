#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "files/filetree.h"
#include "files/ui/filetreemodel.h"

namespace {

// The marks are pictures the tree draws, not check boxes: nothing about a row
// invites a click that does nothing.
TEST(FileTreeModelTest, MarksAreSignsNotCheckBoxes) {
    TFileVTreeView tree;
    TFileNode* in = tree.AddPath(QStringLiteral("/site/in.txt"), 0, {}, tree.IncludeStateIndex);
    tree.AddPath(QStringLiteral("/site/out.txt"), 0, {}, tree.ExcludeStateIndex);
    tree.AddPath(QStringLiteral("/site/none.txt"), 0, {}, -1);
    TFileTreeModel model(tree);

    const QModelIndex site = model.parent(model.IndexOf(in));
    ASSERT_EQ(model.rowCount(site), 3);
    std::vector<QImage> rows;
    for (int row = 0; row < 3; ++row) {
        const QModelIndex at = model.index(row, 0, site);
        SCOPED_TRACE(model.data(at).toString().toStdString());
        EXPECT_FALSE(model.data(at, Qt::CheckStateRole).isValid());
        EXPECT_FALSE(model.flags(at) & Qt::ItemIsUserCheckable);
        const QIcon icon = model.data(at, Qt::DecorationRole).value<QIcon>();
        rows.push_back(icon.pixmap(icon.availableSizes().value(0)).toImage());
    }
    // Include, exclude and no mark each look different.
    EXPECT_NE(rows[0], rows[1]);
    EXPECT_NE(rows[0], rows[2]);
    EXPECT_NE(rows[1], rows[2]);
    EXPECT_TRUE(TFileTreeModel::StateIcon(0).isNull());

    // Include is a green round badge, exclude a red one: the corners stay clear.
    for (const int state : {1, 2}) {
        SCOPED_TRACE(state);
        const QImage image = TFileTreeModel::StateIcon(state)
                                 .pixmap(TFileTreeModel::kIconSize, TFileTreeModel::kIconSize)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull());
        for (const QPoint corner : {QPoint(1, 1), QPoint(14, 1), QPoint(1, 14), QPoint(14, 14), QPoint(2, 2)})
            EXPECT_LT(image.pixelColor(corner).alpha(), 64) << corner.x() << "," << corner.y();
        long red = 0, green = 0; // over the opaque pixels
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (const QColor c = image.pixelColor(x, y); c.alpha() >= 128)
                    red += c.red(), green += c.green();
        EXPECT_EQ(green > red, state == 1) << red << " " << green;
    }
}

} // namespace
