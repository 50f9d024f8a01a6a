#include "services/ui/settingsmanager.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QDateTimeEdit>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/delimitedtext.h"
#include "services/ui/components.h"

namespace {

const QString kDateFormatWrite = QStringLiteral("dd.MM.yyyy");
const QString kDateFormatRead = QStringLiteral("d.M.yyyy");

// The day a date of 0 stands for.
QDate dayZero() { return QDate(1899, 12, 30); }

QHeaderView* columnHeader(QObject* view) {
    if (auto* tree = qobject_cast<QTreeView*>(view))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(view))
        return table->horizontalHeader();
    return nullptr;
}

// Sets a radio button's state even when unchecking would leave its exclusive
// group without a checked button.
void setButtonChecked(QAbstractButton* b, bool checked) {
    if (checked || !b->isChecked()) {
        b->setChecked(checked);
        return;
    }
    QButtonGroup* group = b->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = b->autoExclusive();
    if (groupExclusive)
        group->setExclusive(false);
    b->setAutoExclusive(false);
    b->setChecked(false);
    b->setAutoExclusive(autoExclusive);
    if (groupExclusive)
        group->setExclusive(true);
}

void setActionChecked(QAction* a, bool checked) {
    QActionGroup* group = a->actionGroup();
    if (checked || !a->isChecked() || !group ||
        group->exclusionPolicy() == QActionGroup::ExclusionPolicy::None) {
        a->setChecked(checked);
        return;
    }
    const auto policy = group->exclusionPolicy();
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    a->setChecked(false);
    group->setExclusionPolicy(policy);
}

// Marks a window that was shown at least once, and one whose place came from the file.
const char* const kShownProperty = "settingsShown";
const char* const kPlacedProperty = "settingsPlaced";
// A window whose title bar was checked against a frame not its own: checked
// again once the window manager has framed it.
const char* const kFramePendingProperty = "settingsFramePending";
// Where a window was when it was hidden, for its next showing.
const char* const kLeftAtProperty = "settingsLeftAt";

// Stored coordinates are read into this distance from the origin, far beyond
// any screen yet far from int's limits, so that no sum of them overflows.
constexpr qint64 kPlaceLimit = 1'000'000;

QMargins marginsOf(const QWidget* x) {
    const QRect f = x->frameGeometry();
    const QRect g = x->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

// Whether the window manager has told the frame around a shown window.
bool ownFrameKnown(const QWidget* w) { return w->isVisible() && !marginsOf(w).isNull(); }

// The frame the window manager put around a window, from its own frame when
// known, else from another shown window's; none without frames.
QMargins frameMargins(const QWidget* w) {
    if (ownFrameKnown(w))
        return marginsOf(w);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = other->windowType();
        if (other != w && other->isVisible() && (type == Qt::Window || type == Qt::Dialog) &&
            !marginsOf(other).isNull())
            return marginsOf(other);
    }
    return {};
}

QList<QRect> availableAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

// The size of all screens together, the most a stored size can be.
QSize desktopSize() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= screen->geometry();
    return all.isEmpty() ? QSize(int(kPlaceLimit), int(kPlaceLimit)) : all.size();
}

