#include "app/ui/fmain.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QCheckBox>
#include <QDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QCloseEvent>
#include <QShowEvent>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/mainunit.h"
#include "app/quietprocesswindow.h"
#include "app/rerichrunengine.h"
#include "app/ui/fconvert.h"
#include "app/ui/fmain_commands.h"
#include "app/ui/foreport.h"
#include "app/ui/gaugeview.h"
#include "app/ui/mainpages.h"
#include "app/ui/pluginspage.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "files/ui/ffilefilter.h"
#include "files/ui/fofiles.h"
#include "files/ui/fselectfolder.h"
#include "options/ui/fabout.h"
#include "options/ui/fbackupmanager.h"
#include "options/ui/foptions.h"
#include "platform/guarded.h"
#include "platform/error.h"
#include "platform/prompt.h"
#include "platform/ui/blockedclose.h"
#include "services/ui/components.h"
#include "services/ui/datamodule.h"
#include "services/ui/pagecontrolex.h"

TFMain* FMain = nullptr;

namespace {

template <typename T>
T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QWidget* Page(const char* name, QWidget* parent) {
    auto* page = new QWidget(parent);
    page->setObjectName(QLatin1String(name));
    return page;
}

} // namespace

// The engine of the processing window as the run drives it; a pattern that
// does not compile also goes into the report when the report options ask.
class TMainRunEngine : public TRERichEditRunEngine {
public:
    TMainRunEngine(TRERichEdit& engine, TFMain& window) : TRERichEditRunEngine(engine), window_(window) {}

    void SetSourceText(const std::string& bytes) override {
        try {
            TRERichEditRunEngine::SetSourceText(bytes);
        } catch (const bw::Error& e) {
            if (window_.FOReport1->CBTErrors->isChecked())
                window_.Report.Append(Texts("szCheckSourceText") + e.message());
            throw;
        }
    }
    void SetTargetText(const std::string& bytes) override {
        try {
            TRERichEditRunEngine::SetTargetText(bytes);
        } catch (const bw::Error& e) {
            if (window_.FOReport1->CBSErrors->isChecked())
                window_.Report.Append(Texts("szCheckTargetText") + e.message());
            throw;
        }
    }
    TextSource Texts;

private:
    TFMain& window_;
};

// The processing window as the run's processing window; its default font is
// the options' example font.
class TMainProcessWindow : public TControllerProcessWindow {
public:
    TMainProcessWindow(TFProcess& process, TFMain& window)
        : TControllerProcessWindow(process.Controller(), process), process_(process), window_(window) {}
    // Set again only when it changed: setting a font lays the whole text out anew.
    void SetDefaultFont() override {
        if (applied_ && appliedFont_ == window_.TextFont() && appliedColor_ == textColor)
            return;
        process_.SetDefaultFont(window_.TextFont(), textColor);
        applied_ = true;
        appliedFont_ = window_.TextFont();
        appliedColor_ = textColor;
    }
    QColor textColor = Qt::black;

private:
    bool applied_ = false;
    QFont appliedFont_;
    QColor appliedColor_;
    TFProcess& process_;
    TFMain& window_;
};

// The run's view of the pages when they are not docked (yet).
class TNoPages : public TRunFiles, public TRunRules, public TRunScheme {
public:
    void GetFilesToProcess(QStringList& files) override { files.clear(); }
    void RemoveAll() override {}
    int Count() const override { return 0; }
    bool Checked(int) const override { return false; }
    const TSRInfo& Rule(int) const override { return rule_; }
    bool HasCheckedRules() override { return false; }
    void DeleteAll() override {}
    TConversionScheme& Scheme() override { return scheme_; }
    bool AddSelectedStep() override { return false; }

private:
    TSRInfo rule_;
    TConversionScheme scheme_;
};

// The files and rules the run reads, forwarded to whichever pages are docked.
class TPageForward : public TRunFiles, public TRunRules {
public:
    TMainFilesPage* files = nullptr;
    TMainRulesPage* rules = nullptr;
    TNoPages none;

