#include "options/ui/foptions.h"
#include "services/ui/pagecontrolex.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QFileInfo>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "engine/processstate.h"
#include "options/ui/fabout.h"
#include "options/ui/optionshost.h"
#include "options/updatecheck.h"
#include "options/version.h"
#include "platform/appdirs.h"
#include "platform/inifile.h"
#include "platform/guarded.h"
#include "platform/prompt.h"
#include "platform/ui/chooser.h"
#include "services/ui/components.h"
#include "services/ui/datamodule.h"

TFOptions* FOptions = nullptr;

namespace {

template <class T>
T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = named(new QPushButton(text, parent), name);
    b->setAutoDefault(false);
    return b;
}

QPushButton* browseButton(const char* name, QWidget* parent) {
    auto* b = button(QStringLiteral("..."), name, parent);
    b->setFixedWidth(28);
    return b;
}

QLineEdit* storedEdit(const char* name, QWidget* parent) {
    auto* e = named(new QLineEdit(parent), name);
    SetComponentTag(e, 1);
    return e;
}

} // namespace

TFOptions::TFOptions(TDMDataModule& dm, QWidget* parent) : QDialog(parent), dm_(dm) {
    setObjectName(QStringLiteral("FOptions"));
    setWindowTitle(tr("Options"));
    fdDesktop_ = QApplication::font();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);

    TBOptions = named(new QToolBar(this), "TBOptions");
    TBOptions->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto action = [this](const QString& text, const char* name) {
        auto* a = named(new QAction(text, this), name);
        return a;
    };
    AOLoad = action(tr("&Load"), "AOLoad");
    AOSave = action(tr("&Save"), "AOSave");
    AOSaveAs = action(tr("S&ave as"), "AOSaveAs");
    AOLoadDefault = action(tr("L&oad default"), "AOLoadDefault");
    AApply = action(tr("Apply"), "AApply");
    ACancel = action(tr("Cancel"), "ACancel");
    ASetAllFont = action(tr("Set all fonts"), "ASetAllFont");
    AApply->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ACancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    AApply->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    ACancel->setShortcut(QKeySequence(Qt::Key_Escape));
    // The toolbar's text actions answer to their access keys, also once translated.
    for (QAction* a : {AOLoad, AOSave, AOSaveAs, AOLoadDefault}) {
        auto follow = [a] {
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            if (a->shortcut() != key)
                a->setShortcut(key);
        };
        follow();
        connect(a, &QAction::changed, a, follow);
    }
    for (QAction* a : {AApply, ACancel, ASetAllFont, AOLoad, AOSave, AOSaveAs, AOLoadDefault}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    TBOptions->addAction(AOLoad);
    TBOptions->addAction(AOSave);
    TBOptions->addAction(AOSaveAs);
    TBOptions->addSeparator();
    TBOptions->addAction(AOLoadDefault);
    TBOptions->addSeparator();
    TBOptions->addAction(AApply);
    TBOptions->addAction(ACancel);
    // Apply and Cancel show their images only.
    for (QAction* a : {AApply, ACancel})
        if (auto* w = qobject_cast<QToolButton*>(TBOptions->widgetForAction(a)))
            w->setToolButtonStyle(Qt::ToolButtonIconOnly);
    layout->addWidget(TBOptions);

    auto* pages = named(new TPageControlEx(this), "PCOptions");
    pages->Flat = true;
    pages->EdgeBorders = ebTop;
    PCOptions = pages;
    PCOptions->addTab(buildGeneral(), tr("&General"));
    PCOptions->addTab(buildProject(), tr("Pro&ject"));
    PCOptions->addTab(buildInternet(), tr("&Internet"));
    layout->addWidget(PCOptions, 1);

    connect(AApply, &QAction::triggered, this, [this] { AApplyExecute(); });
    connect(ACancel, &QAction::triggered, this, [this] { ACancelExecute(); });
    connect(AOLoad, &QAction::triggered, this, [this] { AOLoadExecute(); });
    connect(AOSave, &QAction::triggered, this, [this] { AOSaveExecute(); });
    connect(AOSaveAs, &QAction::triggered, this, [this] { AOSaveAsExecute(); });
    connect(AOLoadDefault, &QAction::triggered, this, [this] { AOLoadDefaultExecute(); });
    connect(ASetAllFont, &QAction::triggered, this, [this] { ASetAllFontExecute(); });
    connect(BBSelFont, &QPushButton::clicked, this, [this] { BBSelFontClick(); });
    connect(SelectBackupFolderB, &QPushButton::clicked, this, [this] { SelectBackupFolderBClick(); });
    connect(BSelectProjectFolder, &QPushButton::clicked, this, [this] { BSelectProjectFolderClick(); });
    for (QRadioButton* rb : {RBBackup, RBNoBackup})
        connect(rb, &QRadioButton::clicked, this, [this] { cycle_->RBBackupClick(); });

    resize(424, 257);

    cycle_ = std::make_unique<TOptionsCycle>(static_cast<TOptionsCycleEnv&>(*this), *dm_.BackupManager, *dm_.LangManager);
    cycle_->FormCreate();
    LPage->setText(ReadNewsAddress(bw::homeDir() + QStringLiteral("Brindlewick.url")));
    LPage->installEventFilter(this);
    connect(BCheckNow, &QPushButton::clicked, this, [this] { BCheckNowClick(); });
}