bool inNormalState(const QWidget* w) {
    return !(w->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

// Puts a window whose title bar is off every screen back on the nearest one.
// Every window placed by the program comes through here: from the file, when
// shown, and once more when its own frame becomes known after it was checked
// against another's.
void keepOnScreen(QWidget* w) {
    // Neither a page docked into another window nor a window that fills a screen.
    if (!w->isWindow() || !inNormalState(w))
        return;
    w->setProperty(kFramePendingProperty, w->isVisible() && !ownFrameKnown(w));
    const QRect now = w->geometry();
    const QRect placed = TSettingsManager::PlaceOnScreen(now, frameMargins(w), availableAreas());
    if (placed != now)
        w->setGeometry(placed);
}

int toInt(qint64 v) {
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}

} // namespace

TSettingsManager::TSettingsManager(QObject* parent) : QObject(parent) {}

TSettingsManager::~TSettingsManager() { CloseOptionsFile(); }

void TSettingsManager::SetFileName(const QString& fileName) {
    if (fileName == fileName_)
        return;
    CloseOptionsFile();
    fileName_ = fileName;
    if (!fileName_.isEmpty())
        file_ = std::make_unique<bw::IniFile>(fileName_);
}

void TSettingsManager::CloseOptionsFile() {
    if (!file_)
        return;
    file_->flush();
    file_.reset();
}

void TSettingsManager::ReleaseOptionsFile() {
    if (file_)
        file_->detach();
}

void TSettingsManager::SaveForm(QWidget* form) {
    if (form)
        watchShowing(form);
    if (file_ && form)
        SaveComponent(form->objectName(), QString(), true, form, form);
}

void TSettingsManager::LoadForm(QWidget* form) {
    if (form)
        watchShowing(form);
    if (file_ && form)
        LoadComponent(form->objectName(), QString(), true, form, form);
}

void TSettingsManager::watchShowing(QWidget* form) {
    if (form->property(kShownProperty).isValid())
        return;
    form->setProperty(kShownProperty, form->isVisible());
    form->installEventFilter(this);
}

bool TSettingsManager::WasShown(const QWidget* form) {
    return form->isVisible() || form->property(kShownProperty).toBool();
}

bool TSettingsManager::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType() || !static_cast<QWidget*>(watched)->isWindow())
        return QObject::eventFilter(watched, event);
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Show: {
        w->setProperty(kShownProperty, true);
        // Minimised and restored by the window manager: it stays where it is.
        if (event->spontaneous())
            break;
        // Shown again, it comes back where it was left: a dialog would
        // centre itself afresh, with a frame now known, and so move.
        const QVariant leftAt = w->property(kLeftAtProperty);
        w->setProperty(kLeftAtProperty, QVariant());
        if (leftAt.isValid() && inNormalState(w))
            w->setGeometry(QRect(leftAt.toRect().topLeft(), w->size()));
        // Placed while hidden: now other windows tell how tall a title bar is.
        if (leftAt.isValid() || w->property(kPlacedProperty).toBool())
            keepOnScreen(w);
        break;
    }
    case QEvent::Hide:
        if (event->spontaneous())
            break;
        w->setProperty(kFramePendingProperty, false);
        if (inNormalState(w))
            w->setProperty(kLeftAtProperty, w->geometry());
        break;
    case QEvent::Paint:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
        // Framed by now (a window is framed before it is first drawn): the
        // title bar is checked with its own height.
        if (w->property(kFramePendingProperty).toBool() && ownFrameKnown(w))
            keepOnScreen(w);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

QRect TSettingsManager::PlaceOnScreen(const QRect& stored, const QMargins& frame, const QList<QRect>& available) {
    if (available.isEmpty())
        return stored;
    const QRect outer = stored.marginsAdded(frame);
    // The title bar (with no frame, the client area's top row) must lie
    // within an area, wide enough to be taken with the mouse.
    const QRect titleBar(outer.left(), outer.top(), outer.width(), std::max(frame.top(), 1));
    const int grip = std::min(titleBar.width(), 40);
    for (const QRect& area : available)
        if (titleBar.top() >= area.top() && titleBar.bottom() <= area.bottom() &&
            area.intersected(titleBar).width() >= grip)
            return stored;
    // The nearest area: least distance from the window's centre.
    const QPoint centre = outer.center();
    auto distance = [&](const QRect& a) {
        const int dx = std::max({a.left() - centre.x(), 0, centre.x() - a.right()});
        const int dy = std::max({a.top() - centre.y(), 0, centre.y() - a.bottom()});
        return qint64(dx) * dx + qint64(dy) * dy;
    };
    const QRect area = *std::min_element(available.begin(), available.end(),
                                         [&](const QRect& a, const QRect& b) { return distance(a) < distance(b); });
    auto fit = [](int pos, int size, int lo, int span) { return size >= span ? lo : std::clamp(pos, lo, lo + span - size); };
    const QPoint at(fit(outer.left(), outer.width(), area.left(), area.width()),
                    fit(outer.top(), outer.height(), area.top(), area.height()));
    return QRect(at + QPoint(frame.left(), frame.top()), stored.size());
}

