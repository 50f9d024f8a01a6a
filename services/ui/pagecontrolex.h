#pragma once

#include <QFlags>
#include <QRect>
#include <QSize>
#include <QTabWidget>

// The sides on which a flat page control keeps a one-pixel border.
enum TEdgeBorder { ebLeft = 0x1, ebTop = 0x2, ebRight = 0x4, ebBottom = 0x8 };
Q_DECLARE_FLAGS(TEdgeBorders, TEdgeBorder)
Q_DECLARE_OPERATORS_FOR_FLAGS(TEdgeBorders)

// The page rectangle of a flat page control: the full client width and
// height, a one-pixel margin on each side named in borders, and the top 4
// pixels above the standard page top (3 with a top border).
QRect FlatPageRect(const QRect& standard, const QSize& client, TEdgeBorders borders);

// A page control whose pages can fill it nearly edge to edge instead of lying
// inside the usual frame. Both properties start off; a change shows the next
// time the control lays out its pages.
class TPageControlEx : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControlEx(QWidget* parent = nullptr);

    bool Flat = false;
    TEdgeBorders EdgeBorders;

    // Lays the pages out again (after Flat or EdgeBorders changed).
    void Relayout();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

private:
    void applyFlat();
    QRect standard_; // where the tab widget put the pages
    QRect applied_;  // where this control put them
};
