#include "rules/ui/feditsrinfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <iterator>

#include "platform/appdirs.h"
#include "platform/cp1251.h"
#include "platform/delimitedtext.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/prompt.h"
#include "rules/ui/foptionframes.h"
#include "rules/ui/fptextedit.h"
#include "rules/ui/rulewindows.h"
#include "services/ui/settingsmanager.h"

TFEditSRInfo* FEditSRInfo = nullptr;

namespace {

constexpr int kTargetHeight = 226;
constexpr int kTargetMinHeight = 140;
constexpr int kSourceMinHeight = 220;

// A page's text as the user sees it, lines joined by CR LF.
QString pageText(const TFPTextEdit* page) {
    QString text = page->SEText->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// What a page needs to show its toolbar and its whole options frame, whose
// wrapped captions grow with a narrower panel; at least `least`.
int pageMinimumHeight(const TFPTextEdit* page, const QWidget* frame, int least) {
    const int width = page->POptions->width() > 0 ? page->POptions->width() : frame->sizeHint().width();
    const int frameHeight = frame->hasHeightForWidth() ? frame->heightForWidth(width) : frame->minimumSizeHint().height();
    return std::max(least, page->ATBTextEdit->sizeHint().height() + frameHeight);
}

QString codePoint(const QString& character) {
    const char32_t c = character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1]) : character[0].unicode();
    return QStringLiteral("%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
}

QString captionOf(const QLabel* label) {
    QString text = label->text();
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

} // namespace

TFEditSRInfo::TFEditSRInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FEditSRInfo"));
    setWindowTitle(tr("Search/Replace - properties"));
    setModal(true);
    resize(561, 543);
    setMinimumWidth(560);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PST = new QWidget(this);
    PST->setObjectName(QStringLiteral("PST"));
    PST->installEventFilter(this);
    layout->addWidget(PST, 1);
    PSource = new QWidget(PST);
    PSource->setObjectName(QStringLiteral("PSource"));
    PSource->setProperty("helpKeyword", QStringLiteral("OSignsSearch"));
    PSource->setMinimumHeight(kSourceMinHeight);
    PTarget = new QWidget(PST);
    PTarget->setObjectName(QStringLiteral("PTarget"));
    PTarget->setProperty("helpKeyword", QStringLiteral("OSignsReplace"));
    PTarget->setMinimumHeight(kTargetMinHeight);
    PTarget->resize(PTarget->width(), kTargetHeight);

    // The pages first: Tab goes through them before the buttons.
    FormCreate();

    PButtons = new QWidget(this);
    PButtons->setObjectName(QStringLiteral("PButtons"));
    PButtons->setFixedHeight(34);
    auto* buttons = new QHBoxLayout(PButtons);
    buttons->setContentsMargins(4, 4, 4, 4);
    CBAction = new QComboBox(PButtons);
    CBAction->setObjectName(QStringLiteral("CBAction"));
    CBAction->addItems({tr("Don't change"), tr("Delete"), tr("Replace"), tr("Insert before"), tr("Insert after"),
                        tr("Write to file"), tr("Rename file")});
    buttons->addWidget(CBAction);
    buttons->addStretch(1);
    BOk = new QPushButton(tr("Ok"), PButtons);
    BOk->setObjectName(QStringLiteral("BOk"));
    BCancel = new QPushButton(tr("Cancel"), PButtons);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(BOk);
    buttons->addWidget(BCancel);
    layout->addWidget(PButtons);

    connect(CBAction, &QComboBox::currentIndexChanged, this, [this] { CBActionChange(); });
    connect(BOk, &QPushButton::clicked, this, &TFEditSRInfo::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && PSource->isAncestorOf(now))
            PSourceEnter();
        else if (now && PTarget->isAncestorOf(now))
            PTargetEnter();
    });

    // Enter in a folder field or on a "..." button never closes the dialog.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    if (!FEditSRInfo)
        FEditSRInfo = this;
}

TFEditSRInfo::~TFEditSRInfo() {
    if (FEditSRInfo == this)
        FEditSRInfo = nullptr;
    FormDestroy();
}

