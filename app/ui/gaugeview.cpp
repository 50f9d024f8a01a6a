#include "app/ui/gaugeview.h"

#include <QHBoxLayout>
#include <QLabel>

TStatusPanels::TStatusPanels(const QVector<int>& widths, QWidget* parent) : QFrame(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < widths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setFixedWidth(widths[i]);
        panel->setTextFormat(Qt::PlainText);
        layout->addWidget(panel);
        panels_.append(panel);
    }
    layout->addStretch(1);
    setFixedHeight(21);
}

int TStatusPanels::PanelWidth(int i) const { return panels_[i]->width(); }
QString TStatusPanels::Text(int i) const { return panels_[i]->text(); }
void TStatusPanels::SetText(int i, const QString& text) { panels_[i]->setText(text); }

TGaugeWidget::TGaugeWidget(QWidget* titled, QWidget* parent) : QProgressBar(parent), titled_(titled) {
    setObjectName(QStringLiteral("MyGauge"));
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, QColor(0, 0, 128));
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setStyleSheet(QStringLiteral("QProgressBar { background: white; border: 1px solid gray; color: black; }"
                                 "QProgressBar::chunk { background: navy; }"));
    resize(100, 15);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { showPending(); });
}

void TGaugeWidget::showPending() {
    timer_->stop();
    shown_.start();
    if (panels_)
        panels_->SetText(panel_, pendingText_);
    setMaximum(pendingMaximum_);
    setValue(pendingProgress_);
}

void TGaugeWidget::PlaceInPanel(TStatusPanels* panels, int i) {
    panels_ = panels;
    panel_ = i;
    setParent(panels);
    // Panel i starts at the bar's left edge; the gauge covers panel i + 1.
    const int left = panels->Panel(i)->x() + panels->PanelWidth(i) + 3;
    setGeometry(left, 3, panels->PanelWidth(i + 1) - 4, 15);
    hide();
}

QString TGaugeWidget::Title() const { return titled_->windowTitle(); }
void TGaugeWidget::SetTitle(const QString& title) { titled_->setWindowTitle(title); }

void TGaugeWidget::SetPanelText(const QString& text) {
    pendingText_ = text;
    // An emptied panel (the run's end) shows at once.
    if (text.isEmpty() || !shown_.isValid() || shown_.elapsed() >= kShowInterval)
        showPending();
    else if (!timer_->isActive())
        timer_->start(kShowInterval);
}

void TGaugeWidget::SetProgress(int progress, int maximum) {
    pendingMaximum_ = maximum > 0 ? maximum : 1;
    pendingProgress_ = progress;
    // A step's panel text follows at once and decides when both show.
    if (progress == 0 || progress >= maximum)
        showPending();
    else if (!timer_->isActive())
        timer_->start(kShowInterval);
}

void TGaugeWidget::SetGaugeVisible(bool visible) {
    if (panels_ && visible) {
        // Placed again, so the gauge follows the panels once they are laid out.
        const int left = panels_->Panel(panel_)->x() + panels_->PanelWidth(panel_) + 3;
        setGeometry(left, 3, panels_->PanelWidth(panel_ + 1) - 4, 15);
        raise();
    }
    setVisible(visible);
}