TFOptions::~TFOptions() {
    if (FOptions == this)
        FOptions = nullptr;
    dm_.LangManager->OnTranslated = nullptr;
    dm_.LangManager->OnLoaded = nullptr;
}

QWidget* TFOptions::buildGeneral() {
    auto* page = named(new QWidget, "TSGeneral");
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);

    auto* gbStart = named(new QGroupBox(tr("On start"), page), "GBOnStart");
    auto* startLayout = new QVBoxLayout(gbStart);
    CBOpenLastProject = named(new QCheckBox(tr("Open last projec&t"), gbStart), "CBOpenLastProject");
    CBOpenLastProject->setChecked(true);
    startLayout->addWidget(CBOpenLastProject);
    grid->addWidget(gbStart, 0, 0);

    auto* gbSave = named(new QGroupBox(tr("Auto save"), page), "GBAutoSave");
    auto* saveLayout = new QHBoxLayout(gbSave);
    CBAutoSave = named(new QCheckBox(tr("Optio&ns"), gbSave), "CBAutoSave");
    CBSaveProject = named(new QCheckBox(tr("&Project"), gbSave), "CBSaveProject");
    CBAutoSave->setChecked(true);
    CBSaveProject->setChecked(true);
    saveLayout->addWidget(CBAutoSave);
    saveLayout->addWidget(CBSaveProject);
    grid->addWidget(gbSave, 1, 0);

    auto* gbFont = named(new QGroupBox(tr("Font"), page), "GBFont");
    auto* fontLayout = new QHBoxLayout(gbFont);
    LExample = named(new QLabel(tr("Example"), gbFont), "LExample");
    SetComponentTag(LExample, 1);
    LExample->setFont(QApplication::font());
    BBSelFont = button(tr("C&hange"), "BBSelFont", gbFont);
    fontLayout->addWidget(LExample, 1);
    fontLayout->addWidget(BBSelFont);
    grid->addWidget(gbFont, 2, 0);

    auto* gbAfter = named(new QGroupBox(tr("After processing"), page), "GBAfterProcessing");
    auto* afterGrid = new QGridLayout(gbAfter);
    afterGrid->setVerticalSpacing(1);
    afterGrid->addWidget(named(new QLabel(tr("Clear"), gbAfter), "LClear"), 0, 1, Qt::AlignHCenter);
    afterGrid->addWidget(named(new QLabel(tr("Switch to"), gbAfter), "LSwitchTo"), 0, 2, Qt::AlignHCenter);
    const QString rows[] = {tr("In Files"), tr("Search/Replace"), tr("Scheme"), tr("Report")};
    const char* rowNames[] = {"LInFiles", "LSearchReplace", "LScheme", "LReport"};
    QCheckBox** clears[] = {&CBClearInFiles, &CBClearSR, &CBClearConvert, &CBClearReport};
    const char* clearNames[] = {"CBClearInFiles", "CBClearSR", "CBClearConvert", "CBClearReport"};
    QRadioButton** gotos[] = {&RBGoToInFiles, &RBGoToSR, &RBGoToConvert, &RBGoToReport};
    const char* gotoNames[] = {"RBGoToInFiles", "RBGoToSR", "RBGoToConvert", "RBGoToReport"};
    for (int i = 0; i < 4; ++i) {
        afterGrid->addWidget(named(new QLabel(rows[i], gbAfter), rowNames[i]), i + 1, 0);
        *clears[i] = named(new QCheckBox(gbAfter), clearNames[i]);
        *gotos[i] = named(new QRadioButton(gbAfter), gotoNames[i]);
        (*clears[i])->setAccessibleName(rows[i]);
        (*gotos[i])->setAccessibleName(rows[i]);
        afterGrid->addWidget(*clears[i], i + 1, 1, Qt::AlignHCenter);
        afterGrid->addWidget(*gotos[i], i + 1, 2, Qt::AlignHCenter);
    }
    afterGrid->setRowStretch(5, 1);
    RBGoToReport->setChecked(true);
    grid->addWidget(gbAfter, 0, 1, 3, 1);

    RGLang = named(new TRadioGroup(page), "RGLang");
    RGLang->setTitle(tr("Language"));
    grid->addWidget(RGLang, 0, 2, 2, 1);

    grid->addWidget(new QWidget(page), 2, 2);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* TFOptions::buildProject() {
    auto* page = named(new QWidget, "TSProject");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* gbBackup = named(new QGroupBox(tr("Backup"), page), "GBBackup");
    auto* backupGrid = new QGridLayout(gbBackup);
    RBNoBackup = named(new QRadioButton(tr("&Don't make"), gbBackup), "RBNoBackup");
    RBBackup = named(new QRadioButton(tr("&Make"), gbBackup), "RBBackup");
    RBBackup->setChecked(true);
    EBackupDir = storedEdit("EBackupDir", gbBackup);
    SelectBackupFolderB = browseButton("SelectBackupFolderB", gbBackup);
    LMaxBackupCount = named(new QLabel(tr("Ma&x count of backup for a single file"), gbBackup), "LMaxBackupCount");
    SEMaxBackupCount = named(new QSpinBox(gbBackup), "SEMaxBackupCount");
    SEMaxBackupCount->setRange(1, 1000);
    SEMaxBackupCount->setValue(50);
    LMaxBackupCount->setBuddy(SEMaxBackupCount);
    backupGrid->addWidget(RBNoBackup, 0, 0);
    backupGrid->addWidget(RBBackup, 1, 0);
    backupGrid->addWidget(EBackupDir, 1, 1);
    backupGrid->addWidget(SelectBackupFolderB, 1, 2);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(LMaxBackupCount);
    countRow->addWidget(SEMaxBackupCount);
    countRow->addStretch(1);
    backupGrid->addLayout(countRow, 2, 0, 1, 3);
    backupGrid->setColumnStretch(1, 1);
    layout->addWidget(gbBackup);

    auto* gbProject = named(new QGroupBox(tr("Project Folder"), page), "GBProjectFolder");
    auto* projectLayout = new QHBoxLayout(gbProject);
    EProjectFolder = storedEdit("EProjectFolder", gbProject);
    EProjectFolder->setReadOnly(true);
    BSelectProjectFolder = browseButton("BSelectProjectFolder", gbProject);
    projectLayout->addWidget(EProjectFolder, 1);
    projectLayout->addWidget(BSelectProjectFolder);
    layout->addWidget(gbProject);
    layout->addStretch(1);
    return page;
}

