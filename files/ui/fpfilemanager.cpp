#include "files/ui/fpfilemanager.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "engine/processengine.h"
#include "engine/processstate.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "files/filetree.h"
#include "files/plainfilelist.h"
#include "files/ui/filetreemodel.h"
#include "files/ui/fofiles.h"
#include "files/ui/fselectfolder.h"
#include "files/ui/fvtvfiles.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/guarded.h"
#include "platform/prompt.h"
#include "services/langmanager.h"
#include "services/fileroutines.h"
#include "services/ui/components.h"
#include "services/ui/datamodule.h"

std::function<int(TFProcess&)> TFPFileManager::ShowProcessHook;

namespace {

// The hourglass for the life of a scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString appTitle() { return QCoreApplication::applicationName(); }

// The detection sample of the view for the life of a scope.
class SampleSize {
public:
    SampleSize(TProcessCodePages* pages, int size) : pages_(dynamic_cast<TConversionCodePages*>(pages)) {
        if (pages_) {
            old_ = pages_->DetectSampleSize;
            pages_->DetectSampleSize = size;
        }
    }
    ~SampleSize() {
        if (pages_)
            pages_->DetectSampleSize = old_;
    }
    SampleSize(const SampleSize&) = delete;
    SampleSize& operator=(const SampleSize&) = delete;

private:
    TConversionCodePages* pages_;
    int old_ = 0;
};

constexpr int kViewSampleSize = 100000;

} // namespace

