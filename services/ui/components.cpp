#include "services/ui/components.h"

#include "services/langmanager.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

int ComponentTag(const QObject* component) {
    return component ? component->property(bw::kTagProperty).toInt() : 0;
}

void SetComponentTag(QObject* component, int tag) { component->setProperty(bw::kTagProperty, tag); }

bool IsForm(const QObject* component) {
    const auto* w = qobject_cast<const QWidget*>(component);
    if (!w)
        return false;
    if (w->property(bw::kFormProperty).toBool())
        return true;
    if (!w->isWindow())
        return false;
    // Popups (menus, combo box lists) and tool tips are windows to the system, not to us.
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
}

namespace {

// The tab widget a page belongs to, or nullptr when the widget is no tab page.
QTabWidget* tabWidgetOfPage(const QObject* page) {
    const auto* w = qobject_cast<const QWidget*>(page);
    if (!w)
        return nullptr;
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    if (!stack)
        return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
    return tabs && tabs->indexOf(const_cast<QWidget*>(w)) >= 0 ? tabs : nullptr;
}

bool isInnerEdit(const QObject* edit) {
    for (const QObject* p = edit->parent(); p; p = p->parent()) {
        if (qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QComboBox*>(p))
            return true;
        if (IsForm(p))
            break;
    }
    return false;
}

} // namespace

TComponentKind ComponentKind(const QObject* c) {
    if (!c)
        return ckUnknown;
    if (IsForm(c))
        return ckForm;
    if (qobject_cast<const TFrame*>(c))
        return ckFrame;
    if (qobject_cast<const QCheckBox*>(c))
        return ckCheckBox;
    if (qobject_cast<const QRadioButton*>(c))
        return ckRadioButton;
    if (qobject_cast<const TRadioGroup*>(c))
        return ckRadioGroup;
    if (qobject_cast<const QTabWidget*>(c))
        return ckPageControl;
    if (qobject_cast<const TCheckListBox*>(c))
        return ckCheckListBox;
    if (qobject_cast<const QLineEdit*>(c) && !isInnerEdit(c))
        return ckEdit;
    if (qobject_cast<const QLabel*>(c))
        return ckLabel;
    if (const auto* a = qobject_cast<const QAction*>(c))
        return qobject_cast<const QMenu*>(a->parent()) ? ckMenuItem : ckAction;
    if (qobject_cast<const QTreeView*>(c) || qobject_cast<const QTableView*>(c))
        return ckListView;
    if (qobject_cast<const QPushButton*>(c))
        return ckButton;
    if (qobject_cast<const QGroupBox*>(c))
        return ckGroupBox;
    if (tabWidgetOfPage(c))
        return ckTabSheet;
    if (qobject_cast<const QSpinBox*>(c))
        return ckSpinEdit;
    if (qobject_cast<const QDateTimeEdit*>(c))
        return ckDateTimePicker;
    return ckUnknown;
}

namespace {

bool keepsChildrenToItself(const QObject* c) {
    return qobject_cast<const TRadioGroup*>(c) || qobject_cast<const QListWidget*>(c) ||
           qobject_cast<const QLineEdit*>(c) || qobject_cast<const QAbstractItemView*>(c) ||
           qobject_cast<const QAbstractSpinBox*>(c) || qobject_cast<const QPushButton*>(c) ||
           qobject_cast<const QComboBox*>(c);
}

void collectOwned(const QObject* parent, QObjectList& out) {
    for (QObject* child : parent->children()) {
        if (IsForm(child))
            continue;
        out.push_back(child);
        if (qobject_cast<const TFrame*>(child) || keepsChildrenToItself(child))
            continue;
        collectOwned(child, out);
    }
}

} // namespace

QObjectList OwnedComponents(const QObject* owner) {
    QObjectList out;
    if (owner)
        collectOwned(owner, out);
    return out;
}

