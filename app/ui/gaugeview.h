#pragma once

#include <QFrame>
#include <QProgressBar>
#include <QElapsedTimer>
#include <QTimer>
#include <QVector>

#include "app/report.h"

class QLabel;

// A status bar of fixed-width text panels side by side.
class TStatusPanels : public QFrame {
    Q_OBJECT
public:
    TStatusPanels(const QVector<int>& widths, QWidget* parent = nullptr);

    int Count() const { return int(panels_.size()); }
    QLabel* Panel(int i) const { return panels_[i]; }
    int PanelWidth(int i) const;
    QString Text(int i) const;
    void SetText(int i, const QString& text);

private:
    QVector<QLabel*> panels_;
};

// The progress gauge of a run: navy on white with its percentage, lying over
// a panel of the status bar; the run's file names go to the panel before it,
// its percentage into the title of the window.
class TGaugeWidget : public QProgressBar, public TGaugeView {
    Q_OBJECT
public:
    explicit TGaugeWidget(QWidget* titled, QWidget* parent = nullptr);

    // Lies over panel i + 1; texts go to panel i. Hidden until a run starts.
    void PlaceInPanel(TStatusPanels* panels, int i);

    // TGaugeView
    QString Title() const override;
    void SetTitle(const QString& title) override;
    void SetPanelText(const QString& text) override;
    void SetProgress(int progress, int maximum) override;
    void SetGaugeVisible(bool visible) override;

private:
    // Shows the latest panel text and progress; between two showings at
    // least kShowInterval passes, so a fast run does not repaint per file.
    void showPending();
    static constexpr int kShowInterval = 40; // ms

    QWidget* titled_;
    TStatusPanels* panels_ = nullptr;
    int panel_ = 0;
    QString pendingText_;
    int pendingProgress_ = 0, pendingMaximum_ = 1;
    QElapsedTimer shown_;
    QTimer* timer_;
};