TFPFileManager::TFPFileManager(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FPFileManager"));
    setProperty(bw::kFormProperty, true);
    setWindowTitle(tr("In Files"));

    FVTVFiles = new TFVTVFiles(this);
    Tree().SetBusyHook([this](bool on) {
        if (on) {
            if (busy_++ == 0)
                QApplication::setOverrideCursor(Qt::WaitCursor);
        } else if (busy_ > 0 && --busy_ == 0) {
            QApplication::restoreOverrideCursor();
        }
    });

    // The drop-downs' items belong to their menus; their keys act on the page.
    ADFileList = dropDown(tr("&File list"), "ADFileList", MFileList_);
    ADAdd = dropDown(tr("&Add"), "ADAdd", MAdd_);
    ADRemove = dropDown(tr("&Remove"), "ADRemove", MRemove_);
    ALoadFileList = action(tr("&Load"), "ALoadFileList", QKeySequence(Qt::CTRL | Qt::Key_L), MFileList_);
    ALoadFileListPlain =
        action(tr("Load &plain"), "ALoadFileListPlain", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L), MFileList_);
    // Ctrl+S saves the project in the main window.
    ASaveFileList = action(tr("&Save"), "ASaveFileList", QKeySequence(), MFileList_);
    ASaveFileListPlain =
        action(tr("Sa&ve plain"), "ASaveFileListPlain", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), MFileList_);
    ACheckFileList = action(tr("&Check"), "ACheckFileList", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), MFileList_);
    AAddFiles = action(tr("&File(s)"), "AAddFiles", QKeySequence(Qt::CTRL | Qt::Key_I), MAdd_);
    AAddDir = action(tr("F&older"), "AAddDir", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Insert), MAdd_);
    ARemoveSelected = action(tr("&Selected file(s)"), "ARemoveSelected", QKeySequence(Qt::CTRL | Qt::Key_Delete), MRemove_);
    ARemoveAll = action(tr("&All"), "ARemoveAll", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Delete), MRemove_);
    ASR = action(tr("&Search/Replace"), "ASR");
    ASR->setCheckable(true);
    ASR->setChecked(true);
    AConvert = action(tr("&Convert"), "AConvert");
    AConvert->setCheckable(true);

    ABrief = action(tr("&Brief"), "ABrief");
    ABrief->setCheckable(true);
    ABrief->setChecked(true);
    AFull = action(tr("F&ull"), "AFull");
    AFull->setCheckable(true);
    AInclude = action(tr("&Include"), "AInclude");
    AExclude = action(tr("&Exclude"), "AExclude");
    AUnmark = action(tr("U&nmark"), "AUnmark");
    for (QAction* a : {AInclude, AExclude, AUnmark})
        a->setCheckable(true);
    AExpand = action(tr("E&xpand"), "AExpand");
    ACollapse = action(tr("C&ollapse"), "ACollapse");

    QStyle* st = style();
    ADFileList->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    ADAdd->setIcon(st->standardIcon(QStyle::SP_FileDialogNewFolder));
    ADRemove->setIcon(st->standardIcon(QStyle::SP_TrashIcon));
    ALoadFileList->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    ASaveFileList->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    ACheckFileList->setIcon(st->standardIcon(QStyle::SP_DialogApplyButton));
    ASR->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    AConvert->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
    AInclude->setIcon(TFileTreeModel::StateIcon(1));
    AExclude->setIcon(TFileTreeModel::StateIcon(2));

    ATBFileManager = new QToolBar(this);
    ATBFileManager->setObjectName(QStringLiteral("ATBFileManager"));
    ATBFileManager->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ATBFileManager->addActions({ADFileList, ADAdd, ADRemove});
    ATBFileManager->addSeparator();
    ATBFileManager->addActions({ASR, AConvert});
    for (QAction* a : {ADFileList, ADAdd, ADRemove})
        if (auto* b = qobject_cast<QToolButton*>(ATBFileManager->widgetForAction(a)))
            b->setPopupMode(QToolButton::MenuButtonPopup);

    ATBFileTree = new QToolBar(this);
    ATBFileTree->setObjectName(QStringLiteral("ATBFileTree"));
    ATBFileTree->setOrientation(Qt::Vertical);
    ATBFileTree->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ATBFileTree->addActions({ABrief, AFull});
    ATBFileTree->addSeparator();
    ATBFileTree->addActions({AInclude, AExclude, AUnmark});
    ATBFileTree->addSeparator();
    ATBFileTree->addActions({AExpand, ACollapse});
    for (QAction* a : ATBFileTree->actions())
        if (auto* b = ATBFileTree->widgetForAction(a))
            b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    PMFiles = new QMenu(this);
    PMFiles->setObjectName(QStringLiteral("PMFiles"));
    IAddFiles = menuItem(tr("Add &file(s)"), "IAddFiles", AAddFiles);
    IAddDir = menuItem(tr("Add f&older"), "IAddDir", AAddDir);
    PMFiles->addSeparator();
    IRemoveSelected = menuItem(tr("&Remove file(s)"), "IRemoveSelected", ARemoveSelected);
    IRemoveAll = menuItem(tr("Remove &All"), "IRemoveAll", ARemoveAll);
    PMFiles->addSeparator();
    ILoadFileList = menuItem(tr("&Load list"), "ILoadFileList", ALoadFileList);
    ISaveFileList = menuItem(tr("&Save List"), "ISaveFileList", ASaveFileList);
    PMFiles->addSeparator();
    IShowInWindow = menuItem(tr("Show in &window"), "IShowInWindow", nullptr);
    IShowInBrowser = menuItem(tr("Show in &browser"), "IShowInBrowser", nullptr);
    PMFiles->addSeparator();
    IProperties = menuItem(tr("&Properties"), "IProperties", nullptr);
    IProperties->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    IProperties->setShortcutContext(Qt::WindowShortcut);
    addAction(IProperties);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ATBFileManager);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(ATBFileTree);
    row->addWidget(FVTVFiles, 1);
    layout->addLayout(row, 1);
    // Every caption of the top bar shows, in whatever language.
    auto fitBar = [this] { setMinimumSize(std::max(360, ATBFileManager->sizeHint().width()), 300); };
    for (QAction* a : ATBFileManager->actions())
        connect(a, &QAction::changed, this, fitBar);
    fitBar();

    FilesOD.filter = tr("All files (*)");

    auto on = [this](QAction* a, auto handler) {
        connect(a, &QAction::triggered, this, [this, handler] { command([this, handler] { (this->*handler)(); }); });
    };
    on(ADFileList, &TFPFileManager::ALoadFileListExecute);
    on(ADAdd, &TFPFileManager::AAddFilesExecute);
    on(ADRemove, &TFPFileManager::ARemoveSelectedExecute);
    on(ALoadFileList, &TFPFileManager::ALoadFileListExecute);
    on(ALoadFileListPlain, &TFPFileManager::ALoadFileListPlainExecute);
    connect(ASaveFileList, &QAction::triggered, this, [this] { command([this] { SaveFileList(false); }); });
    connect(ASaveFileListPlain, &QAction::triggered, this, [this] { command([this] { SaveFileList(true); }); });
    on(ACheckFileList, &TFPFileManager::ACheckFileListExecute);
    on(AAddFiles, &TFPFileManager::AAddFilesExecute);
    on(AAddDir, &TFPFileManager::AAddDirExecute);
    on(ARemoveSelected, &TFPFileManager::ARemoveSelectedExecute);
    on(ARemoveAll, &TFPFileManager::ARemoveAllExecute);
    on(ASR, &TFPFileManager::ACheckVisibilityExecute);
    on(AConvert, &TFPFileManager::ACheckVisibilityExecute);
    on(ABrief, &TFPFileManager::ABriefExecute);
    on(AFull, &TFPFileManager::AFullExecute);
    connect(AInclude, &QAction::triggered, this, [this] { command([this] { MarkSelected(Tree().IncludeStateIndex); }); });
    connect(AExclude, &QAction::triggered, this, [this] { command([this] { MarkSelected(Tree().ExcludeStateIndex); }); });
    connect(AUnmark, &QAction::triggered, this, [this] { command([this] { MarkSelected(-1); }); });
    on(AExpand, &TFPFileManager::AExpandExecute);
    on(ACollapse, &TFPFileManager::ACollapseExecute);
    on(IShowInWindow, &TFPFileManager::IShowInWindowClick);
    on(IShowInBrowser, &TFPFileManager::IShowInBrowserClick);
    on(IProperties, &TFPFileManager::IPropertiesClick);

    connect(FVTVFiles, &TFVTVFiles::FocusChanged, this, [this](TFileNode* node) {
        FVTVFilesFocusChanging(node);
        ALFileManagerUpdate();
        ALFileTreeUpdate();
    });
    connect(FVTVFiles, &TFVTVFiles::KeyUp, this, [this](int key, Qt::KeyboardModifiers m) { FTVFKeyUp(key, m); });
    connect(FVTVFiles, &TFVTVFiles::DoubleClicked, this,
            [this](Qt::KeyboardModifiers m) { command([this, m] { FTVFDblClick(m); }); });
    connect(FVTVFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PMFilesPopup();
        PMFiles->popup(FVTVFiles->viewport()->mapToGlobal(at));
    });
    connect(&FVTVFiles->Model(), &QAbstractItemModel::modelReset, this, [this] {
        ALFileManagerUpdate();
        ALFileTreeUpdate();
    });
    connect(&FVTVFiles->Model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        ALFileManagerUpdate();
        ALFileTreeUpdate();
    });
    ALFileManagerUpdate();
    ALFileTreeUpdate();
}