    void GetFilesToProcess(QStringList& out) override {
        if (files)
            files->GetFilesToProcess(out);
        else
            none.GetFilesToProcess(out);
    }
    void RemoveAll() override {
        if (files)
            files->RemoveAll();
    }
    int Count() const override { return rules ? rules->Count() : 0; }
    bool Checked(int row) const override { return rules && rules->Checked(row); }
    const TSRInfo& Rule(int row) const override { return rules ? rules->Rule(row) : none.Rule(row); }
    bool HasCheckedRules() override { return rules && rules->HasCheckedRules(); }
    void DeleteAll() override {
        if (rules)
            rules->DeleteAll();
    }
};

struct TFMain::TRunParts {
    TPageForward pages;
    std::unique_ptr<TMainRunEngine> engine;
    std::unique_ptr<TMainProcessWindow> process;
    std::unique_ptr<TMyGauge> gauge;
    // Stand-ins while no processing window is bound (a window made alone).
    std::unique_ptr<TRERichEdit> ownEngine;
};

TFMain::TFMain(QWidget* parent) : QMainWindow(parent), parts_(std::make_unique<TRunParts>()) {
    if (!FMain)
        FMain = this;
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("Brindlewick"));
    setMinimumSize(640, 512);
    resize(640, 512);
    setProperty("helpContext", 100);

    // ALMain.
    AStart = NewAction("AStart", tr("Process"), Qt::Key_F9);
    AStart->setProperty("helpContext", 600);
    AStop = NewAction("AStop", tr("Stop"));
    AStop->setVisible(false);
    AViewOptions = NewAction("AViewOptions", tr("Options"), Qt::Key_F3);
    AViewBackupManager = NewAction("AViewBackupManager", tr("Backup Manager"), Qt::Key_F5);
    AShowHelp = NewAction("AShowHelp", tr("Help"));
    AExitProg = NewAction("AExitProg", tr("E&xit"), QKeySequence(Qt::ALT | Qt::Key_F4));
    APrintReport = NewAction("APrintReport", tr("&Print"));
    ASaveReport = NewAction("ASaveReport", tr("&Save"));
    AReportOptions = NewAction("AReportOptions", tr("Options"));
    AReportOptions->setCheckable(true);
    AReportOptions->setChecked(true);
    ANewProject = NewAction("ANewProject", tr("New project"), QKeySequence(Qt::CTRL | Qt::Key_N));
    AOpenProject = NewAction("AOpenProject", tr("Open project"), QKeySequence(Qt::CTRL | Qt::Key_O));
    ASaveProject = NewAction("ASaveProject", tr("Save project"), QKeySequence(Qt::CTRL | Qt::Key_S));
    ASaveProjectAs =
        NewAction("ASaveProjectAs", tr("Save project as..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    AUpdateProjectName = NewAction("AUpdateProjectName", QString());
    AAutoSave = NewAction("AAutoSave", QString());
    ALinkPlugins = NewAction("ALinkPlugins", tr("&Refresh"));
    AUnlinkPlugins = NewAction("AUnlinkPlugins", QString());
    AApply = NewAction("AApply", tr("&Apply"));
    AAbout = NewAction("AAbout", tr("About..."));
    ADonateToAuthor = NewAction("ADonateToAuthor", tr("Donate to author..."));
    ASubscribeMe = NewAction("ASubscribeMe", tr("Subscribe me"));
    ABugReport = NewAction("ABugReport", tr("Send bug report"));
    AFeatureRequest = NewAction("AFeatureRequest", tr("Send feature request"));
    AStart->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    AStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    AViewOptions->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    AShowHelp->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    AExitProg->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    BuildMenus();

    ATBMain = named(new QToolBar(this), "ATBMain");
    ATBMain->setMovable(false);
    ATBMain->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ATBMain->addAction(AStart);
    ATBMain->addAction(AStop);
    ATBMain->addAction(AViewOptions);
    ATBMain->addSeparator();
    ATBMain->addAction(AShowHelp);
    ATBMain->addSeparator();
    ATBMain->addAction(AExitProg);
    addToolBar(ATBMain);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PCOperation = named(new TPageControlEx(central), "PCOperation");
    PCOperation->Flat = true;
    PCOperation->EdgeBorders = ebTop;
    PCOperation->setMinimumWidth(343);
    PCOperation->tabBar()->setMouseTracking(true); // hot-tracked tabs
    TSFiles = Page("TSFiles", PCOperation);
    TSSR = Page("TSSR", PCOperation);
    TSConvert = Page("TSConvert", PCOperation);
    for (QWidget* p : {TSFiles, TSSR, TSConvert}) {
        auto* l = new QVBoxLayout(p);
        l->setContentsMargins(0, 0, 0, 0);
    }
    FConvert1 = new TFConvert(TSConvert);
    TSConvert->layout()->addWidget(FConvert1);
    TSReport = BuildReportPage();
    TSPlugins = BuildPluginsPage();
    PCOperation->addTab(TSFiles, tr("&In Files"));
    PCOperation->addTab(TSSR, tr("Searc&h/Replace"));
    PCOperation->addTab(TSConvert, tr("Co&nvert"));
    PCOperation->addTab(TSReport, tr("Repor&t"));
    PCOperation->addTab(TSPlugins, tr("Plu&gins"));
    PCOperation->setCurrentWidget(TSFiles);
    layout->addWidget(PCOperation, 1);

    ELastProject = named(new QLineEdit(central), "ELastProject");
    ELastProject->setVisible(false);
    SetComponentTag(ELastProject, 1);
    ELastProject->setText(kNewProject);

    SBar = named(new TStatusPanels({170, 200, 50}, central), "SBar");
    SBar->Panel(1)->setAlignment(Qt::AlignCenter);
    layout->addWidget(SBar);
    setCentralWidget(central);

    // FormCreate: drops, the gauge over the second panel, Save project on.
    setAcceptDrops(true);
    Gauge = new TGaugeWidget(this, SBar);
    Gauge->PlaceInPanel(SBar, 0);
    ASaveProject->setEnabled(true);

    connect(AStart, &QAction::triggered, this, [this] { AStartExecute(); });
    connect(AStop, &QAction::triggered, this, [this] { AStopExecute(); });
    connect(ANewProject, &QAction::triggered, this, [this] { ANewProjectExecute(); });
    connect(AUpdateProjectName, &QAction::triggered, this, [this] { AUpdateProjectNameExecute(); });
    connect(AViewOptions, &QAction::triggered, this, [this] { AViewOptionsExecute(); });
    connect(AViewBackupManager, &QAction::triggered, this, [this] { AViewBackupManagerExecute(); });
    connect(AAbout, &QAction::triggered, this, [this] { AAboutExecute(); });
    connect(ADonateToAuthor, &QAction::triggered, this, [this] { ADonateToAuthorExecute(); });
    connect(AExitProg, &QAction::triggered, this, [this] { AExitProgExecute(); });
    connect(AReportOptions, &QAction::toggled, this, [this](bool on) { POReport->setVisible(on); });
    connect(PCOperation, &QTabWidget::currentChanged, this, [this] { PCOperationChange(); });

    MakeRun();
    SetUpPlugins();
    commands_ = new TMainCommands(*this);
}

TFMain::~TFMain() {
    // The plug-ins go before the child widgets that hold their panels, so
    // each stores its selection and no panel is freed twice.
    AUnlinkPluginsExecute();
    // FormDestroy: the list of files goes with the run; no more drops.
    setAcceptDrops(false);
    run_.reset();
    parts_.reset();
    if (FMain == this)
        FMain = nullptr;
}

QAction* TFMain::NewAction(const char* name, const QString& caption, const QKeySequence& key) {
    auto* a = named(new QAction(caption, this), name);
    if (!key.isEmpty())
        a->setShortcut(key);
    addAction(a); // shortcuts work wherever the focus is in the window
    return a;
}

QAction* TFMain::MenuItem(QMenu* menu, QAction* action, const QString& caption) {
    auto* item = new QAction(caption, menu);
    item->setObjectName(QStringLiteral("MI") + action->objectName().mid(1));
    // The key is shown in the menu; the action itself answers it.
    item->setShortcut(action->shortcut());
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setCheckable(action->isCheckable());
    const auto sync = [item, action] {
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
        item->setChecked(action->isChecked());
    };
    sync();
    connect(action, &QAction::changed, item, sync);
    connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    menu->addAction(item);
    return item;
}

void TFMain::BuildMenus() {
    AMMBMain = named(new QMenuBar(this), "AMMBMain");
    MFile = named(AMMBMain->addMenu(tr("&File")), "MFile");
    MenuItem(MFile, ANewProject, tr("&New project"));
    MenuItem(MFile, AOpenProject, tr("&Open project"));
    MenuItem(MFile, ASaveProject, tr("&Save project"));
    MenuItem(MFile, ASaveProjectAs, tr("Save project &as..."));
    MenuItem(MFile, AStart, tr("&Process"));
    MFile->addSeparator();
    MenuItem(MFile, AExitProg, tr("E&xit"));
    MView = named(AMMBMain->addMenu(tr("&View")), "MView");
    MenuItem(MView, AViewOptions, tr("&Options"));
    MenuItem(MView, AViewBackupManager, tr("&Backup Manager"));
    MHelp = named(AMMBMain->addMenu(tr("&Help")), "MHelp");
    MenuItem(MHelp, AShowHelp, tr("&Help"));
    MHelp->addSeparator();
    MenuItem(MHelp, ADonateToAuthor, tr("&Donate to author..."));
    MHelp->addSeparator();
    MenuItem(MHelp, ASubscribeMe, tr("Subscribe &me"));
    MenuItem(MHelp, ABugReport, tr("Send bug &report"));
    MenuItem(MHelp, AFeatureRequest, tr("Send &feature request"));
    MHelp->addSeparator();
    MenuItem(MHelp, AAbout, tr("&About..."));
    setMenuBar(AMMBMain);
}

QWidget* TFMain::BuildReportPage() {
    QWidget* page = Page("TSReport", PCOperation);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ATBReport = named(new QToolBar(page), "ATBReport");
    ATBReport->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ATBReport->addAction(APrintReport);
    ATBReport->addAction(ASaveReport);
    ATBReport->addSeparator();
    ATBReport->addAction(AReportOptions);
    // The page's tool-bar keys work while the page is shown.
    for (QAction* a : {APrintReport, ASaveReport}) {
        a->setShortcut(QKeySequence::mnemonic(a->text()));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        removeAction(a);
        page->addAction(a);
    }
    layout->addWidget(ATBReport);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    MReport = named(new QPlainTextEdit(page), "MReport");
    MReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    MReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    POReport = named(new QWidget(page), "POReport");
    POReport->setFixedWidth(262);
    auto* panel = new QVBoxLayout(POReport);
    panel->setContentsMargins(0, 0, 0, 0);
    FOReport1 = new TFOReport(POReport);
    panel->addWidget(FOReport1);
    row->addWidget(MReport, 1);
    row->addWidget(POReport);
    layout->addLayout(row, 1);
    return page;
}

QWidget* TFMain::BuildPluginsPage() {
    QWidget* page = Page("TSPlugins", PCOperation);
    page->setProperty("helpKeyword", QStringLiteral("Plugins"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ATBPlugins = named(new QToolBar(page), "ATBPlugins");
    ATBPlugins->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ATBPlugins->addAction(AApply);
    ATBPlugins->addAction(ALinkPlugins);
    for (QAction* a : {AApply, ALinkPlugins}) {
        a->setShortcut(QKeySequence::mnemonic(a->text()));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        removeAction(a);
        page->addAction(a);
    }
    layout->addWidget(ATBPlugins);
    CLBPlugins = named(new TCheckListBox(page), "CLBPlugins");
    CLBPlugins->setFixedHeight(100);
    layout->addWidget(CLBPlugins);
    PConfig = named(new QWidget(page), "PConfig");
    layout->addWidget(PConfig, 1);
    return page;
}

QString TFMain::Text(const char* key) const {
    const QString k = QString::fromLatin1(key);
    return services_.DM ? services_.DM->LangManager->GetText(k) : QString();
}

void TFMain::MakeRun() {
    TRunParts& p = *parts_;
    TRERichEdit* engine = services_.Engine;
    if (!engine) {
        p.ownEngine = std::make_unique<TRERichEdit>();
        engine = p.ownEngine.get();
    }
    run_.reset(); // the run refers to the parts below
    p.engine = std::make_unique<TMainRunEngine>(*engine, *this);
    p.engine->Texts = [this](const QString& key) { return Text(key.toLatin1().constData()); };
    const TextSource texts = p.engine->Texts;
    p.gauge = std::make_unique<TMyGauge>(*Gauge, texts);
    TRunProcessWindow* process = nullptr;
    static TQuietProcessWindow noWindow;
    if (services_.Process) {
        p.engine->Hint = services_.Process->HintMemo();
        p.process = std::make_unique<TMainProcessWindow>(*services_.Process, *this);
        process = p.process.get();
    } else {
        process = &noWindow;
    }
    TBackupManager* backups = services_.DM ? services_.DM->BackupManager : nullptr;
    run_ = std::make_unique<TProcessRun>(TProcessRun::TParts{
        *this, p.pages, p.pages, *FConvert1, *p.engine, *process, *p.gauge, Report, texts,
        [backups](const QString& path) { return !backups || backups->MakeBackup(path); }});
    if (services_.Process) {
        TProcessRun* run = run_.get();
        services_.Process->Controller().MakeBackup = [run](const QString& path) { return run->BackupOnce(path); };
    }
}

void TFMain::Bind(const TServices& services) {
    services_ = services;
    MakeRun();
    if (services_.Options)
        services_.Options->SetHost(this);
    // The processing window is modal: a close from the title bar while it
    // waits for an answer reaches the window only this way, and asks like
    // any close during a run.
    bw::watchBlockedClose(this, [this] {
        if (Busy() && services_.Process && QApplication::activeModalWidget() == services_.Process)
            close();
    });
}

void TFMain::AbortWaitingAnswer() {
    TFProcess* process = services_.Process;
    if (!process || !process->IsShown())
        return;
    if (services_.Engine)
        services_.Engine->ActionMode.amAbort = true;
    process->CloseModal(mrAbort);
}

void TFMain::SetPages(TMainFilesPage* files, TMainRulesPage* rules) {
    files_ = files;
    rules_ = rules;
    parts_->pages.files = files;
    parts_->pages.rules = rules;
    if (files_)
        files_->OnCheckVisibility = [this] { ACheckVisibilityExecute(); };
}

bool TFMain::Busy() const { return (run_ && run_->Running()) || Applying(); }

TMyGauge& TFMain::RunGauge() { return *parts_->gauge; }

QStringList& TFMain::FilesToProcess() { return run_ ? run_->FilesToProcess : noFiles_; }

void TFMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        bw::runGuarded([this] { FormShow(); });
    }
}

void TFMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && ELastProject)
        AUpdateProjectNameExecute();
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (Busy())
        run_->RequestStop();
    QMainWindow::closeEvent(event);
}