TFPTextEdit* TFEditSRInfo::CreateTextEditor(QWidget* panel, FrameKind frame, int role) {
    auto* page = new TFPTextEdit(panel, role);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(page);
    // Inside the dialog the panel decides the page's size.
    page->setMinimumSize(0, 0);
    page->show();
    page->SetRole(role);
    QWidget* options = page->POptions;
    QLayout* optionsLayout = options->layout();
    if (!optionsLayout) {
        optionsLayout = new QVBoxLayout(options);
        optionsLayout->setContentsMargins(0, 0, 0, 0);
    }
    if (frame == FrameKind::Find) {
        FOFind = new TFOFind(options);
        optionsLayout->addWidget(FOFind);
    } else {
        FOReplace = new TFOReplace(options);
        optionsLayout->addWidget(FOReplace);
    }
    page->SetLibraryPath(bw::homeDir() + QStringLiteral("Favorites/"));
    return page;
}

void TFEditSRInfo::FormCreate() {
    SourcePage = CreateTextEditor(PSource, FrameKind::Find, 0);
    SourcePage->setObjectName(QStringLiteral("SourcePage"));
    TargetPage = CreateTextEditor(PTarget, FrameKind::Replace, 1);
    TargetPage->setObjectName(QStringLiteral("TargetPage"));
    texts_ = std::make_unique<TPageTexts>(SourcePage, TargetPage);
    SourcePage->SetWholeRuleTexts(texts_.get());
    TargetPage->SetWholeRuleTexts(texts_.get());
}

void TFEditSRInfo::FormDestroy() {
    shortcutPage_ = nullptr;
    if (SourcePage)
        SourcePage->SetWholeRuleTexts(nullptr);
    if (TargetPage)
        TargetPage->SetWholeRuleTexts(nullptr);
    texts_.reset();
}

QString TFEditSRInfo::Text(const char* key) const { return RuleWindowText(Texts, key); }

void TFEditSRInfo::ShowMessage(const QString& text) const { ShowRuleMessage(Texts, text); }

bool TFEditSRInfo::Edit(TSRInfo& rule) {
    bool ok = false;
    try {
        LoadToForm(&rule);
        ok = exec() == QDialog::Accepted;
        if (ok)
            SaveFromForm(rule);
    } catch (const bw::Error& e) {
        bw::prompt().error(Text("szApplicationTitle"), e.message());
        ok = false;
    }
    LoadToForm(nullptr);
    return ok;
}

void TFEditSRInfo::LoadToForm(TSRInfo* rule) {
    rule_ = rule;
    if (!rule) {
        FOFind->RemoveExtraItems();
        return;
    }
    WriteForm(RuleToForm(*rule));
}

void TFEditSRInfo::WriteForm(const TRuleForm& f) {
    SourcePage->SetText(bw::encode1251(f.SearchText));
    SourcePage->SetAdditionalSigns(f.SearchAS);
    FOFind->RemoveExtraItems();
    TSettingsManager::CommaTextToCheckedItems(bw::fromCommaText(f.CodePages), FOFind->CLBCP);
    FOFind->CBCaseSensitive->setChecked(f.CaseSensitive);
    FOFind->CBWholeWords->setChecked(f.WholeWords);
    FOFind->CBIgnoreMode->setChecked(f.IgnoreMode);
    FOFind->CBSaveCP->setChecked(f.SaveCP);
    FOFind->CBStopCPChange->setChecked(f.StopCPChange);
    FOFind->SECharCount->setValue(f.CharCount);
    TargetPage->SetText(bw::encode1251(f.TargetText));
    TargetPage->SetAdditionalSigns(f.TargetAS);
    FOReplace->CBConfirmReplace->setChecked(f.ConfirmReplace);
    FOReplace->CBShowHint->setChecked(f.ShowHint);
    FOReplace->CBRepeat->setChecked(f.Repeat);
    FOReplace->EOutFolder->setText(f.OutFolder);
    FOReplace->EInFolder->setText(f.InFolder);
    CBAction->setCurrentIndex(f.Action);
}

TRuleForm TFEditSRInfo::ReadForm() const {
    TRuleForm f;
    f.SearchText = pageText(SourcePage);
    f.SearchAS = SourcePage->AdditionalSigns();
    QStringList checked;
    f.CodePages = TSettingsManager::CheckedItemsToCommaText(checked, FOFind->CLBCP);
    f.CaseSensitive = FOFind->CBCaseSensitive->isChecked();
    f.WholeWords = FOFind->CBWholeWords->isChecked();
    f.IgnoreMode = FOFind->CBIgnoreMode->isChecked();
    f.SaveCP = FOFind->CBSaveCP->isChecked();
    f.StopCPChange = FOFind->CBStopCPChange->isChecked();
    f.CharCount = FOFind->SECharCount->value();
    f.TargetText = pageText(TargetPage);
    f.TargetAS = TargetPage->AdditionalSigns();
    f.ConfirmReplace = FOReplace->CBConfirmReplace->isChecked();
    f.ShowHint = FOReplace->CBShowHint->isChecked();
    f.Repeat = FOReplace->CBRepeat->isChecked();
    f.OutFolder = FOReplace->EOutFolder->text();
    f.InFolder = FOReplace->EInFolder->text();
    f.Action = CBAction->currentIndex();
    return f;
}