TFPFileManager::~TFPFileManager() {
    Tree().SetBusyHook(nullptr);
    while (busy_ > 0) {
        --busy_;
        QApplication::restoreOverrideCursor();
    }
}

TFileVTreeView& TFPFileManager::Tree() { return FVTVFiles->Tree(); }

QAction* TFPFileManager::action(const QString& caption, const char* name, const QKeySequence& key, QMenu* menu) {
    auto* a = new QAction(caption, menu ? static_cast<QObject*>(menu) : this);
    if (menu)
        menu->addAction(a);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(a);
    return a;
}

QAction* TFPFileManager::dropDown(const QString& caption, const char* name, QMenu*& menu) {
    QAction* a = action(caption, name);
    menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("M") + QString::fromLatin1(name).mid(2));
    a->setMenu(menu);
    return a;
}

QAction* TFPFileManager::menuItem(const QString& caption, const char* name, QAction* runs) {
    auto* item = new QAction(caption, PMFiles);
    item->setObjectName(QString::fromLatin1(name));
    PMFiles->addAction(item);
    if (runs)
        connect(item, &QAction::triggered, runs, &QAction::trigger);
    return item;
}

TFSelectFolder& TFPFileManager::selectFolder() {
    if (FSelectFolder)
        return *FSelectFolder;
    if (!ownFolderDialog_)
        ownFolderDialog_ = new TFSelectFolder(this);
    return *ownFolderDialog_;
}