void TFMain::FormShow() {
    shown_ = true;
    ANewProjectExecute();
    if (services_.DM) {
        TFormLangManager* langs = services_.DM->LangManager;
        langs->SetLangDir(MainUnit.AppDir + QStringLiteral("Langs/"));
        if (!langs->LoadLanguages())
            bw::prompt().error(QStringLiteral("Brindlewick"),
                               QStringLiteral("The language file \"%1\" cannot be read; the program goes on in English.")
                                   .arg(QDir::toNativeSeparators(langs->LangDir() + langs->FileName())));
        langs->TranslateAllForms();
    }
    // Listed before the settings are read, so that the stored checks land on the items.
    ALinkPluginsExecute();
    if (services_.Options)
        services_.Options->LoadOptionsFromFile(MainUnit.OptionsFileName);
    if (files_ && files_->Page()) {
        TSFiles->layout()->addWidget(files_->Page());
        files_->Page()->show();
    }
    if (rules_ && rules_->Page()) {
        TSSR->layout()->addWidget(rules_->Page());
        rules_->Page()->show();
    }
    ACheckVisibilityExecute();
    PCOperationChange();
    commands_->OpenLastProject();
    if (files_)
        files_->ApplyViewMode();
    if (services_.Options && services_.Options->CBAutoCheck->isChecked())
        services_.Options->AutoCheckNewVersion();
}

