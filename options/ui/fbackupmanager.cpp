#include "options/ui/fbackupmanager.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>

#include "platform/guarded.h"
#include "platform/prompt.h"
#include "services/backupmanager.h"

TFBackupManager* FBackupManager = nullptr;

void TShellTreeView::startDrag(Qt::DropActions supportedActions) {
    if (OnStartDrag && OnStartDrag())
        return;
    QTreeView::startDrag(supportedActions);
}

namespace {

// Below the backup folder's parent, only the backup folder itself: so the
// folder is the tree's first node.
class TOneFolderProxy : public QSortFilterProxyModel {
public:
    TOneFolderProxy(QFileSystemModel* model, const QString& parent, const QString& name, QObject* owner)
        : QSortFilterProxyModel(owner), model_(model), parent_(parent), name_(name) {
        setSourceModel(model);
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& sourceParent) const override {
        if (model_->filePath(sourceParent) != parent_)
            return true;
        return model_->fileName(model_->index(row, 0, sourceParent)) == name_;
    }

private:
    QFileSystemModel* model_;
    QString parent_;
    QString name_;
};

QString cleanFolder(const QString& path) { return QDir::cleanPath(QDir::fromNativeSeparators(path)); }

} // namespace

TFBackupManager::TFBackupManager(TBackupManager& store, const TLangManager* langs, QWidget* parent)
    : QMainWindow(parent), browser_(store, langs) {
    setObjectName(QStringLiteral("FBackupManager"));
    setWindowTitle(tr("Backup Manager"));
    setWindowFlag(Qt::Window);
    resize(702, 506);
    setMinimumSize(540, 200);

    TBBackup = new QToolBar(this);
    TBBackup->setObjectName(QStringLiteral("TBBackup"));
    TBBackup->setToolButtonStyle(Qt::ToolButtonTextOnly);
    TBBackup->setMovable(false);
    addToolBar(TBBackup);
    auto action = [this](const QString& text, const char* name, const QKeySequence& key) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        return a;
    };
    ARefresh = action(tr("R&efresh"), "ARefresh", QKeySequence(Qt::CTRL | Qt::Key_R));
    ARestore = action(tr("&Restore"), "ARestore", QKeySequence(Qt::Key_Return));
    AOptions = action(tr("&Options"), "AOptions", QKeySequence());
    ADelete = action(tr("Dele&te"), "ADelete", QKeySequence(Qt::Key_Delete));
    ADeleteAll = action(tr("&Delete All"), "ADeleteAll", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    AClose = action(tr("C&lose"), "AClose", QKeySequence(Qt::CTRL | Qt::Key_F4));
    ARefreshIfNeeded = action(QString(), "ARefreshIfNeeded", QKeySequence());
    AOptions->setCheckable(true);
    AOptions->setChecked(true);
    TBBackup->addAction(ARefresh);
    TBBackup->addAction(ARestore);
    TBBackup->addSeparator();
    TBBackup->addAction(AOptions);
    TBBackup->addSeparator();
    TBBackup->addAction(ADelete);
    TBBackup->addAction(ADeleteAll);
    TBBackup->addSeparator();
    TBBackup->addAction(AClose);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(2, 2, 2, 2);
    ShellTreeView = new TShellTreeView(central);
    ShellTreeView->setObjectName(QStringLiteral("ShellTreeView"));
    ShellTreeView->setRootIsDecorated(true);
    ShellTreeView->setHeaderHidden(true);
    ShellTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView->setDragEnabled(true);
    ShellTreeView->setContextMenuPolicy(Qt::PreventContextMenu);
    QPalette p = ShellTreeView->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    ShellTreeView->setPalette(p);
    row->addWidget(ShellTreeView, 1);

    POptions = new QWidget(central);
    POptions->setObjectName(QStringLiteral("POptions"));
    auto* optionsLayout = new QVBoxLayout(POptions);
    optionsLayout->setContentsMargins(4, 0, 4, 0);
    CBDeleteOnRestore = new QCheckBox(tr("Delete &copy on restore"), POptions);
    CBDeleteOnRestore->setObjectName(QStringLiteral("CBDeleteOnRestore"));
    CBDeleteOnRestore->setChecked(true);
    CBDragAsRestore = new QCheckBox(tr("Dra&g&&Drop = Restore"), POptions);
    CBDragAsRestore->setObjectName(QStringLiteral("CBDragAsRestore"));
    optionsLayout->addWidget(CBDeleteOnRestore);
    optionsLayout->addWidget(CBDragAsRestore);
    optionsLayout->addStretch(1);
    row->addWidget(POptions);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    ShellChangeNotifier = new QFileSystemWatcher(this);
    ShellChangeNotifier->setObjectName(QStringLiteral("ShellChangeNotifier"));
    connect(ShellChangeNotifier, &QFileSystemWatcher::directoryChanged, this, [this] { ShellChangeNotifierChange(); });
    connect(ShellTreeView, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (model_ && proxy_ && ShellTreeView->model() == proxy_)
            ShellChangeNotifier->addPath(model_->filePath(proxy_->mapToSource(index)));
    });
    ShellTreeView->OnStartDrag = [this] { return ShellTreeViewStartDrag(); };

    empty_ = new QStandardItemModel(this);
    ShellTreeView->setModel(empty_);

    connect(ARefresh, &QAction::triggered, this, [this] { bw::runGuarded([this] { ARefreshExecute(); }); });
    connect(ARefreshIfNeeded, &QAction::triggered, this, [this] { bw::runGuarded([this] { ARefreshIfNeededExecute(); }); });
    connect(ARestore, &QAction::triggered, this, [this] { bw::runGuarded([this] { ARestoreExecute(); }); });
    connect(ADelete, &QAction::triggered, this, [this] { bw::runGuarded([this] { ADeleteExecute(); }); });
    connect(ADeleteAll, &QAction::triggered, this, [this] { bw::runGuarded([this] { ADeleteAllExecute(); }); });
    connect(AClose, &QAction::triggered, this, [this] { ACloseExecute(); });
    // The options panel follows the toggle.
    connect(AOptions, &QAction::toggled, POptions, &QWidget::setVisible);
    AMBackupUpdate();
}

