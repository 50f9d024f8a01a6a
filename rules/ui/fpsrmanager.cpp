#include "rules/ui/fpsrmanager.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QDragEnterEvent>
#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <exception>

#include "platform/appdirs.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/guarded.h"
#include "platform/prompt.h"
#include "platform/ui/chooser.h"
#include "rules/rulelistblock.h"
#include "services/fileroutines.h"
#include "services/ui/components.h"
#include "rules/ui/rulewindows.h"

TFPSRManager* FPSRManager = nullptr;

namespace {

constexpr int kCellChars = 200;
constexpr int kHintChars = 4000;

enum Column { ColCheck = 0, ColSearch = 1, ColReplace = 2, ColOptions = 3 };

} // namespace

QString RuleCellText(const QString& text) {
    qsizetype end = text.indexOf(QLatin1Char('\n'));
    const qsizetype cr = text.indexOf(QLatin1Char('\r'));
    if (cr >= 0 && (end < 0 || cr < end))
        end = cr;
    if (end < 0)
        end = text.size();
    return text.left(std::min<qsizetype>(end, kCellChars));
}

QString RuleHintText(const QString& text) {
    if (text.size() <= kHintChars)
        return text;
    return text.left(kHintChars) + QChar(0x2026);
}

// ---------------------------------------------------------------------------
// TSRListView

TSRListView::TSRListView(TFPSRManager* page) : QTreeWidget(page), page_(page) {
    setObjectName(QStringLiteral("LVSR"));
    setColumnCount(4);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The selection stays visible while the list has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(16);
    header()->resizeSection(ColCheck, 20);
    header()->resizeSection(ColSearch, 100);
    header()->resizeSection(ColReplace, 100);
}

QStringList TSRListView::mimeTypes() const { return {QString::fromLatin1(kRowMime)}; }

QMimeData* TSRListView::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowMime), QByteArray::number(indexOfTopLevelItem(items.first())));
    return data;
}

void TSRListView::startDrag(Qt::DropActions) {
    QTreeWidgetItem* item = currentItem();
    if (!item || !item->isSelected())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeData({item}));
    // The drop moves the row itself: whatever the drag answers, nothing more is removed here.
    drag->exec(Qt::MoveAction);
}

void TSRListView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kRowMime)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSRListView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kRowMime)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSRListView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kRowMime))) {
        event->ignore();
        return;
    }
    page_->Guarded([&] { page_->LVSRDragDrop(event->position().toPoint()); });
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TSRListView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        bool used = false;
        page_->Guarded([&] { used = page_->LVSRKeyDown(event->key()); });
        if (used) {
            event->accept();
            return;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

void TSRListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    page_->Guarded([&] { page_->LVSRDblClick(); });
}

void TSRListView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    page_->LVSRResize();
}

bool TSRListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        auto* e = static_cast<QMouseEvent*>(event);
        page_->LVSRMouseMove(e->position().toPoint(), e->globalPosition().toPoint());
    }
    return QTreeWidget::viewportEvent(event);
}

// ---------------------------------------------------------------------------
// TFPSRManager