TRunOptions TFMain::Options() const {
    TRunOptions o;
    o.SR = files_ ? files_->SRChecked() : true;
    o.Convert = files_ ? files_->ConvertChecked() : false;
    if (const TFOptions* f = services_.Options) {
        o.ClearInFiles = f->CBClearInFiles->isChecked();
        o.ClearSR = f->CBClearSR->isChecked();
        o.ClearReport = f->CBClearReport->isChecked();
        o.ClearConvert = f->CBClearConvert->isChecked();
        if (f->RBGoToInFiles->isChecked())
            o.GoTo = TRunPage::InFiles;
        else if (f->RBGoToSR->isChecked())
            o.GoTo = TRunPage::SR;
        else if (f->RBGoToReport->isChecked())
            o.GoTo = TRunPage::Report;
        else if (f->RBGoToConvert->isChecked())
            o.GoTo = TRunPage::Convert;
    }
    o.Report = FOReport1->Options();
    return o;
}

namespace {

QWidget* PageOf(const TFMain& w, TRunPage page) {
    switch (page) {
    case TRunPage::InFiles:
        return w.TSFiles;
    case TRunPage::SR:
        return w.TSSR;
    case TRunPage::Report:
        return w.TSReport;
    case TRunPage::Convert:
        return w.TSConvert;
    case TRunPage::None:
        break;
    }
    return nullptr;
}

} // namespace

