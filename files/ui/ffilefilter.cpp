#include "files/ui/ffilefilter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "files/filefilter.h"
#include "files/filterpanel.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "services/ui/datamodule.h"
#include "services/ui/settingsmanager.h"

namespace {

QString message(const char* key) {
    return DMDataModule ? DMDataModule->LangManager->GetText(QString::fromLatin1(key)) : QString();
}

QCheckBox* checkBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QSpinBox* sizeEdit(const char* name, QWidget* parent) {
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setRange(1, 2147483647);
    edit->setSingleStep(100);
    edit->setValue(1);
    return edit;
}

QDateEdit* datePicker(const char* name, QWidget* parent) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setMinimumDate(QDate(1899, 12, 30));
    return picker;
}

} // namespace

TFFileFilter::TFFileFilter(QWidget* parent) : TFrame(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    GBFileFilter = new QGroupBox(tr("Include only with"), this);
    GBFileFilter->setObjectName(QStringLiteral("GBFileFilter"));
    outer->addWidget(GBFileFilter);

    auto* layout = new QVBoxLayout(GBFileFilter);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);

    auto* maskRow = new QHBoxLayout;
    CBMasks = checkBox("CBMasks", tr("masks:"), GBFileFilter);
    BAdd = new QPushButton(QStringLiteral("+"), GBFileFilter);
    BAdd->setObjectName(QStringLiteral("BAdd"));
    BRemove = new QPushButton(QStringLiteral("-"), GBFileFilter);
    BRemove->setObjectName(QStringLiteral("BRemove"));
    for (QPushButton* b : {BAdd, BRemove}) {
        b->setFixedWidth(28);
        b->setAutoDefault(false);
    }
    maskRow->addWidget(CBMasks, 1);
    maskRow->addWidget(BAdd);
    maskRow->addWidget(BRemove);
    layout->addLayout(maskRow);

    CLBMasks = new TCheckListBox(GBFileFilter);
    CLBMasks->setObjectName(QStringLiteral("CLBMasks"));
    SetComponentTag(CLBMasks, 1);
    // Two columns: items flow down, then into the next column.
    CLBMasks->setFlow(QListView::TopToBottom);
    CLBMasks->setWrapping(true);
    CLBMasks->setResizeMode(QListView::Adjust);
    CLBMasks->setUniformItemSizes(true);
    CLBMasks->setSortingEnabled(true);
    CLBMasks->SetItems({QStringLiteral("*.ASP"), QStringLiteral("*.HTM"), QStringLiteral("*.HTML"),
                        QStringLiteral("*.INC"), QStringLiteral("*.JS"), QStringLiteral("*.PHP"),
                        QStringLiteral("*.RTF"), QStringLiteral("*.SHTM"), QStringLiteral("*.SHTML"),
                        QStringLiteral("*.TXT")});
    // Room for the ten default masks in two columns of five.
    CLBMasks->setMinimumHeight(5 * (CLBMasks->fontMetrics().height() + 6) + 8 +
                               CLBMasks->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    layout->addWidget(CLBMasks, 1);
    CLBMasks->viewport()->installEventFilter(this);

    CBAttr = checkBox("CBAttr", tr("attributes"), GBFileFilter);
    layout->addWidget(CBAttr);
    auto* attrGrid = new QGridLayout;
    attrGrid->setContentsMargins(16, 0, 0, 0);
    CBReadOnly = checkBox("CBReadOnly", tr("Read only"), GBFileFilter);
    CBHidden = checkBox("CBHidden", tr("Hidden"), GBFileFilter);
    CBSystem = checkBox("CBSystem", tr("System"), GBFileFilter);
    CBArchive = checkBox("CBArchive", tr("Archive"), GBFileFilter);
    attrGrid->addWidget(CBReadOnly, 0, 0);
    attrGrid->addWidget(CBHidden, 0, 1);
    attrGrid->addWidget(CBSystem, 1, 0);
    attrGrid->addWidget(CBArchive, 1, 1);
    layout->addLayout(attrGrid);

    CBSize = checkBox("CBSize", tr("size (bytes)"), GBFileFilter);
    layout->addWidget(CBSize);
    auto* sizeGrid = new QGridLayout;
    sizeGrid->setContentsMargins(16, 0, 0, 0);
    CBSize1 = checkBox("CBSize1", QStringLiteral(">"), GBFileFilter);
    SE1 = sizeEdit("SE1", GBFileFilter);
    CBSize2 = checkBox("CBSize2", QStringLiteral("<"), GBFileFilter);
    SE2 = sizeEdit("SE2", GBFileFilter);
    sizeGrid->addWidget(CBSize1, 0, 0);
    sizeGrid->addWidget(SE1, 0, 1);
    sizeGrid->addWidget(CBSize2, 1, 0);
    sizeGrid->addWidget(SE2, 1, 1);
    sizeGrid->setColumnStretch(1, 1);
    layout->addLayout(sizeGrid);

    CBDate = checkBox("CBDate", tr("date of change between"), GBFileFilter);
    layout->addWidget(CBDate);
    auto* dateRow = new QHBoxLayout;
    dateRow->setContentsMargins(16, 0, 0, 0);
    DTP1 = datePicker("DTP1", GBFileFilter);
    DTP2 = datePicker("DTP2", GBFileFilter);
    dateRow->addWidget(DTP1);
    dateRow->addWidget(DTP2);
    layout->addLayout(dateRow);

    for (QCheckBox* box : {CBAttr, CBMasks, CBSize, CBSize1, CBSize2})
        connect(box, &QCheckBox::clicked, this, &TFFileFilter::CheckInterface);
    connect(CBDate, &QCheckBox::clicked, this, &TFFileFilter::CBDateClick);
    connect(BAdd, &QPushButton::clicked, this, &TFFileFilter::BAddClick);
    connect(BRemove, &QPushButton::clicked, this, &TFFileFilter::BRemoveClick);

    setTabOrder(CBMasks, BAdd);
    setTabOrder(BAdd, BRemove);
    setTabOrder(BRemove, CLBMasks);
    setTabOrder(CLBMasks, CBAttr);
    setTabOrder(CBAttr, CBReadOnly);
    setTabOrder(CBReadOnly, CBHidden);
    setTabOrder(CBHidden, CBSystem);
    setTabOrder(CBSystem, CBArchive);
    setTabOrder(CBArchive, CBSize);
    setTabOrder(CBSize, CBSize1);
    setTabOrder(CBSize1, SE1);
    setTabOrder(SE1, CBSize2);
    setTabOrder(CBSize2, SE2);
    setTabOrder(SE2, CBDate);
    setTabOrder(CBDate, DTP1);
    setTabOrder(DTP1, DTP2);
    CheckInterface();
}