QWidget* TFOptions::buildInternet() {
    auto* page = named(new QWidget, "TSInternet");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* gbProxy = named(new QGroupBox(tr("Proxy Settings"), page), "GBProxy");
    auto* proxyGrid = new QGridLayout(gbProxy);
    EProxyServer = storedEdit("EProxyServer", gbProxy);
    EProxyPort = storedEdit("EProxyPort", gbProxy);
    EProxyUserName = storedEdit("EProxyUserName", gbProxy);
    EProxyPassword = storedEdit("EProxyPassword", gbProxy);
    EProxyPassword->setEchoMode(QLineEdit::Password);
    EProxyPort->setMaximumWidth(70);
    auto label = [gbProxy](const QString& text, const char* name, QWidget* buddy) {
        auto* l = named(new QLabel(text, gbProxy), name);
        l->setBuddy(buddy);
        return l;
    };
    proxyGrid->addWidget(label(tr("S&erver"), "LProxyServer", EProxyServer), 0, 0);
    proxyGrid->addWidget(EProxyServer, 0, 1);
    proxyGrid->addWidget(label(tr("Po&rt"), "LProxyPort", EProxyPort), 0, 2);
    proxyGrid->addWidget(EProxyPort, 0, 3);
    proxyGrid->addWidget(label(tr("&User name"), "LProxyUserName", EProxyUserName), 1, 0);
    proxyGrid->addWidget(EProxyUserName, 1, 1);
    proxyGrid->addWidget(label(tr("Pass&word"), "LProxyPassword", EProxyPassword), 1, 2);
    proxyGrid->addWidget(EProxyPassword, 1, 3);
    proxyGrid->setColumnStretch(1, 1);
    layout->addWidget(gbProxy);

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(named(new QLabel(tr("WWW:"), page), "LWWW"));
    LPage = named(new QLabel(page), "LPage");
    LPage->setTextFormat(Qt::PlainText);
    LPage->setCursor(Qt::PointingHandCursor);
    pageRow->addWidget(LPage, 1);
    layout->addLayout(pageRow);

    auto* checkRow = new QHBoxLayout;
    BCheckNow = button(tr("Chec&k Now!"), "BCheckNow", page);
    CBAutoCheck = named(new QCheckBox(tr("Auto check for new &version"), page), "CBAutoCheck");
    checkRow->addWidget(BCheckNow);
    checkRow->addWidget(CBAutoCheck, 1);
    layout->addLayout(checkRow);
    layout->addStretch(1);
    return page;
}