void TFMain::ShowPage(TRunPage page) {
    if (QWidget* p = PageOf(*this, page); p && PCOperation->currentWidget() != p)
        PCOperation->setCurrentWidget(p);
}

bool TFMain::PageVisible(TRunPage page) const {
    QWidget* p = PageOf(*this, page);
    return p && PCOperation->isTabVisible(PCOperation->indexOf(p));
}

void TFMain::SetRunning(bool running) {
    Q_UNUSED(running);
    UpdateActions();
    if (!Busy()) {
        // The run's end: the report as it stands, a scheme the run changed.
        RefreshReport();
        FConvert1->ShowScheme();
    }
}

void TFMain::UpdateActions() {
    const bool busy = Busy();
    const bool operation = !files_ || files_->SRChecked() || files_->ConvertChecked();
    const bool running = run_ && run_->Running(); // Apply offers no Stop
    AStart->setVisible(!busy);
    AStart->setEnabled(!busy && operation);
    AStop->setVisible(running);
    for (QAction* a : {ANewProject, AOpenProject, ASaveProject, ASaveProjectAs, ALinkPlugins, AViewOptions,
                       AViewBackupManager})
        a->setEnabled(!busy);
    if (Plugins)
        Plugins->AApplyUpdate();
    PCOperation->setEnabled(!busy);
    setAcceptDrops(!busy);
}