QString ComponentText(const QObject* c) {
    switch (ComponentKind(c)) {
    case ckForm:
    case ckFrame:
        return static_cast<const QWidget*>(c)->windowTitle();
    case ckCheckBox:
    case ckRadioButton:
    case ckButton:
        return static_cast<const QAbstractButton*>(c)->text();
    case ckRadioGroup:
    case ckGroupBox:
        return static_cast<const QGroupBox*>(c)->title();
    case ckLabel:
        return static_cast<const QLabel*>(c)->text();
    case ckAction:
    case ckMenuItem:
        return static_cast<const QAction*>(c)->text();
    case ckTabSheet: {
        QTabWidget* tabs = tabWidgetOfPage(c);
        return tabs->tabText(tabs->indexOf(const_cast<QWidget*>(static_cast<const QWidget*>(c))));
    }
    default:
        return QString();
    }
}

void SetComponentText(QObject* c, const QString& text) {
    switch (ComponentKind(c)) {
    case ckForm:
    case ckFrame:
        static_cast<QWidget*>(c)->setWindowTitle(text);
        break;
    case ckCheckBox:
    case ckRadioButton:
    case ckButton:
        static_cast<QAbstractButton*>(c)->setText(text);
        break;
    case ckRadioGroup:
    case ckGroupBox:
        static_cast<QGroupBox*>(c)->setTitle(text);
        break;
    case ckLabel:
        static_cast<QLabel*>(c)->setText(text);
        break;
    case ckAction:
    case ckMenuItem:
        static_cast<QAction*>(c)->setText(text);
        break;
    case ckTabSheet: {
        QTabWidget* tabs = tabWidgetOfPage(c);
        tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(c)), text);
        break;
    }
    default:
        break;
    }
}

// --- TRadioGroup -------------------------------------------------------------

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this)) {
    new QVBoxLayout(this);
}

void TRadioGroup::SetItems(const QStringList& items) {
    for (QAbstractButton* b : group_->buttons()) {
        group_->removeButton(b);
        delete b;
    }
    for (const QString& text : items) {
        auto* b = new QRadioButton(text, this);
        group_->addButton(b, group_->buttons().size());
        layout()->addWidget(b);
    }
}

QStringList TRadioGroup::Items() const {
    QStringList out;
    for (QAbstractButton* b : group_->buttons())
        out << b->text();
    return out;
}

int TRadioGroup::Count() const { return static_cast<int>(group_->buttons().size()); }

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

QRadioButton* TRadioGroup::Button(int index) const {
    return qobject_cast<QRadioButton*>(group_->button(index));
}

void TRadioGroup::SetItemIndex(int index) {
    if (QRadioButton* b = Button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group never lets its checked button go by itself.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons())
        b->setChecked(false);
    group_->setExclusive(true);
}

// --- TCheckListBox -----------------------------------------------------------

namespace {

// The item's own text, apart from the text it shows.
constexpr int kItemTextRole = Qt::UserRole + 100;

QString itemText(const QListWidgetItem* item) {
    const QVariant own = item->data(kItemTextRole);
    return own.isValid() ? own.toString() : item->text();
}

} // namespace

int TCheckListBox::AddItem(const QString& text) {
    auto* item = new QListWidgetItem(LangText(text), this);
    item->setData(kItemTextRole, text);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    // A sorted list puts the item in its place, not last.
    return row(item);
}

void TCheckListBox::SetItems(const QStringList& items) {
    clear();
    for (const QString& text : items)
        AddItem(text);
}

QStringList TCheckListBox::Items() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(item(i));
    return out;
}

QString TCheckListBox::ItemText(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? itemText(it) : QString();
}

bool TCheckListBox::Checked(int index) const {
    const QListWidgetItem* it = item(index);
    return it && it->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool checked) {
    if (QListWidgetItem* it = item(index))
        it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int TCheckListBox::IndexOf(const QString& text) const {
    for (int i = 0; i < count(); ++i)
        if (itemText(item(i)).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TCheckListBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        for (int i = 0; i < count(); ++i)
            item(i)->setText(LangText(itemText(item(i))));
    QListWidget::changeEvent(event);
}
