#include "app/ui/fconvert.h"

#include "services/langmanager.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/codepages.h"

TButtonTops SchemeButtonTops(int panelHeight, int buttonHeight) {
    TButtonTops tops{};
    tops.Add = (panelHeight - 3 * buttonHeight + 6) / 2;
    tops.Remove = tops.Add + buttonHeight + 3;
    tops.RemoveAll = tops.Remove + buttonHeight + 3;
    return tops;
}

namespace {

template <typename T>
T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

// A plain arrow pointing from the source list to the target list.
QPixmap ArrowPicture() {
    QPixmap pm(24, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 2));
    p.drawLine(2, 8, 20, 8);
    p.setBrush(Qt::darkGray);
    const QPointF head[] = {{22, 8}, {15, 3}, {15, 13}};
    p.drawPolygon(head, 3);
    return pm;
}

} // namespace

TFConvert::TFConvert(QWidget* parent) : TFrame(parent) {
    setObjectName(QStringLiteral("FConvert1"));
    setProperty("helpKeyword", QStringLiteral("Convert"));

    PLeft = named(new QWidget(this), "PLeft");
    auto* left = new QVBoxLayout(PLeft);
    left->setContentsMargins(3, 3, 3, 3);
    auto* captions = new QHBoxLayout;
    LInitial = named(new QLabel(tr("Initia&l:"), PLeft), "LInitial");
    LFinal = named(new QLabel(tr("&Final:"), PLeft), "LFinal");
    captions->addWidget(LInitial);
    captions->addStretch(1);
    captions->addWidget(LFinal);
    captions->addSpacing(112 - LFinal->sizeHint().width() > 0 ? 112 - LFinal->sizeHint().width() : 0);
    left->addLayout(captions);
    auto* lists = new QHBoxLayout;
    LBCP1 = named(new QListWidget(PLeft), "LBCP1");
    LBCP1->setFixedWidth(108);
    Image1 = named(new QLabel(PLeft), "Image1");
    Image1->setPixmap(ArrowPicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumWidth(28);
    LBCP2 = named(new QListWidget(PLeft), "LBCP2");
    LBCP2->setFixedWidth(112);
    lists->addWidget(LBCP1);
    lists->addWidget(Image1, 1);
    lists->addWidget(LBCP2);
    left->addLayout(lists, 1);
    LInitial->setBuddy(LBCP1);
    LFinal->setBuddy(LBCP2);

    PButtons = named(new QWidget(this), "PButtons");
    PButtons->setFixedWidth(25);
    BAdd = named(new QPushButton(QStringLiteral(">"), PButtons), "BAdd");
    BRemove = named(new QPushButton(QStringLiteral("<"), PButtons), "BRemove");
    BRemoveAll = named(new QPushButton(QStringLiteral("<<"), PButtons), "BRemoveAll");
    for (QPushButton* b : {BAdd, BRemove, BRemoveAll}) {
        b->setFixedSize(25, 25);
        b->setAutoDefault(false);
    }
    PButtons->installEventFilter(this);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 3, 3, 3);
    LScheme = named(new QLabel(tr("Transformation sch&eme:"), this), "LScheme");
    LBScheme = named(new QListWidget(this), "LBScheme");
    LScheme->setBuddy(LBScheme);
    right->addWidget(LScheme);
    right->addWidget(LBScheme, 1);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(PLeft);
    row->addWidget(PButtons);
    row->addSpacing(3);
    row->addLayout(right, 1);

    setTabOrder(LBCP1, LBCP2);
    setTabOrder(LBCP2, BAdd);
    setTabOrder(BAdd, BRemove);
    setTabOrder(BRemove, BRemoveAll);
    setTabOrder(BRemoveAll, LBScheme);

    connect(LBCP1, &QListWidget::currentRowChanged, this, [this] { LBCP1Click(); });
    connect(LBCP1, &QListWidget::itemDoubleClicked, this, [this] { AddToSchemeExecute(); });
    connect(LBCP2, &QListWidget::itemDoubleClicked, this, [this] { AddToSchemeExecute(); });
    connect(BAdd, &QPushButton::clicked, this, [this] { AddToSchemeExecute(); });
    connect(BRemove, &QPushButton::clicked, this, [this] { RemoveFromSchemeExecute(); });
    connect(BRemoveAll, &QPushButton::clicked, this, [this] { ClearSchemeExecute(); });
    connect(LBScheme, &QListWidget::currentRowChanged, this, [this](int row) { scheme_.SetSelected(row); });
}