void TFMain::PumpEvents() {
    // The memo follows the report now and then, never line by line.
    if (!reportShown_.isValid() || reportShown_.elapsed() >= 250)
        RefreshReport();
    QCoreApplication::processEvents();
}

void TFMain::RefreshReport() {
    reportShown_.start();
    const QStringList& lines = Report.Lines();
    const int shown = reportLinesShown_;
    // The memo's lines are the report's first lines when only lines were
    // appended since (a run appends, and inserts at the top only at a pass's end).
    QTextDocument* memo = MReport->document();
    const bool prefix = shown >= 0 && shown <= lines.size() && memo->blockCount() == std::max(1, shown) &&
                        (shown == 0 || (memo->firstBlock().text() == lines[0] &&
                                        memo->lastBlock().text() == lines[shown - 1]));
    if (prefix && shown == lines.size())
        return;
    if (prefix && shown > 0)
        MReport->appendPlainText(lines.mid(shown).join(QLatin1Char('\n'))); // the new lines in one piece
    else
        MReport->setPlainText(Report.Text());
    reportLinesShown_ = int(lines.size());
}

void TFMain::AStartExecute() {
    if (Busy())
        return;
    bw::runGuarded([this] { run_->AStartExecute(); });
    UpdateActions();
}

void TFMain::AStopExecute() {
    if (Busy())
        run_->AStopExecute();
}

void TFMain::ANewProjectExecute() {
    if (Busy())
        return;
    PCOperation->setCurrentWidget(TSFiles);
    if (files_)
        files_->RemoveAll();
    if (rules_)
        rules_->Clear();
    ASaveProject->setEnabled(true);
    ELastProject->setText(kNewProject);
    AUpdateProjectNameExecute();
}

void TFMain::AUpdateProjectNameExecute() { setWindowTitle(ProjectTitle(ELastProject->text())); }

void TFMain::PCOperationChange() {
    if (!isVisible())
        return;
    QWidget* page = PCOperation->currentWidget();
    if (page == TSFiles) {
        if (files_)
            files_->FocusTree();
    } else if (page == TSSR) {
        if (rules_)
            rules_->FocusList();
    } else if (page == TSConvert) {
        FConvert1->FrameEnter();
        FConvert1->LBCP1->setFocus();
    } else if (page == TSReport) {
        MReport->setFocus();
    } else if (page == TSPlugins) {
        CLBPlugins->setFocus();
        if (!CLBPlugins->currentItem() && CLBPlugins->count() > 0)
            CLBPlugins->setCurrentRow(0);
        if (Plugins) {
            Plugins->CLBPluginsClick();
            Plugins->CLBPluginsClickCheck();
        }
    }
}

