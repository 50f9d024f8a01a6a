#pragma once

#include <QGroupBox>
#include <QListWidget>
#include <QObjectList>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QRadioButton;

// What the settings store saves and the language manager translates is decided
// by the kind of each component, tested in this order (first match wins).
enum TComponentKind {
    ckForm,           // a window: a top-level widget, or a page marked as a window
    ckFrame,          // TFrame
    ckCheckBox,       // QCheckBox
    ckRadioButton,    // QRadioButton
    ckRadioGroup,     // TRadioGroup
    ckPageControl,    // QTabWidget
    ckCheckListBox,   // TCheckListBox
    ckEdit,           // QLineEdit, but not the inner edit of a spin box or combo box
    ckLabel,          // QLabel
    ckAction,         // QAction not placed in a menu
    ckMenuItem,       // QAction whose parent is a QMenu
    ckListView,       // QTreeView or QTableView (columns)
    ckButton,         // QPushButton
    ckGroupBox,       // QGroupBox
    ckTabSheet,       // a page widget of a QTabWidget
    ckSpinEdit,       // QSpinBox
    ckDateTimePicker, // QDateTimeEdit
    ckUnknown
};

namespace bw {
// Dynamic property holding a component's design-time tag (an int, 0 when unset).
inline constexpr char kTagProperty[] = "tag";
// Dynamic property marking a widget as a window of its own even while it is
// docked inside another one (a page shown in the main window's tabs).
inline constexpr char kFormProperty[] = "form";
} // namespace bw

int ComponentTag(const QObject* component);
void SetComponentTag(QObject* component, int tag);

bool IsForm(const QObject* component);
TComponentKind ComponentKind(const QObject* component);

// The components a window or frame owns, in child order: every descendant
// reached without passing through a window, a frame (listed, but its insides
// are its own) or a control whose children are its own workings (radio group,
// check list, edit, list view, spin edit, date picker, push button).
QObjectList OwnedComponents(const QObject* owner);

// Text of a component for translation: a window's title, a button's or
// label's text, a group box's title, an action's text, a tab's caption; the
// empty text for kinds that carry none.
QString ComponentText(const QObject* component);
void SetComponentText(QObject* component, const QString& text);

// Base class of our frames: panels of controls that several windows embed,
// keeping their own components under their own name.
class TFrame : public QWidget {
    Q_OBJECT
public:
    explicit TFrame(QWidget* parent = nullptr) : QWidget(parent) {}
};

// A group box holding a column of radio buttons, one per item.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    void SetItems(const QStringList& items);
    QStringList Items() const;
    int Count() const;
    // -1 when no button is checked.
    int ItemIndex() const;
    // An index outside the items unchecks every button.
    void SetItemIndex(int index);
    QRadioButton* Button(int index) const;

private:
    QButtonGroup* group_;
};

// A list whose items carry check boxes.
class TCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr) : QListWidget(parent) {}

    // Adds a checkable, unchecked item (last, or in its place in a sorted
    // list) and returns its index.
    int AddItem(const QString& text);
    void SetItems(const QStringList& items);
    QStringList Items() const;
    QString ItemText(int index) const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    // Index of the first item with this text, compared without regard to case; -1 when none.
    int IndexOf(const QString& text) const;

protected:
    // An item shows its text in the current language (LangText) while the
    // text itself, which Items, ItemText and IndexOf give, stays as added.
    void changeEvent(QEvent* event) override;
};
