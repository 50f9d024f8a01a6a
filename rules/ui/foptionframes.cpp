#include "rules/ui/foptionframes.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "engine/codepages.h"
#include "platform/ui/chooser.h"
#include "services/langmanager.h"

namespace {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

constexpr int kCodePageRows = 4; // two columns of four

// The caption of a check box, wrapped to the frame's width; a click on it
// clicks the box, its access key takes the focus to the box.
class TBoxCaption : public QLabel {
public:
    TBoxCaption(const QString& text, QCheckBox* box, QWidget* parent) : QLabel(text, parent) {
        setWordWrap(true);
        setBuddy(box);
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (buddy() && buddy()->isEnabled())
            static_cast<QCheckBox*>(buddy())->click();
    }
};

// A check box with its caption beside it, wrapping; the caption is named
// after the box with "L" in front of its name.
QCheckBox* optionBox(QWidget* parent, QBoxLayout* layout, const char* name, const QString& caption, bool on) {
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    auto* box = named(new QCheckBox(parent), name);
    box->setChecked(on);
    auto* label = new TBoxCaption(caption, box, parent);
    label->setObjectName(QStringLiteral("L") + QString::fromLatin1(name));
    row->addWidget(box);
    row->addWidget(label, 1);
    layout->addLayout(row);
    return box;
}

} // namespace

TFOFind::TFOFind(QWidget* parent) : TFrame(parent) {
    setObjectName(QStringLiteral("FOFind"));
    setProperty("helpKeyword", QStringLiteral("OSearch"));
    setProperty("helpContext", 1100);
    setMinimumWidth(232);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    LCodePages = named(new QLabel(tr("Us&e followings codepages:"), this), "LCodePages");
    layout->addWidget(LCodePages);
    CLBCP = named(new TCheckListBox(this), "CLBCP");
    CLBCP->setFlow(QListView::TopToBottom);
    CLBCP->setWrapping(true);
    CLBCP->setResizeMode(QListView::Adjust);
    CLBCP->setUniformItemSizes(true);
    CLBCP->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CLBCP->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CLBCP->viewport()->installEventFilter(this);
    LCodePages->setBuddy(CLBCP);
    layout->addWidget(CLBCP);

    LCharCount = named(new QLabel(tr("Auto&detection of codepage for"), this), "LCharCount");
    LCharCount->setWordWrap(true);
    layout->addWidget(LCharCount);
    auto* count = new QHBoxLayout;
    SECharCount = named(new QSpinBox(this), "SECharCount");
    SECharCount->setRange(0, std::numeric_limits<int>::max());
    SECharCount->setValue(10000);
    LCharCount->setBuddy(SECharCount);
    LChar = named(new QLabel(tr("char"), this), "LChar");
    count->addWidget(SECharCount, 1);
    count->addWidget(LChar);
    layout->addLayout(count);

    auto box = [this, layout](const char* name, const QString& text, bool on) {
        return optionBox(this, layout, name, text, on);
    };
    CBSaveCP = box("CBSaveCP", tr("Sa&ve initial codepage within replacing"), true);
    CBStopCPChange = box("CBStopCPChange", tr("First entering stops code&page's selecting"), true);
    CBCaseSensitive = box("CBCaseSensitive", tr("Case &sensitive"), false);
    CBWholeWords = box("CBWholeWords", tr("Only &whole words"), false);
    CBIgnoreMode = box("CBIgnoreMode", tr("Ignore all system c&hars (with code less than 32)"), false);
    layout->addStretch(1);

    FillCodePages();
}

void TFOFind::FillCodePages() {
    for (const TSearchCodePage& page : SearchCodePages()) {
        const int index = CLBCP->AddItem(page.Name);
        CLBCP->item(index)->setData(Qt::UserRole, page.Row);
    }
    baseItems_ = CLBCP->count();
    FitCodePages();
}

void TFOFind::FitCodePages() {
    const int indicator = CLBCP->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, CLBCP);
    const int rowHeight = std::max(CLBCP->fontMetrics().height(), indicator) + 4;
    // Room for the scroll bar that names beyond the table bring.
    const int scrollBar = CLBCP->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, CLBCP);
    CLBCP->setFixedHeight(rowHeight * kCodePageRows + 2 * CLBCP->frameWidth() + scrollBar + 2);
    CLBCP->setGridSize(QSize(std::max(40, (CLBCP->viewport()->width() - 2) / 2), rowHeight));
}

int TFOFind::ItemRow(int index) const {
    const QVariant row = CLBCP->item(index) ? CLBCP->item(index)->data(Qt::UserRole) : QVariant();
    return row.isValid() ? row.toInt() : -1;
}

void TFOFind::RemoveExtraItems() {
    while (CLBCP->count() > baseItems_)
        delete CLBCP->takeItem(CLBCP->count() - 1);
}

bool TFOFind::AnyCodePageChecked() const {
    for (int i = 0; i < CLBCP->count(); ++i)
        if (CLBCP->Checked(i))
            return true;
    return false;
}

bool TFOFind::eventFilter(QObject* watched, QEvent* event) {
    // Two columns, whatever the width.
    if (watched == CLBCP->viewport() && event->type() == QEvent::Resize)
        FitCodePages();
    return TFrame::eventFilter(watched, event);
}

TFOReplace::TFOReplace(QWidget* parent) : TFrame(parent) {
    setObjectName(QStringLiteral("FOReplace"));
    setProperty("helpKeyword", QStringLiteral("OReplace"));
    setMinimumWidth(232);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto box = [this, layout](const char* name, const QString& text, bool on) {
        return optionBox(this, layout, name, text, on);
    };
    CBConfirmReplace = box("CBConfirmReplace", tr("Confirm &replacing"), true);
    CBShowHint = box("CBShowHint", tr("Show hint when replacin&g"), true);
    CBRepeat = box("CBRepeat", tr("Repeat u&ntil replacements = 0"), false);

    auto folder = [this, layout](const char* labelName, const QString& caption, const char* editName,
                                 const char* buttonName, QLabel*& label, QLineEdit*& edit, QPushButton*& button) {
        label = named(new QLabel(caption, this), labelName);
        layout->addWidget(label);
        auto* row = new QHBoxLayout;
        edit = named(new QLineEdit(this), editName);
        SetComponentTag(edit, 1);
        label->setBuddy(edit);
        button = named(new QPushButton(QStringLiteral("..."), this), buttonName);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
        row->addWidget(edit, 1);
        row->addWidget(button);
        layout->addLayout(row);
    };
    folder("LOutFolder", tr("Save files &to folder:"), "EOutFolder", "BSelectOutFolder", LOutFolder, EOutFolder,
           BSelectOutFolder);
    folder("LInFolder", tr("Read files fro&m folder:"), "EInFolder", "BSelectSaveInFolder", LInFolder, EInFolder,
           BSelectSaveInFolder);
    layout->addStretch(1);

    connect(BSelectOutFolder, &QPushButton::clicked, this, &TFOReplace::BSelectOutFolderClick);
    connect(BSelectSaveInFolder, &QPushButton::clicked, this, &TFOReplace::BSelectSaveInFolderClick);
}

namespace {
void chooseFolder(QLineEdit* edit) {
    const QString folder = bw::chooser().folder(LangText(QStringLiteral("Browse for folder")), QDir::rootPath());
    if (!folder.isEmpty())
        edit->setText(QDir::toNativeSeparators(folder));
}
} // namespace

void TFOReplace::BSelectOutFolderClick() { chooseFolder(EOutFolder); }

void TFOReplace::BSelectSaveInFolderClick() { chooseFolder(EInFolder); }