void TFMain::ACheckVisibilityExecute() {
    const bool sr = !files_ || files_->SRChecked();
    const bool convert = files_ && files_->ConvertChecked();
    QWidget* current = PCOperation->currentWidget();
    PCOperation->setTabVisible(PCOperation->indexOf(TSSR), sr);
    PCOperation->setTabVisible(PCOperation->indexOf(TSConvert), convert);
    // A page whose tab is hidden (a stored page, an operation switched off)
    // gives way to the "In Files" page, not to whichever tab Qt picks.
    if (!PCOperation->isTabVisible(PCOperation->indexOf(current)))
        PCOperation->setCurrentWidget(TSFiles);
    UpdateActions();
}

void TFMain::AViewOptionsExecute() {
    if (Busy() || !services_.Options)
        return;
    bw::runGuarded([this] { services_.Options->ShowOptions(); });
}

void TFMain::AViewBackupManagerExecute() {
    if (Busy() || !services_.BackupBrowser)
        return;
    services_.BackupBrowser->show();
    services_.BackupBrowser->raise();
}

void TFMain::AAboutExecute() {
    bw::runGuarded([this] { ShowAbout(this); });
}

void TFMain::ADonateToAuthorExecute() {
    bw::runGuarded([this] { ShowDonateToAuthor(this); });
}

void TFMain::AExitProgExecute() { commands_->AExitProgExecute(); }

void TFMain::ApplyFolderDefaults(const QString& lastDir, const QStringList& include, const QStringList& exclude) {
    if (TFSelectFolder* dialog = FSelectFolder) {
        dialog->ELastDir->setText(lastDir);
        const auto fill = [](TFFileFilter* panel, const QStringList& masks) {
            panel->CLBMasks->SetItems(masks);
            for (int i = 0; i < panel->CLBMasks->count(); ++i)
                panel->CLBMasks->SetChecked(i, true);
        };
        fill(dialog->FOFiles1->FInclude, include);
        dialog->FOFiles1->FInclude->CBMasks->setChecked(true);
        fill(dialog->FOFiles1->FExclude, exclude);
        dialog->FOFiles1->CheckInterface();
    }
    if (files_)
        files_->ApplyFolderDefaults(lastDir, include, exclude);
}

void TFMain::SetTextFont(const QFont& font, const QColor& color) {
    textFont_ = font;
    textColor_ = color;
    MReport->setFont(font);
    if (parts_->process)
        parts_->process->textColor = color;
    if (files_)
        files_->SetTextFont(font, color);
    if (rules_)
        rules_->SetTextFont(font, color);
}

QString TFMain::LastRuleText() const {
    QString text = lastRuleText_;
    if (rules_)
        rules_->GetLastRuleText(text);
    return text;
}

void TFMain::SetLastRuleText(const QString& text) {
    lastRuleText_ = text;
    if (rules_)
        rules_->SetLastRuleText(text);
}

void TFMain::SetActionItems(const QStringList& items) {
    if (rules_)
        rules_->SetActionItems(items);
}

void TFMain::SetRuleListColumns(const QStringList& captions) {
    if (rules_)
        rules_->SetColumns(captions);
}

void TFMain::SetMenuTitles(const QStringList& titles) {
    if (titles.size() > 0 && !titles[0].isEmpty())
        MFile->setTitle(titles[0]);
    if (titles.size() > 1 && !titles[1].isEmpty())
        MView->setTitle(titles[1]);
    // The help menu takes the caption of its first item.
    const QList<QAction*> items = MHelp->actions();
    if (!items.isEmpty() && !items.front()->text().isEmpty())
        MHelp->setTitle(items.front()->text());
}

void TFMain::RealignInFiles() {
    if (files_)
        files_->Realign();
}

void TFMain::EndProgram() {
    // Nothing is saved on the way out.
    if (Busy())
        run_->RequestStop();
    QCoreApplication::exit(0);
}
