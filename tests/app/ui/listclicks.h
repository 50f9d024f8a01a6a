#pragma once

#include <QApplication>
#include <QMouseEvent>

#include "services/ui/components.h"

namespace bw::test {

// A left click on a row of a check list as the user makes it: on the row's
// check box, or on its text.
inline void ClickRow(TCheckListBox& list, int row, bool onCheckBox = false) {
    const QRect r = list.visualItemRect(list.item(row));
    const QPoint at = onCheckBox ? QPoint(r.left() + r.height() / 2, r.center().y()) : r.center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, list.viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &e);
    }
}

inline void ClickCheck(TCheckListBox& list, int row) { ClickRow(list, row, true); }

} // namespace bw::test