TFBackupManager::~TFBackupManager() {
    if (FBackupManager == this)
        FBackupManager = nullptr;
}

void TFBackupManager::ARefreshExecute() {
    const QString root = cleanFolder(browser_.Root());
    ShellTreeView->setModel(empty_);
    delete proxy_;
    delete model_;
    proxy_ = nullptr;
    model_ = nullptr;
    if (!ShellChangeNotifier->directories().isEmpty())
        ShellChangeNotifier->removePaths(ShellChangeNotifier->directories());

    const QFileInfo info(root);
    const QString parentPath = info.absolutePath();
    if (info.isDir() && !info.isRoot() && root != parentPath) {
        model_ = new QFileSystemModel(this);
        model_->setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        model_->setReadOnly(true);
        model_->setRootPath(root);
        proxy_ = new TOneFolderProxy(model_, parentPath, info.fileName(), this);
        ShellTreeView->setModel(proxy_);
        ShellTreeView->setRootIndex(proxy_->mapFromSource(model_->index(parentPath)));
        for (int c = 1; c < proxy_->columnCount(); ++c)
            ShellTreeView->hideColumn(c);
        // A click moves the current item before it selects it: the actions
        // follow the selection as it stands after either change.
        connect(ShellTreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this] { AMBackupUpdate(); });
        connect(ShellTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { AMBackupUpdate(); });
        connect(proxy_, &QAbstractItemModel::rowsRemoved, this, [this] { AMBackupUpdate(); });
        connect(proxy_, &QAbstractItemModel::rowsInserted, this, [this] { AMBackupUpdate(); });
        ShellChangeNotifier->addPath(root);
        ShellChangeNotifier->addPath(parentPath);
    }
    browser_.RefreshNeeded = false;
    AMBackupUpdate();
}

void TFBackupManager::ARefreshIfNeededExecute() {
    if (browser_.RefreshNeeded)
        ARefreshExecute();
}

void TFBackupManager::ShellChangeNotifierChange() { browser_.RefreshNeeded = true; }

QString TFBackupManager::SelectedPath() const {
    if (!model_ || !proxy_ || ShellTreeView->model() != proxy_)
        return QString();
    const QModelIndex current = ShellTreeView->currentIndex();
    if (!current.isValid() || !ShellTreeView->selectionModel()->isSelected(current))
        return QString();
    return model_->filePath(proxy_->mapToSource(current));
}

QModelIndex TFBackupManager::indexOf(const QString& path) const {
    if (!model_ || !proxy_)
        return {};
    return proxy_->mapFromSource(model_->index(cleanFolder(path)));
}

bool TFBackupManager::SelectPath(const QString& path) {
    const QModelIndex index = indexOf(path);
    if (!index.isValid())
        return false;
    for (QModelIndex up = index.parent(); up.isValid() && up != ShellTreeView->rootIndex(); up = up.parent())
        ShellTreeView->expand(up);
    ShellTreeView->setCurrentIndex(index);
    ShellTreeView->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    AMBackupUpdate();
    return true;
}

bool TFBackupManager::HasNodes() const {
    return proxy_ && ShellTreeView->model() == proxy_ && proxy_->rowCount(ShellTreeView->rootIndex()) > 0;
}

void TFBackupManager::AMBackupUpdate() {
    const QString selected = SelectedPath();
    ARestore->setEnabled(browser_.CanRestore(selected));
    ADelete->setEnabled(browser_.CanDelete(selected));
    ADeleteAll->setEnabled(HasNodes());
    statusBar()->showMessage(QDir::toNativeSeparators(selected));
}

void TFBackupManager::ARestoreExecute() {
    AMBackupUpdate();
    if (!ARestore->isEnabled())
        return;
    browser_.Restore(SelectedPath(), CBDeleteOnRestore->isChecked());
    AMBackupUpdate();
}

void TFBackupManager::ADeleteExecute() {
    AMBackupUpdate();
    if (!ADelete->isEnabled())
        return;
    browser_.Delete(SelectedPath());
    AMBackupUpdate();
}

void TFBackupManager::ADeleteAllExecute() {
    AMBackupUpdate();
    if (!ADeleteAll->isEnabled())
        return;
    SelectPath(browser_.Root());
    browser_.DeleteAll();
    AMBackupUpdate();
}

bool TFBackupManager::ShellTreeViewStartDrag() {
    if (!CBDragAsRestore->isChecked())
        return false;
    ARestore->trigger();
    return true;
}

void TFBackupManager::ACloseExecute() { hide(); }

void TFBackupManager::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ARefreshIfNeeded->trigger();
}

void TFBackupManager::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
        ARefreshIfNeeded->trigger();
}

void TFBackupManager::closeEvent(QCloseEvent* event) {
    // Closing hides the window and never deletes it. The close is accepted
    // (not turned into a hide), so that closing every window at the
    // program's end still ends the event loop while the browser is open.
    event->accept();
}