bool TFConvert::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PButtons && event->type() == QEvent::Resize)
        PButtonsResize();
    return TFrame::eventFilter(watched, event);
}

namespace {

// A code page's name as the interface shows it ("Automatic" is a word).
QString codePageCaption(int id) {
    const std::string_view name = CodePageNames[std::size_t(id)];
    return LangText(QString::fromLatin1(name.data(), qsizetype(name.size())));
}

} // namespace

void TFConvert::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        for (int i = 0; i < LBCP1->count(); ++i)
            LBCP1->item(i)->setText(codePageCaption(LBCP1->item(i)->data(Qt::UserRole).toInt()));
        ShowScheme();
    }
    TFrame::changeEvent(event);
}

void TFConvert::FrameEnter() {
    if (LBCP1->count() > 0)
        return;
    const QSignalBlocker block(LBCP1);
    for (int id = 0; id < int(CodePageNames.size()); ++id) {
        auto* item = new QListWidgetItem(codePageCaption(id), LBCP1);
        item->setData(Qt::UserRole, id);
    }
    LBCP1->setCurrentRow(0);
    LBCP1Click();
}

void TFConvert::LBCP1Click() {
    LBCP2->clear();
    const QListWidgetItem* source = LBCP1->currentItem();
    if (!source)
        return;
    const int id = source->data(Qt::UserRole).toInt();
    for (int row = 0; row < ConversionCount; ++row) {
        if (Conversions[std::size_t(row)].Source != id)
            continue;
        const std::string_view name = CodePageNames[std::size_t(Conversions[std::size_t(row)].Target)];
        auto* item = new QListWidgetItem(QString::fromLatin1(name.data(), qsizetype(name.size())), LBCP2);
        item->setData(Qt::UserRole, row);
    }
    LBCP2->setCurrentRow(0);
}

void TFConvert::AddToSchemeExecute() {
    const QListWidgetItem* target = LBCP2->currentItem();
    if (target)
        AddStep(target->data(Qt::UserRole).toInt());
}

void TFConvert::RemoveFromSchemeExecute() {
    scheme_.RemoveSelected();
    ShowScheme();
}

void TFConvert::ClearSchemeExecute() {
    scheme_.Clear();
    ShowScheme();
}

void TFConvert::PButtonsResize() {
    const TButtonTops tops = SchemeButtonTops(PButtons->height(), BAdd->height());
    BAdd->move(0, tops.Add);
    BRemove->move(0, tops.Remove);
    BRemoveAll->move(0, tops.RemoveAll);
}

void TFConvert::AddStep(int row) {
    if (scheme_.AddStep(row))
        ShowScheme();
}

bool TFConvert::ConvertFile(const QString& fileName, TReport& report, const TextSource& texts) {
    return scheme_.ConvertFile(fileName, report, texts);
}

void TFConvert::LoadScheme(QIODevice& stream) {
    // Steps read before a damaged item stay; the list shows them either way.
    struct Show {
        TFConvert* page;
        ~Show() { page->ShowScheme(); }
    } show{this};
    scheme_.LoadScheme(stream);
}

TConversionScheme& TFConvert::Scheme() { return scheme_; }

bool TFConvert::AddSelectedStep() {
    if (!LBCP1->currentItem() || !LBCP2->currentItem())
        return false;
    AddToSchemeExecute();
    return !scheme_.IsEmpty();
}

void TFConvert::ShowScheme() {
    const QSignalBlocker block(LBScheme);
    LBScheme->clear();
    for (int i = 0; i < scheme_.Count(); ++i) {
        const RCTable& step = Conversions[std::size_t(scheme_.Steps()[i])];
        auto* item = new QListWidgetItem(codePageCaption(step.Source) + QStringLiteral(" -> ") +
                                             codePageCaption(step.Target),
                                         LBScheme);
        item->setData(Qt::UserRole, scheme_.Steps()[i]);
    }
    LBScheme->setCurrentRow(scheme_.Selected());
}