TFPSRManager::TFPSRManager(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FPSRManager"));
    setProperty(bw::kFormProperty, true);
    setWindowTitle(tr("Search/Replace"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ATBSR = new QToolBar(this);
    ATBSR->setObjectName(QStringLiteral("ATBSR"));
    ATBSR->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(ATBSR);

    LVSR = new TSRListView(this);
    layout->addWidget(LVSR, 1);

    auto action = [this](const char* name, const QString& text, void (TFPSRManager::*execute)()) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(QKeySequence::mnemonic(text));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
        if (execute)
            connect(a, &QAction::triggered, this, [this, execute] { Guarded([&] { (this->*execute)(); }); });
        return a;
    };
    AList = action("AList", tr("L&ist"), nullptr);
    AClear = action("AClear", tr("&Clear"), &TFPSRManager::AClearExecute);
    ALoadSRList = action("ALoadSRList", tr("&Load"), &TFPSRManager::ALoadSRListExecute);
    ASaveSRList = action("ASaveSRList", tr("&Save"), &TFPSRManager::ASaveSRListExecute);
    AAdd = action("AAdd", tr("&Add"), &TFPSRManager::AAddExecute);
    ARemove = action("ARemove", tr("&Remove"), &TFPSRManager::ARemoveExecute);
    AMoveUp = action("AMoveUp", tr("&Move Up"), &TFPSRManager::AMoveUpExecute);
    AMoveDown = action("AMoveDown", tr("M&ove Down"), &TFPSRManager::AMoveDownExecute);
    AEdit = action("AEdit", tr("&Properties"), &TFPSRManager::AEditExecute);
    AShowHints = action("AShowHints", tr("Show &Hints"), nullptr);
    AShowHints->setCheckable(true);
    AShowHints->setChecked(true);

    PMList = new QMenu(this);
    PMList->setObjectName(QStringLiteral("PMList"));
    PMList->addAction(AClear);
    PMList->addAction(ALoadSRList);
    PMList->addAction(ASaveSRList);
    AList->setMenu(PMList);

    ATBSR->addAction(AList);
    if (auto* button = qobject_cast<QToolButton*>(ATBSR->widgetForAction(AList)))
        button->setPopupMode(QToolButton::InstantPopup);
    for (QAction* a : {AAdd, ARemove, AMoveUp, AMoveDown, AEdit})
        ATBSR->addAction(a);
    ATBSR->addSeparator();
    ATBSR->addAction(AShowHints);

    PMSRManager = new QMenu(this);
    PMSRManager->setObjectName(QStringLiteral("PMSRManager"));
    PMSRManager->addAction(AAdd);
    PMSRManager->addAction(ARemove);
    PMSRManager->addAction(AEdit);
    connect(LVSR, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PMSRManager->popup(LVSR->viewport()->mapToGlobal(pos)); });

    connect(LVSR, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column != ColCheck)
            return;
        const int row = LVSR->indexOfTopLevelItem(item);
        if (row >= 0 && row < list_.Count())
            list_.SetChecked(row, item->checkState(ColCheck) == Qt::Checked);
    });
    connect(LVSR, &QTreeWidget::itemSelectionChanged, this, &TFPSRManager::ALSRManagerUpdate);

    LVSR->setHeaderLabels({QString(), tr("Search"), tr("Replace"), tr("Options")});
    FormCreate();
    ALSRManagerUpdate();
    if (!FPSRManager)
        FPSRManager = this;
}

TFPSRManager::~TFPSRManager() {
    if (FPSRManager == this)
        FPSRManager = nullptr;
    FormDestroy();
}

void TFPSRManager::FormCreate() { header_ = std::make_unique<TSRHeader>(); }

void TFPSRManager::FormDestroy() { header_.reset(); }

QString TFPSRManager::Text(const char* key) const { return RuleWindowText(Texts, key); }

void TFPSRManager::ShowMessage(const QString& text) const { ShowRuleMessage(Texts, text); }

template <typename F>
void TFPSRManager::Guarded(F&& f) {
    bw::runGuarded(Text("szApplicationTitle"), std::forward<F>(f));
}

void TFPSRManager::SetColumnCaptions() {
    LVSR->setHeaderLabels({QString(), Text("szSearch"), Text("szReplace"), Text("szProperties")});
}

bool TFPSRManager::HasCheckedRules() {
    for (int i = 0; i < list_.Count(); ++i)
        if (list_.Checked(i))
            return true;
    ShowMessage(Text("szNothingToSearch"));
    return false;
}

int TFPSRManager::SelectedRow() const {
    const QList<QTreeWidgetItem*> items = LVSR->selectedItems();
    return items.isEmpty() ? -1 : LVSR->indexOfTopLevelItem(items.first());
}

void TFPSRManager::SelectRow(int row) {
    QTreeWidgetItem* item = LVSR->topLevelItem(row);
    if (!item) {
        LVSR->clearSelection();
        return;
    }
    LVSR->setCurrentItem(item);
    item->setSelected(true);
}

QTreeWidgetItem* TFPSRManager::NewItem(int row) {
    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
    item->setCheckState(ColCheck, list_.Checked(row) ? Qt::Checked : Qt::Unchecked);
    const TSRInfo& rule = list_.Rule(row);
    item->setText(ColSearch, RuleCellText(rule.Source.ssText));
    item->setText(ColReplace, RuleCellText(rule.Target.tsText));
    item->setText(ColOptions, QStringLiteral("..."));
    return item;
}

