#pragma once

#include <QMainWindow>
#include <QTreeView>
#include <functional>
#include <memory>

#include "options/backupbrowser.h"

class QAction;
class QCheckBox;
class QFileSystemModel;
class QFileSystemWatcher;
class QLabel;
class QSortFilterProxyModel;
class QStandardItemModel;
class QToolBar;
class QWidget;
class TBackupManager;
class TLangManager;

// The tree of the backup browser: a drag started in it is reported, so that
// it can restore the copy instead.
class TShellTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TShellTreeView(QWidget* parent = nullptr) : QTreeView(parent) {}
    // Asked when a drag starts; true when it took the drag over.
    std::function<bool()> OnStartDrag;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
};

// The backup browser: shows the backup folder as a tree and puts copies back
// or sends them to the trash. Closing it only hides it.
class TFBackupManager : public QMainWindow {
    Q_OBJECT
public:
    TFBackupManager(TBackupManager& store, const TLangManager* langs, QWidget* parent = nullptr);
    ~TFBackupManager() override;

    TBackupBrowser& Browser() { return browser_; }
    // The full path of the selected item; empty when none.
    QString SelectedPath() const;
    // Selects the item of a path below the backup folder, opening the levels above it.
    bool SelectPath(const QString& path);
    // Whether the tree shows any node.
    bool HasNodes() const;

    void ARefreshExecute();
    void ARefreshIfNeededExecute();
    void ARestoreExecute();
    void ADeleteExecute();
    void ADeleteAllExecute();
    void ACloseExecute();
    // Enables the actions for the selection.
    void AMBackupUpdate();
    // A drag started in the tree: restores instead when the option says so.
    bool ShellTreeViewStartDrag();

    TShellTreeView* ShellTreeView = nullptr;
    QFileSystemWatcher* ShellChangeNotifier = nullptr;
    QWidget* POptions = nullptr;
    QCheckBox* CBDeleteOnRestore = nullptr;
    QCheckBox* CBDragAsRestore = nullptr;
    QToolBar* TBBackup = nullptr;

    QAction* ARefresh = nullptr;
    QAction* ARestore = nullptr;
    QAction* AOptions = nullptr;
    QAction* ADelete = nullptr;
    QAction* ADeleteAll = nullptr;
    QAction* AClose = nullptr;
    QAction* ARefreshIfNeeded = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShellChangeNotifierChange();
    QModelIndex indexOf(const QString& path) const;

    TBackupBrowser browser_;
    QFileSystemModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QStandardItemModel* empty_ = nullptr;
};

// The one backup browser of the program, created at start-up.
extern TFBackupManager* FBackupManager;