void TFEditSRInfo::SaveFromForm(TSRInfo& rule) {
    TRuleForm f = ReadForm();
    // The rule holds exactly the bytes the pages give.
    f.SearchText = bw::decode1251(SourcePage->Text());
    f.TargetText = bw::decode1251(TargetPage->Text());
    FormToRule(f, rule, LastRuleText);
}

void TFEditSRInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFEditSRInfo::FormShow() {
    // The action list is no caption the language manager reaches: its items come from the messages.
    static constexpr const char* actionKeys[] = {"szofatDontChange",  "szofatDelete",      "szofatReplace",
                                                 "szofatInsertBefore", "szofatInsertAfter", "szofatWriteToFile",
                                                 "szofatRenameFile"};
    for (int i = 0; i < CBAction->count() && i < static_cast<int>(std::size(actionKeys)); ++i) {
        const QString text = Text(actionKeys[i]);
        if (!text.isEmpty())
            CBAction->setItemText(i, text);
    }
    PST->setMinimumHeight(pageMinimumHeight(SourcePage, FOFind, kSourceMinHeight) +
                          pageMinimumHeight(TargetPage, FOReplace, kTargetMinHeight));
    CBActionChange();
    if (!FOFind->AnyCodePageChecked())
        FOFind->CLBCP->SetChecked(0, true);
    SourcePage->SEText->setFocus();
}

void TFEditSRInfo::CBActionChange() {
    const bool shows = ActionShowsTarget(CBAction->currentIndex());
    PTarget->setVisible(shows);
    if (!shows)
        TargetPage->SetText(std::string());
    PSTResize();
}

void TFEditSRInfo::PSTResize() {
    const int total = PST->height();
    const int width = PST->width();
    if (!PTarget->isVisibleTo(this)) {
        PSource->setGeometry(0, 0, width, total);
        return;
    }
    const int sourceMin = pageMinimumHeight(SourcePage, FOFind, kSourceMinHeight);
    const int targetMin = pageMinimumHeight(TargetPage, FOReplace, kTargetMinHeight);
    int target = (PTarget->height() + (total - PTarget->height())) / 2;
    target = std::max(target, targetMin);
    if (total - target < sourceMin)
        target = std::max(targetMin, total - sourceMin);
    PSource->setGeometry(0, 0, width, total - target);
    PTarget->setGeometry(0, total - target, width, target);
}

bool TFEditSRInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PST && event->type() == QEvent::Resize)
        PSTResize();
    return QDialog::eventFilter(watched, event);
}

void TFEditSRInfo::PSourceEnter() { shortcutPage_ = SourcePage; }

void TFEditSRInfo::PTargetEnter() { shortcutPage_ = TargetPage; }

void TFEditSRInfo::BOkClick() {
    TRuleForm f = ReadForm();
    const TRuleCheckResult r = CheckRuleForm(f, FOFind->AnyCodePageChecked());
    if (r.Check != TRuleCheck::NothingToSearch) {
        FOReplace->EOutFolder->setText(f.OutFolder);
        FOReplace->EInFolder->setText(f.InFolder);
    }
    switch (r.Check) {
    case TRuleCheck::NothingToSearch:
        ShowMessage(Text("szNothingToSearch"));
        break;
    case TRuleCheck::NoCodePage:
        ShowMessage(Text("szNoCodePageSelected"));
        break;
    case TRuleCheck::BadCharacter: {
        QString field;
        switch (r.Field) {
        case TRuleField::Search: field = Text("szSearch"); break;
        case TRuleField::Target: field = Text("szReplace"); break;
        case TRuleField::OutFolder: field = captionOf(FOReplace->LOutFolder); break;
        case TRuleField::InFolder: field = captionOf(FOReplace->LInFolder); break;
        }
        ShowMessage(bw::format(Text("szNoCharInCodePage"), {r.Character, codePoint(r.Character), field}));
        break;
    }
    case TRuleCheck::Accept:
        accept();
        break;
    }
}

void TFEditSRInfo::SaveFavorite(const QString& path) { ::SaveFavorite(path, *texts_); }

void TFEditSRInfo::LoadFavorite(const QString& path) { ::LoadFavorite(path, *texts_); }