bool TFFileFilter::IsInclude() const { return ComponentTag(this) == 0; }

void TFFileFilter::CheckInterface() {
    TFilterPanelChecks checks;
    checks.Masks = CBMasks->isChecked();
    checks.Attr = CBAttr->isChecked();
    checks.Size = CBSize->isChecked();
    checks.Size1 = CBSize1->isChecked();
    checks.Size2 = CBSize2->isChecked();
    checks.Date = CBDate->isChecked();
    const TFilterPanelEnabling on = FilterPanelEnabling(checks);
    for (QWidget* w : {static_cast<QWidget*>(CBReadOnly), static_cast<QWidget*>(CBHidden),
                       static_cast<QWidget*>(CBSystem), static_cast<QWidget*>(CBArchive)})
        w->setEnabled(on.Attributes);
    CLBMasks->setEnabled(on.Masks);
    BAdd->setEnabled(on.Masks);
    BRemove->setEnabled(on.Masks);
    DTP1->setEnabled(on.Dates);
    DTP2->setEnabled(on.Dates);
    CBSize1->setEnabled(on.SizeChecks);
    CBSize2->setEnabled(on.SizeChecks);
    SE1->setEnabled(on.Size1);
    SE2->setEnabled(on.Size2);
    const QString caption = message(IsInclude() ? "szIncludeOnlyWith" : "szExcludeWith");
    if (!caption.isEmpty())
        GBFileFilter->setTitle(caption);
}