QString TFOptions::translated(const QString& text) const {
    const TLangManager& lm = *dm_.LangManager;
    const int row = lm.FindRow(0, text);
    const QString t = row >= 0 ? lm.RowText(lm.CurrentLang(), row) : QString();
    return t.isEmpty() ? text : t;
}

int TFOptions::ShowOptions() {
    AOSaveExecute();
    return exec();
}

void TFOptions::reject() { ACancelExecute(); }

bool TFOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LPage && event->type() == QEvent::MouseButtonDblClick) {
        LPageDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFOptions::CheckNewVersion(bool showNoNews) {
    if (UpdateThread) {
        bw::prompt().information(QCoreApplication::applicationName(), dm_.LangManager->GetText(QStringLiteral("szAlreadyInChecking")));
        return;
    }
    TUpdateRequest request;
    request.ShowNoNews = showNoNews;
    request.Address = LPage->text();
    request.ProxyServer = EProxyServer->text();
    request.ProxyPort = TUpdateRequest::PortFromText(EProxyPort->text());
    request.ProxyUserName = EProxyUserName->text();
    request.ProxyPassword = EProxyPassword->text();
    request.Version = AppVersion;
    // Owned by the dialog so that closing the program ends it with the windows.
    auto* check = new TUpdateThread(request, dm_.LangManager, this);
    check->OnGoToSite = [this] { LPageDblClick(); };
    UpdateThread = check;
    check->Execute();
}

void TFOptions::LPageDblClick() { OpenAddress(LPage->text()); }

void TFOptions::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        AApply->trigger();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFOptions::AApplyExecute() {
    bw::runGuarded([this] { cycle_->ApplyExecute(); });
}

void TFOptions::ACancelExecute() {
    bw::runGuarded([this] { cycle_->CancelExecute(); });
}

bw::FileRequest TFOptions::iniRequest() const {
    bw::FileRequest request;
    request.filter = dm_.LangManager->GetText(QStringLiteral("szIniFilter"));
    if (request.filter.isEmpty())
        request.filter = QStringLiteral("INI files (*.ini)");
    request.defaultSuffix = QStringLiteral("ini");
    request.folder = QFileInfo(SettingsFileName()).absolutePath();
    return request;
}

void TFOptions::AOLoadExecute() {
    bw::runGuarded([this] {
        const QString file = bw::chooser().openFile(iniRequest());
        if (!file.isEmpty() && QFileInfo(file).isFile())
            cycle_->LoadExecute(file);
    });
}

void TFOptions::AOSaveExecute() {
    bw::runGuarded([this] { cycle_->OptionsSet(); });
}

void TFOptions::AOSaveAsExecute() {
    bw::runGuarded([this] {
        const QString file = bw::chooser().saveFile(iniRequest());
        if (!file.isEmpty())
            cycle_->SaveAsExecute(file);
    });
}

void TFOptions::AOLoadDefaultExecute() {
    bw::runGuarded([this] { cycle_->LoadDefaultExecute(); });
}

void TFOptions::BBSelFontClick() {
    const std::optional<QFont> font = bw::chooser().font(translated(QStringLiteral("Font")), fdDesktop_);
    if (!font)
        return;
    fdDesktop_ = *font;
    LExample->setFont(*font);
    ASetAllFont->trigger();
}

void TFOptions::ASetAllFontExecute() {
    if (host_)
        host_->SetTextFont(LExample->font(), LExample->palette().color(QPalette::WindowText));
}

void TFOptions::SelectBackupFolderBClick() {
    const QString folder =
        bw::chooser().folder(translated(QStringLiteral("Select a folder")), TOptionsCycle::ResolveBackupFolder(EBackupDir->text()));
    if (!folder.isEmpty())
        dm_.BackupManager->SetBackupFolder(folder);
    if (!dm_.BackupManager->BackupFolder().isEmpty())
        EBackupDir->setText(QDir::toNativeSeparators(dm_.BackupManager->BackupFolder()));
}

void TFOptions::BSelectProjectFolderClick() {
    const QString folder = bw::chooser().folder(translated(QStringLiteral("Browse for folder")), EProjectFolder->text());
    if (folder.isEmpty())
        return;
    EProjectFolder->setText(QDir::toNativeSeparators(bw::withTrailingSeparator(folder)));
    cycle_->ProjectFolder = EProjectFolder->text();
}

// --- the cycle's environment ---

void TFOptions::OpenSettingsFile(const QString& fileName) { dm_.SettingsManager->SetFileName(fileName); }

QString TFOptions::SettingsFileName() const { return dm_.SettingsManager->FileName(); }

namespace {

// Every window that exists: top-level ones and pages marked as windows, in name order.
QWidgetList allForms() {
    QWidgetList forms;
    for (QWidget* w : QApplication::allWidgets())
        if (IsForm(w) && !w->objectName().isEmpty())
            forms << w;
    std::sort(forms.begin(), forms.end(),
              [](const QWidget* a, const QWidget* b) { return a->objectName() < b->objectName(); });
    return forms;
}

} // namespace

void TFOptions::SaveWindows() {
    for (QWidget* form : allForms())
        dm_.SettingsManager->SaveForm(form);
}

void TFOptions::LoadWindows() {
    for (QWidget* form : allForms())
        dm_.SettingsManager->LoadForm(form);
}

QString TFOptions::ReadSetting(const QString& section, const QString& key) {
    bw::IniFile* ini = dm_.SettingsManager->OptionsFile();
    return ini ? ini->readString(section, key) : QString();
}

void TFOptions::WriteSetting(const QString& section, const QString& key, const QString& value) {
    if (bw::IniFile* ini = dm_.SettingsManager->OptionsFile())
        ini->writeString(section, key, value);
}

bool TFOptions::WriteSettingsFile() {
    bw::IniFile* ini = dm_.SettingsManager->OptionsFile();
    return ini && ini->flush();
}

void TFOptions::ReleaseSettingsFile() { dm_.SettingsManager->ReleaseOptionsFile(); }

bool TFOptions::BackupOn() const { return RBBackup->isChecked(); }

void TFOptions::EnableBackupControls(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{EBackupDir, SelectBackupFolderB, SEMaxBackupCount, LMaxBackupCount})
        w->setEnabled(on);
}