namespace {

// Kind and key path of a component within a walk; kind ckUnknown for
// components that store nothing themselves.
struct Place {
    int kind;
    QString path;
};

Place placeOf(const QString& prefix, bool isRoot, QObject* c) {
    int kind = ComponentKind(c);
    const bool rootFrame = kind == ckFrame && isRoot;
    if (kind != ckForm && !rootFrame && c->objectName().isEmpty())
        kind = ckUnknown;
    Place p{kind, (kind == ckUnknown || rootFrame) ? prefix : prefix + QLatin1Char('.') + c->objectName()};
    if (kind == ckForm)
        p.path.clear();
    return p;
}

} // namespace

void TSettingsManager::SaveComponent(const QString& section, const QString& prefix, bool isRoot,
                                     QObject* component, QObject* owner) {
    walk(section, prefix, isRoot, component, owner, true);
}

void TSettingsManager::LoadComponent(const QString& section, const QString& prefix, bool isRoot,
                                     QObject* component, QObject* owner) {
    walk(section, prefix, isRoot, component, owner, false);
}

// A frame met inside a walk walks its own components with its path as the
// prefix; the root of a walk then visits every component it owns.
void TSettingsManager::walk(const QString& section, const QString& prefix, bool isRoot, QObject* component,
                            QObject* owner, bool saving) {
    if (!file_ || !component)
        return;
    const Place p = placeOf(prefix, isRoot, component);
    if (p.kind == ckFrame && !isRoot) {
        walk(section, p.path, true, component, component, saving);
        return;
    }
    if (p.kind != ckUnknown) {
        if (saving) {
            saveKeys(section, p.path, component, p.kind);
        } else {
            // One component's bad values never stop the others from loading.
            try {
                loadKeys(section, p.path, component, p.kind);
            } catch (const std::exception&) {
            }
        }
    }
    if (component == owner)
        for (QObject* c : OwnedComponents(owner))
            walk(section, p.path, false, c, owner, saving);
}

void TSettingsManager::saveKeys(const QString& section, const QString& path, QObject* c, int kind) {
    bw::IniFile& ini = *file_;
    auto key = [&](const char* suffix) { return path + QLatin1String(suffix); };
    switch (kind) {
    case ckForm: {
        auto* w = static_cast<QWidget*>(c);
        const Qt::WindowStates state = w->windowState();
        const int stateValue = state & Qt::WindowMaximized ? 2 : state & Qt::WindowMinimized ? 1 : 0;
        ini.writeInteger(section, QStringLiteral("WindowState"), stateValue);
        if (stateValue != 2) {
            const QRect client = w->geometry();
            // A window never shown has no place of its own yet: the stored one stays.
            if (WasShown(w)) {
                ini.writeInteger(section, QStringLiteral("Left"), client.x());
                ini.writeInteger(section, QStringLiteral("Top"), client.y());
            }
            ini.writeInteger(section, QStringLiteral("Width"), client.width());
            ini.writeInteger(section, QStringLiteral("Height"), client.height());
        }
        break;
    }
    case ckCheckBox:
    case ckRadioButton:
        ini.writeBool(section, key(".Checked"), static_cast<QAbstractButton*>(c)->isChecked());
        break;
    case ckAction:
    case ckMenuItem:
        ini.writeBool(section, key(".Checked"), static_cast<QAction*>(c)->isChecked());
        break;
    case ckRadioGroup:
        ini.writeInteger(section, key(".ItemIndex"), static_cast<TRadioGroup*>(c)->ItemIndex());
        break;
    case ckPageControl:
        ini.writeInteger(section, key(".ActivePage"), static_cast<QTabWidget*>(c)->currentIndex());
        break;
    case ckCheckListBox: {
        auto* box = static_cast<TCheckListBox*>(c);
        if (ComponentTag(c) == 1)
            ini.writeString(section, key(".Items"), bw::toCommaText(box->Items()));
        QStringList checked;
        ini.writeString(section, key(".Checked"), CheckedItemsToCommaText(checked, box));
        break;
    }
    case ckEdit:
        if (ComponentTag(c) >= 1)
            ini.writeString(section, key(".Text"), static_cast<QLineEdit*>(c)->text());
        break;
    case ckLabel: {
        if (ComponentTag(c) <= 0)
            break;
        auto* label = static_cast<QLabel*>(c);
        const QFont f = label->font();
        const int dpi = label->logicalDpiY() > 0 ? label->logicalDpiY() : 96;
        const int size = f.pointSize() > 0 ? f.pointSize()
                                           : static_cast<int>(std::lround(f.pixelSize() * 72.0 / dpi));
        const int height = f.pixelSize() > 0 ? -f.pixelSize()
                                             : -static_cast<int>(std::lround(f.pointSizeF() * dpi / 72.0));
        const QColor color = label->palette().color(QPalette::WindowText);
        // Character set: the program's fonts always use the default one.
        ini.writeInteger(section, key(".Charset"), 1);
        ini.writeInteger(section, key(".Color"), color.red() | (color.green() << 8) | (color.blue() << 16));
        ini.writeInteger(section, key(".Height"), height);
        ini.writeString(section, key(".Name"), f.family());
        ini.writeInteger(section, key(".Pitch"), f.fixedPitch() ? 2 : 0);
        ini.writeInteger(section, key(".Size"), size);
        ini.writeBool(section, key(".Style.fsBold"), f.bold());
        ini.writeBool(section, key(".Style.fsItalic"), f.italic());
        ini.writeBool(section, key(".Style.fsUnderline"), f.underline());
        ini.writeBool(section, key(".Style.fsStrikeOut"), f.strikeOut());
        break;
    }
    case ckSpinEdit:
        ini.writeInteger(section, key(".Value"), static_cast<QSpinBox*>(c)->value());
        break;
    case ckDateTimePicker:
        ini.writeString(section, key(".Value"), static_cast<QDateTimeEdit*>(c)->date().toString(kDateFormatWrite));
        break;
    case ckListView: {
        QHeaderView* header = columnHeader(c);
        QStringList widths{QString::number(header->count())};
        for (int i = 0; i < header->count(); ++i)
            widths << QString::number(header->sectionSize(i));
        ini.writeString(section, key(".ColWidth"), bw::toCommaText(widths));
        break;
    }
    default:
        break;
    }
}