void TFPSRManager::UpdateRuleItem(int row) {
    QTreeWidgetItem* item = LVSR->topLevelItem(row);
    if (!item)
        return;
    const TSRInfo& rule = list_.Rule(row);
    item->setText(ColSearch, RuleCellText(rule.Source.ssText));
    item->setText(ColReplace, RuleCellText(rule.Target.tsText));
    item->setText(ColOptions, QStringLiteral("..."));
}

void TFPSRManager::FillItems() {
    LVSR->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(list_.Count());
    for (int i = 0; i < list_.Count(); ++i)
        items << NewItem(i);
    LVSR->addTopLevelItems(items);
    hintColumn_ = hintRow_ = -1;
    ALSRManagerUpdate();
}

void TFPSRManager::DeleteRow(int row) {
    list_.Delete(row);
    delete LVSR->takeTopLevelItem(row);
    hintColumn_ = hintRow_ = -1;
}

void TFPSRManager::LoadFromStream(QIODevice& stream) {
    try {
        LoadRuleListBlock(stream, *header_, list_);
    } catch (...) {
        FillItems();
        throw;
    }
    FillItems();
}

void TFPSRManager::SaveToStream(QIODevice& stream) const { SaveRuleListBlock(stream, *header_, list_); }

bool TFPSRManager::LoadFromFile(const QString& path) {
    std::string bytes;
    TRuleListBlock block;
    bool read = LoadFileToString(path, bytes);
    if (read) {
        try {
            block = ParseRuleListFile(bytes);
        } catch (const bw::StreamReadError&) {
            read = false;
        }
    }
    if (!read) {
        ShowMessage(bw::format(Text("szBadSRList"), {QDir::toNativeSeparators(path)}));
        return false;
    }
    bytes.clear();
    const bool damaged = block.Damaged;
    ApplyRuleListBlock(std::move(block), *header_, list_);
    FillItems();
    if (damaged) {
        // The rules read before the damage are kept; the user hears of it once.
        ShowMessage(bw::format(Text("szDamagedSRList"), {QDir::toNativeSeparators(path)}));
        return false;
    }
    return true;
}

bool TFPSRManager::SaveToFile(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return SaveStringToFile(path, bytes.toStdString());
}

QString TFPSRManager::ListFolder() {
    const QString folder = bw::homeDir() + QStringLiteral("LSR/");
    QDir().mkpath(folder);
    return folder;
}

void TFPSRManager::AClearExecute() {
    LVSR->clear();
    list_.Clear();
    hintColumn_ = hintRow_ = -1;
    ALSRManagerUpdate();
}

void TFPSRManager::ALoadSRListExecute() {
    const QString path = bw::chooser().openFile({Text("szLoadSRList"), ListFolder(), Text("szSRListFilter"), QStringLiteral("lsr"), {}});
    if (!path.isEmpty())
        LoadFromFile(path);
}

void TFPSRManager::ASaveSRListExecute() {
    const QString path = bw::chooser().saveFile({Text("szSaveSRList"), ListFolder(), Text("szSRListFilter"), QStringLiteral("lsr"), {}});
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) &&
        !bw::prompt().yesNo(Text("szApplicationTitle"), bw::format(Text("szReplaceSRList"), {QDir::toNativeSeparators(path)})))
        return;
    SaveToFile(path);
}

bool TFPSRManager::EditSelected() {
    const int row = SelectedRow();
    if (row < 0 || !Editor)
        return false;
    const bool ok = Editor->Edit(list_.Rule(row));
    UpdateRuleItem(row);
    return ok;
}

void TFPSRManager::AAddExecute() {
    auto rule = std::make_unique<TSRInfo>();
    if (Editor)
        TextToRule(*rule, Editor->NewRuleText());
    const int row = list_.Append(true, std::move(rule));
    LVSR->addTopLevelItem(NewItem(row));
    SelectRow(row);
    ALSRManagerUpdate();
    if (EditSelected()) {
        SelectRow(row);
        LVSR->setFocus();
        return;
    }
    DeleteRow(row);
    if (QTreeWidgetItem* focused = LVSR->currentItem())
        focused->setSelected(true);
    ALSRManagerUpdate();
}