void TFFileFilter::BAddClick() {
    const std::optional<QString> answer =
        bw::prompt().askText(message("szApplicationTitle"), message("szAddMask"), QString());
    if (!answer)
        return;
    QString error;
    const QString mask = CheckNewMask(CLBMasks->Items(), *answer, error);
    if (!error.isEmpty()) {
        bw::prompt().error(message("szApplicationTitle"), error);
        return;
    }
    if (mask.isEmpty())
        return;
    const int row = CLBMasks->AddItem(mask);
    const int at = CLBMasks->IndexOf(mask);
    CLBMasks->SetChecked(at >= 0 ? at : row, true);
}

void TFFileFilter::BRemoveClick() {
    const int row = CLBMasks->currentRow();
    if (row >= 0 && CLBMasks->currentItem() && CLBMasks->currentItem()->isSelected())
        delete CLBMasks->takeItem(row);
}

void TFFileFilter::CBDateClick() {
    if (CBDate->isChecked()) {
        DTP1->setDate(QDate::currentDate());
        DTP2->setDate(QDate::currentDate());
    }
    CheckInterface();
}

void TFFileFilter::ToFilter(TFileFilter& filter) const {
    const bool include = IsInclude();
    filter.SetAttributes(include, CBAttr->isChecked(), CBReadOnly->isChecked(), CBHidden->isChecked(),
                         CBSystem->isChecked(), CBArchive->isChecked());
    TFilterSide side;
    side.UseMasks = CBMasks->isChecked();
    if (side.UseMasks)
        TSettingsManager::CheckedItemsToCommaText(side.Masks, CLBMasks);
    if (CBDate->isChecked()) {
        side.Date1 = DateToDays(DTP1->date());
        side.Date2 = DateToDays(DTP2->date());
    }
    if (CBSize->isChecked()) {
        side.Size1 = CBSize1->isChecked() ? SE1->value() : 0;
        side.Size2 = CBSize2->isChecked() ? SE2->value() : 0;
    }
    SetFilterSide(filter, include, side);
}

void TFFileFilter::FromFilter(const TFileFilter& filter) {
    const bool include = IsInclude();
    bool use = false, readOnly = false, hidden = false, system = false, archive = false;
    filter.GetAttributes(include, use, readOnly, hidden, system, archive);
    CBAttr->setChecked(use);
    CBReadOnly->setChecked(readOnly);
    CBHidden->setChecked(hidden);
    CBSystem->setChecked(system);
    CBArchive->setChecked(archive);
    const TFilterSide side = FilterSide(filter, include);
    CBMasks->setChecked(side.UseMasks);
    if (side.UseMasks)
        TSettingsManager::CommaTextToCheckedItems(side.Masks, CLBMasks);
    DTP1->setDate(DaysToDate(side.Date1));
    DTP2->setDate(DaysToDate(side.Date2));
    CBDate->setChecked(side.Date1 != 0 || side.Date2 != 0);
    SE1->setValue(std::max(side.Size1, 1));
    SE2->setValue(std::max(side.Size2, 1));
    CBSize1->setChecked(side.Size1 != 0);
    CBSize2->setChecked(side.Size2 != 0);
    CBSize->setChecked(CBSize1->isChecked() || CBSize2->isChecked());
}

void TFFileFilter::resizeEvent(QResizeEvent* event) {
    TFrame::resizeEvent(event);
    FitMaskColumns();
}

bool TFFileFilter::eventFilter(QObject* watched, QEvent* event) {
    // The list's own area may take its width after the frame's resize: follow it there too.
    if (watched == CLBMasks->viewport() && event->type() == QEvent::Resize)
        FitMaskColumns();
    return TFrame::eventFilter(watched, event);
}

void TFFileFilter::FitMaskColumns() {
    // Each mask column takes half the list's width.
    const int column = std::max(40, (CLBMasks->viewport()->width() - 4) / 2);
    CLBMasks->setGridSize(QSize(column, CLBMasks->fontMetrics().height() + 6));
}