QString TFPFileManager::text(const char* key) const {
    const QString k = QString::fromLatin1(key);
    const QString t = DMDataModule ? DMDataModule->LangManager->GetText(k) : QString();
    return t.isEmpty() ? k : t;
}

void TFPFileManager::SetProcessWindow(TFProcess* window, TRERichEdit* engine) {
    process_ = window;
    processEngine_ = engine;
}

template <typename F>
void TFPFileManager::command(F&& f) {
    Tree().ClearSkippedNames();
    bw::runGuarded(appTitle(), std::forward<F>(f));
    tellSkipped();
    syncViewChecks();
    FVTVFiles->SyncFromTree();
    syncMarkChecks();
    ALFileManagerUpdate();
    ALFileTreeUpdate();
}

void TFPFileManager::tellSkipped() {
    const int count = Tree().SkippedNames();
    if (count == 0)
        return;
    const QString first = Tree().FirstSkippedName();
    Tree().ClearSkippedNames();
    bw::prompt().error(appTitle(), bw::format(text("szNamesSkipped"), {first, count}));
}

void TFPFileManager::syncViewChecks() {
    const bool brief = Tree().ViewMode() == ftvmBrief;
    ABrief->setChecked(brief);
    AFull->setChecked(!brief);
}

void TFPFileManager::syncMarkChecks() { FVTVFilesFocusChanging(FVTVFiles->FocusedNode()); }

// ---- for the main window ----------------------------------------------------

bool TFPFileManager::GetFilesToProcess(QStringList& FilesToProcess) {
    FilesToProcess.clear();
    command([&] { Tree().GetFileList(FilesToProcess); });
    if (!FilesToProcess.isEmpty())
        return true;
    bw::prompt().ask(appTitle(), text("szFileListIsEmpty"), bw::Buttons::Ok, bw::Icon::None);
    return false;
}

void TFPFileManager::RemoveAll(bool ask) {
    if (ask && !bw::prompt().yesNo(text("szConfirmation"), text("szRemoveAll")))
        return;
    Tree().Clear();
    FVTVFiles->SyncFromTree();
    syncMarkChecks();
    ALFileManagerUpdate();
    ALFileTreeUpdate();
}

void TFPFileManager::ApplyViewMode() {
    command([this] { Tree().SetViewMode(ABrief->isChecked() ? ftvmBrief : ftvmFull); });
}

// ---- adding, lists and removing ----------------------------------------------

void TFPFileManager::AAddFilesExecute() {
    bw::FileRequest request = FilesOD;
    request.filter = LangText(request.filter); // in the interface's language
    const QStringList files = bw::chooser().openFiles(request, true);
    if (files.isEmpty())
        return;
    Tree().AddFileList(files);
}

void TFPFileManager::addFolder(const QString& path) {
    TFSelectFolder& dialog = selectFolder();
    const WaitCursor wait;
    dialog.FOFiles1->InterfaceToFilter(Tree().FileFilter);
    Tree().FileFilter.Recursive = dialog.CBSubFolders->isChecked();
    Tree().AddFolder(path);
}