void TFPSRManager::ARemoveExecute() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    DeleteRow(row);
    if (QTreeWidgetItem* focused = LVSR->currentItem())
        focused->setSelected(true);
    ALSRManagerUpdate();
}

void TFPSRManager::MoveSelectedRule(bool up) {
    const int from = SelectedRow();
    const int to = list_.MoveRule(from, up);
    if (to < 0)
        return;
    // The two rows show each other's rules: nothing else of the list changes.
    ShowRows(std::min(from, to), std::max(from, to));
    SelectRow(to);
    hintColumn_ = hintRow_ = -1;
}

void TFPSRManager::ShowRows(int first, int last) {
    {
        // The items take the list's values, which the list already has: one
        // repaint instead of a change signal per cell.
        const QSignalBlocker quiet(LVSR->model());
        for (int row = first; row <= last; ++row) {
            QTreeWidgetItem* item = LVSR->topLevelItem(row);
            item->setCheckState(ColCheck, list_.Checked(row) ? Qt::Checked : Qt::Unchecked);
            UpdateRuleItem(row);
        }
    }
    LVSR->viewport()->update();
}

void TFPSRManager::LVSRDragDrop(const QPoint& pos) {
    const int from = SelectedRow();
    if (from < 0)
        return;
    QTreeWidgetItem* under = LVSR->itemAt(pos);
    const int target = under ? LVSR->indexOfTopLevelItem(under) : list_.Count();
    const int to = list_.DropRule(from, target);
    if (to < 0)
        return;
    ShowRows(std::min(from, to), std::max(from, to));
    SelectRow(to);
    LVSR->setFocus();
    hintColumn_ = hintRow_ = -1;
}

void TFPSRManager::LVSRResize() {
    QHeaderView* h = LVSR->header();
    int w = SearchColumnWidth(LVSR->width(), h->sectionSize(ColCheck), h->sectionSize(ColOptions));
    // The header cannot show a column narrower than its minimum.
    if (w <= 0)
        w = h->minimumSectionSize();
    h->resizeSection(ColSearch, w);
    h->resizeSection(ColReplace, w);
}

void TFPSRManager::LVSRMouseMove(const QPoint& pos, const QPoint& globalPos) {
    LVSR->setToolTip(QString());
    if (!AShowHints->isChecked())
        return;
    QTreeWidgetItem* item = LVSR->itemAt(pos);
    if (!item) {
        QToolTip::hideText();
        hintColumn_ = hintRow_ = -1;
        return;
    }
    QHeaderView* h = LVSR->header();
    std::vector<int> widths;
    for (int i = 0; i < h->count(); ++i)
        widths.push_back(h->sectionSize(h->logicalIndex(i)));
    const int visual = ColumnAtX(widths, pos.x() + h->offset());
    const int column = visual < 0 ? -1 : h->logicalIndex(visual);
    const int row = LVSR->indexOfTopLevelItem(item);
    if ((column != ColSearch && column != ColReplace) || row < 0)
        return;
    if (column == hintColumn_ && row == hintRow_)
        return;
    hintColumn_ = column;
    hintRow_ = row;
    const TSRInfo& rule = list_.Rule(row);
    hintText_ = RuleHintText(column == ColSearch ? rule.Source.ssText : rule.Target.tsText);
    ++hintsShown_;
    QToolTip::showText(globalPos, hintText_, LVSR->viewport());
}

bool TFPSRManager::LVSRKeyDown(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        AEditExecute();
        return true;
    case Qt::Key_Insert:
        AAddExecute();
        return true;
    case Qt::Key_Delete:
        ARemoveExecute();
        return true;
    default:
        return false;
    }
}

void TFPSRManager::LVSRDblClick() {
    if (SelectedRow() >= 0)
        AEditExecute();
    else
        AAddExecute();
}

void TFPSRManager::ALSRManagerUpdate() {
    const bool selected = SelectedRow() >= 0;
    AEdit->setEnabled(selected);
    ARemove->setEnabled(selected);
}