QString TFOptions::BackupDirText() const { return EBackupDir->text(); }
void TFOptions::SetBackupDirText(const QString& text) { EBackupDir->setText(text); }
QString TFOptions::ProjectFolderText() const { return EProjectFolder->text(); }
void TFOptions::SetProjectFolderText(const QString& text) { EProjectFolder->setText(text); }
int TFOptions::MaxBackupCountValue() const { return SEMaxBackupCount->value(); }
int TFOptions::LanguageIndex() const { return RGLang->ItemIndex(); }

void TFOptions::SetLanguages(const QStringList& names) {
    RGLang->SetItems(names);
    RGLang->SetItemIndex(0);
}

void TFOptions::HandOutFont() {
    fdDesktop_ = LExample->font();
    ASetAllFontExecute();
}

QString TFOptions::LastRuleText() const { return host_ ? host_->LastRuleText() : lastRuleText_; }

void TFOptions::SetLastRuleText(const QString& text) {
    lastRuleText_ = text;
    if (host_)
        host_->SetLastRuleText(text);
}

void TFOptions::ApplyFolderDefaults(const QString& lastDir, const QStringList& include, const QStringList& exclude) {
    if (host_)
        host_->ApplyFolderDefaults(lastDir, include, exclude);
}

void TFOptions::SetRuleListColumns(const QStringList& captions) {
    if (host_)
        host_->SetRuleListColumns(captions);
}

void TFOptions::SetMenuTitles(const QStringList& titles) {
    if (host_)
        host_->SetMenuTitles(titles);
}

void TFOptions::SetActionItems(const QStringList& items) {
    if (host_)
        host_->SetActionItems(items);
}

void TFOptions::RealignInFiles() {
    if (host_)
        host_->RealignInFiles();
}

void TFOptions::HideDialog() { hide(); }

void TFOptions::CloseDialog(int result) { done(result); }

void TFOptions::EndProgram() {
    if (host_)
        host_->EndProgram();
    else
        QCoreApplication::exit(0);
}