void TFPFileManager::AAddDirExecute() {
    TFSelectFolder& dialog = selectFolder();
    if (dialog.Execute() != QDialog::Accepted)
        return;
    addFolder(dialog.SelectedPath());
}

bw::FileRequest TFPFileManager::listRequest() const {
    bw::FileRequest r;
    if (DMDataModule)
        DMDataModule->FileOD.Filter = text("szListExt") + QStringLiteral("(*.lst)|*.lst");
    r.filter = text("szListExt") + QStringLiteral("(*.lst)");
    r.defaultSuffix = QStringLiteral("lst");
    return r;
}

void TFPFileManager::ALoadFileListExecute() {
    const QString file = bw::chooser().openFile(listRequest());
    if (file.isEmpty())
        return;
    const WaitCursor wait;
    LoadStructuredFileList(file, Tree());
}

void TFPFileManager::ALoadFileListPlainExecute() {
    const QString file = bw::chooser().openFile(listRequest());
    if (file.isEmpty())
        return;
    const WaitCursor wait;
    Tree().LoadPlainList(file);
}

void TFPFileManager::SaveFileList(bool Plain) {
    const QString file = bw::chooser().saveFile(listRequest());
    if (file.isEmpty())
        return;
    const WaitCursor wait;
    if (Plain) {
        QStringList files;
        Tree().GetFileList(files);
        WritePlainFileList(file, files);
    } else {
        SaveStructuredFileList(file, Tree());
    }
}

void TFPFileManager::ACheckFileListExecute() {
    Tree().CheckFiles();
    FVTVFiles->SyncFromTree();
    const char* key = Tree().Selected() ? "szRecommendationDel" : "szRecommendationOk";
    bw::prompt().ask(appTitle(), text(key), bw::Buttons::Ok, bw::Icon::None);
}

void TFPFileManager::ARemoveSelectedExecute() { Tree().RemoveSelected(); }

void TFPFileManager::ARemoveAllExecute() { RemoveAll(true); }

// ---- views, marks and folder settings ----------------------------------------

void TFPFileManager::ABriefExecute() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Tree().SetViewMode(ftvmBrief);
}

void TFPFileManager::AFullExecute() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Tree().SetViewMode(ftvmFull);
}

void TFPFileManager::MarkSelected(int state) {
    TFileNode* node = FVTVFiles->FocusedNode();
    if (!node)
        return;
    if (state == Tree().IncludeStateIndex && Tree().IsFolder(node))
        EditFolderSettings();
    else
        Tree().SetNodeState(node, state);
}

QString TFPFileManager::settingsInForce(const TFileNode* node) const {
    for (const TFileNode* n = node; n; n = n->Parent())
        if (!n->Data.Settings.isEmpty())
            return n->Data.Settings;
    return QString();
}

void TFPFileManager::EditFolderSettings() {
    TFileNode* node = FVTVFiles->FocusedNode();
    if (!node || !Tree().IsFolder(node))
        return;
    const QString path = Tree().GetNodePath(node);
    TFSelectFolder& dialog = selectFolder();
    const QString caption = QStringLiteral("{") + path + QStringLiteral("} - ") + text("szFolderSettings");
    if (dialog.EditSettings(caption, path, settingsInForce(node)) != QDialog::Accepted)
        return;
    // The edited folder, whatever the hidden chooser showed.
    addFolder(path);
}

void TFPFileManager::FVTVFilesFocusChanging(TFileNode* node) {
    const int state = node ? node->Data.StateIndex : 0;
    AInclude->setChecked(node && state == Tree().IncludeStateIndex);
    AExclude->setChecked(node && state == Tree().ExcludeStateIndex);
    AUnmark->setChecked(node && state != Tree().IncludeStateIndex && state != Tree().ExcludeStateIndex);
}

void TFPFileManager::AExpandExecute() {
    Tree().SetAllExpanded(true);
    FVTVFiles->expandAll();
}