void TSettingsManager::loadKeys(const QString& section, const QString& path, QObject* c, int kind) {
    const bw::IniFile& ini = *file_;
    auto key = [&](const char* suffix) { return path + QLatin1String(suffix); };
    auto integer = [&](const char* suffix) { return ini.readInteger(section, key(suffix), 0); };
    auto boolean = [&](const char* suffix) { return ini.readBool(section, key(suffix), false); };
    switch (kind) {
    case ckForm: {
        auto* w = static_cast<QWidget*>(c);
        // A bound that is missing or unreadable keeps the window's own, and
        // so does a size of none or less; the rest is read into the range of
        // the screens before anything is added to it.
        auto read = [&](const char* name, qint64& v) {
            return bw::IniFile::parseInteger(ini.readString(section, QLatin1String(name)), v);
        };
        auto coordinate = [&](const char* name, int current) {
            qint64 v = 0;
            return read(name, v) ? static_cast<int>(std::clamp(v, -kPlaceLimit, kPlaceLimit)) : current;
        };
        auto extent = [&](const char* name, int current, int most) {
            qint64 v = 0;
            return read(name, v) && v > 0 ? static_cast<int>(std::min<qint64>(v, most)) : current;
        };
        // The client rectangle, as saved: geometry() and setGeometry() leave
        // the frame out alike.
        const QRect now = w->geometry();
        const QSize most = desktopSize();
        const QRect stored(coordinate("Left", now.x()), coordinate("Top", now.y()),
                           extent("Width", now.width(), most.width()), extent("Height", now.height(), most.height()));
        const qint64 state = ini.readInteger(section, QStringLiteral("WindowState"), 0);
        w->setWindowState(Qt::WindowNoState);
        if (ini.valueExists(section, QStringLiteral("Left")) || ini.valueExists(section, QStringLiteral("Top"))) {
            w->setProperty(kPlacedProperty, true);
            w->setProperty(kLeftAtProperty, QVariant()); // the file's place wins
            w->setGeometry(stored);
            keepOnScreen(w);
        } else {
            // No place stored: the window manager (or the dialog's owner) places it.
            w->resize(stored.size());
        }
        if (state == 2)
            w->setWindowState(Qt::WindowMaximized);
        else if (state == 1)
            w->setWindowState(Qt::WindowMinimized);
        break;
    }
    case ckCheckBox:
    case ckRadioButton:
        setButtonChecked(static_cast<QAbstractButton*>(c), boolean(".Checked"));
        break;
    case ckAction:
    case ckMenuItem:
        setActionChecked(static_cast<QAction*>(c), boolean(".Checked"));
        break;
    case ckRadioGroup:
        static_cast<TRadioGroup*>(c)->SetItemIndex(toInt(integer(".ItemIndex")));
        break;
    case ckPageControl: {
        auto* tabs = static_cast<QTabWidget*>(c);
        const qint64 index = integer(".ActivePage");
        // Qt always shows a page: an index outside the pages leaves the current one.
        if (index >= 0 && index < tabs->count())
            tabs->setCurrentIndex(static_cast<int>(index));
        break;
    }
    case ckCheckListBox: {
        auto* box = static_cast<TCheckListBox*>(c);
        if (ComponentTag(c) == 1 && ini.valueExists(section, key(".Items")))
            box->SetItems(bw::fromCommaText(ini.readString(section, key(".Items"))));
        CommaTextToCheckedItems(bw::fromCommaText(ini.readString(section, key(".Checked"))), box);
        break;
    }
    case ckEdit:
        if (ComponentTag(c) >= 1)
            static_cast<QLineEdit*>(c)->setText(ini.readString(section, key(".Text")));
        break;
    case ckLabel: {
        if (ComponentTag(c) <= 0)
            break;
        auto* label = static_cast<QLabel*>(c);
        QFont f = label->font();
        const qint64 color = integer(".Color");
        const qint64 height = integer(".Height");
        const QString name = ini.readString(section, key(".Name"));
        const qint64 pitch = integer(".Pitch");
        const qint64 size = integer(".Size");
        if (!name.isEmpty())
            f.setFamily(name);
        f.setFixedPitch(pitch == 2);
        if (size > 0)
            f.setPointSize(toInt(size));
        else if (height != 0)
            f.setPixelSize(std::abs(toInt(height)));
        f.setBold(boolean(".Style.fsBold"));
        f.setItalic(boolean(".Style.fsItalic"));
        f.setUnderline(boolean(".Style.fsUnderline"));
        f.setStrikeOut(boolean(".Style.fsStrikeOut"));
        label->setFont(f);
        // Negative values name system colours, which keep the style's colour.
        if (color >= 0 && color <= 0xFFFFFF) {
            QPalette pal = label->palette();
            pal.setColor(QPalette::WindowText,
                         QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)));
            label->setPalette(pal);
        }
        break;
    }
    case ckSpinEdit:
        static_cast<QSpinBox*>(c)->setValue(toInt(integer(".Value")));
        break;
    case ckDateTimePicker: {
        QDate date = QDate::fromString(ini.readString(section, key(".Value")).trimmed(), kDateFormatRead);
        static_cast<QDateTimeEdit*>(c)->setDate(date.isValid() ? date : dayZero());
        break;
    }
    case ckListView: {
        QHeaderView* header = columnHeader(c);
        const QStringList items = bw::fromCommaText(ini.readString(section, key(".ColWidth")));
        qint64 count = 0;
        if (items.isEmpty() || !bw::IniFile::parseInteger(items.front(), count))
            break;
        // Widths apply in column order until one is missing, unreadable or has no column.
        for (qint64 i = 0; i < count; ++i) {
            qint64 width = 0;
            if (i + 1 >= items.size() || i >= header->count() || !bw::IniFile::parseInteger(items[i + 1], width))
                break;
            header->resizeSection(static_cast<int>(i), toInt(width));
        }
        break;
    }
    default:
        break;
    }
}

QString TSettingsManager::CheckedItemsToCommaText(QStringList& list, const TCheckListBox* box) {
    list.clear();
    for (int i = 0; i < box->count(); ++i)
        if (box->Checked(i))
            list << box->ItemText(i);
    return bw::toCommaText(list);
}

void TSettingsManager::CommaTextToCheckedItems(const QStringList& list, TCheckListBox* box) {
    for (int i = 0; i < box->count(); ++i)
        box->SetChecked(i, false);
    for (const QString& text : list) {
        int index = box->IndexOf(text);
        if (index < 0 && ComponentTag(box) == kFixedItemsTag)
            continue;
        if (index < 0)
            index = box->AddItem(text);
        box->SetChecked(index, true);
    }
}
