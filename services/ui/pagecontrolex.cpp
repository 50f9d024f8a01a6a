#include "services/ui/pagecontrolex.h"

#include <QEvent>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <algorithm>

QRect FlatPageRect(const QRect& standard, const QSize& client, TEdgeBorders borders) {
    const int left = borders.testFlag(ebLeft) ? 1 : 0;
    const int right = client.width() - (borders.testFlag(ebRight) ? 1 : 0);
    const int top = standard.top() + (borders.testFlag(ebTop) ? 1 : 0) - 4;
    const int bottom = client.height() - (borders.testFlag(ebBottom) ? 1 : 0);
    // right and bottom are the first pixels outside the page.
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

TPageControlEx::TPageControlEx(QWidget* parent) : QTabWidget(parent) {}

void TPageControlEx::Relayout() {
    // The tab widget lays its pages out again on a resize of the same size.
    QResizeEvent e(size(), size());
    QTabWidget::resizeEvent(&e);
    applyFlat();
}

bool TPageControlEx::event(QEvent* e) {
    const bool done = QTabWidget::event(e);
    if (e->type() == QEvent::LayoutRequest || e->type() == QEvent::StyleChange)
        applyFlat();
    return done;
}

void TPageControlEx::resizeEvent(QResizeEvent* e) {
    QTabWidget::resizeEvent(e);
    applyFlat();
}

void TPageControlEx::showEvent(QShowEvent* e) {
    QTabWidget::showEvent(e);
    applyFlat();
}

void TPageControlEx::tabInserted(int index) {
    QTabWidget::tabInserted(index);
    applyFlat();
}

void TPageControlEx::tabRemoved(int index) {
    QTabWidget::tabRemoved(index);
    applyFlat();
}

void TPageControlEx::applyFlat() {
    auto* stack = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
    if (!stack)
        return;
    if (!Flat)
        return;
    // The standard rectangle is where the tab widget itself put the pages
    // (unless the pages still stand where this control put them).
    if (stack->geometry() != applied_ || applied_.isNull())
        standard_ = stack->geometry();
    QRect r = FlatPageRect(standard_, size(), EdgeBorders);
    // Never over the tabs: the frame Qt draws is narrower than the platform's.
    if (tabBar()->isVisible())
        r.setTop(std::max(r.top(), tabBar()->geometry().bottom() + 1));
    applied_ = r;
    if (stack->geometry() != r)
        stack->setGeometry(r);
}