void TFPFileManager::ACollapseExecute() {
    Tree().SetAllExpanded(false);
    FVTVFiles->collapseAll();
}

// ---- keys, double-click, popup ------------------------------------------------

void TFPFileManager::FTVFKeyUp(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers m = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if ((m & Qt::ControlModifier) && !(m & Qt::ShiftModifier)) {
        if (key == Qt::Key_Insert)
            AAddFiles->trigger();
        else if (key == Qt::Key_Right)
            AExpand->trigger();
        else if (key == Qt::Key_Left)
            ACollapse->trigger();
        return;
    }
    if (m != Qt::NoModifier || !FVTVFiles->FocusedNode())
        return;
    if (key == Qt::Key_Space)
        AUnmark->trigger();
    else if (key == Qt::Key_Insert)
        AInclude->trigger();
    else if (key == Qt::Key_Delete)
        AExclude->trigger();
}

void TFPFileManager::FTVFDblClick(Qt::KeyboardModifiers modifiers) {
    TFileNode* node = FVTVFiles->FocusedNode();
    if (!node || Tree().IsFolder(node))
        return;
    if (modifiers & Qt::ControlModifier)
        IShowInBrowserClick();
    else
        IShowInWindowClick();
}

void TFPFileManager::IShowInWindowClick() {
    TFileNode* node = FVTVFiles->FocusedNode();
    if (!node || Tree().IsFolder(node))
        return;
    const QString path = Tree().GetNodePath(node);
    std::string bytes;
    if (!LoadFileToString(path, bytes))
        throw bw::Error(bw::format(text("szCannotOpenFile"), {path}));
    TFProcess* window = process_ ? process_ : FProcess;
    if (!window || !processEngine_)
        return;
    const SampleSize sample(window->Controller().CodePages, kViewSampleSize);
    processEngine_->FileName = path;
    window->PrepareView();
    struct Undo {
        TFProcess* w;
        ~Undo() { w->Controller().CancelView(); }
    } undo{window};
    CurrentFileText = std::move(bytes);
    if (ShowProcessHook)
        ShowProcessHook(*window);
    else
        window->ShowProcessModal();
}

void TFPFileManager::IShowInBrowserClick() {
    TFileNode* node = FVTVFiles->FocusedNode();
    if (!node)
        return;
    const QString path = Tree().GetNodePath(node);
    if (!bw::chooser().openUrl(QUrl::fromLocalFile(path)))
        throw bw::Error(bw::format(text("szCannotOpenFile"), {path}));
}

void TFPFileManager::PMFilesPopup() {
    TFileNode* node = FVTVFiles->FocusedNode();
    const bool folder = Tree().IsFolder(node);
    IShowInBrowser->setEnabled(node);
    IShowInWindow->setEnabled(node && !folder);
    IProperties->setEnabled(node && folder);
}

void TFPFileManager::IPropertiesClick() {
    if (Tree().IsFolder(FVTVFiles->FocusedNode()))
        EditFolderSettings();
}

// ---- switches and enabling -------------------------------------------------------

void TFPFileManager::ACheckVisibilityExecute() { emit OperationsChanged(ASR->isChecked(), AConvert->isChecked()); }

void TFPFileManager::ALFileManagerUpdate() {
    const bool any = !Tree().IsEmpty();
    const bool selected = FVTVFiles->FocusedNode();
    ARemoveAll->setEnabled(any);
    ARemoveSelected->setEnabled(selected);
    ADRemove->setEnabled(any || selected);
}

void TFPFileManager::ALFileTreeUpdate() {
    const bool any = !Tree().IsEmpty();
    const bool selected = FVTVFiles->FocusedNode();
    AInclude->setEnabled(selected);
    AExclude->setEnabled(selected);
    AUnmark->setEnabled(selected);
    AExpand->setEnabled(any);
    ACollapse->setEnabled(any);
    PMFilesPopup();
}
