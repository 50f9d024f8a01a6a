#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

#include "platform/ui/chooser.h"

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class TFProcess;
class TFSelectFolder;
class TFVTVFiles;
class TFileNode;
class TFileVTreeView;
class TRERichEdit;

// The "In Files" page: the file tree with its commands, file lists, and the
// two switches that choose the passes of a run. A window of its own for the
// settings store and the language manager, also while docked in the main window.
class TFPFileManager : public QWidget {
    Q_OBJECT
public:
    explicit TFPFileManager(QWidget* parent = nullptr);
    ~TFPFileManager() override;

    TFileVTreeView& Tree();

    // ---- for the main window
    // Fills files from the tree; when it stays empty, says so and returns false.
    bool GetFilesToProcess(QStringList& FilesToProcess);
    // Empties the tree; asks first when ask is set.
    void RemoveAll(bool ask);
    // Applies ABrief's (restored) check to the tree's view mode.
    void ApplyViewMode();
    // The processing window and the engine whose text it shows (Show in window).
    void SetProcessWindow(TFProcess* window, TRERichEdit* engine);

    // ---- handlers
    void AAddFilesExecute();
    void AAddDirExecute();
    void ALoadFileListExecute();
    void ALoadFileListPlainExecute();
    void SaveFileList(bool Plain);
    void ACheckFileListExecute();
    void ARemoveSelectedExecute();
    void ARemoveAllExecute();
    void ABriefExecute();
    void AFullExecute();
    void MarkSelected(int state);
    void EditFolderSettings();
    void AExpandExecute();
    void ACollapseExecute();
    void FVTVFilesFocusChanging(TFileNode* node);
    void FTVFKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void FTVFDblClick(Qt::KeyboardModifiers modifiers);
    void IShowInWindowClick();
    void IShowInBrowserClick();
    void PMFilesPopup();
    void IPropertiesClick();
    void ACheckVisibilityExecute();
    void ALFileManagerUpdate();
    void ALFileTreeUpdate();

    // Replaces the modal showing of the processing window (tests answer from
    // a script); unset: the window's own.
    static std::function<int(TFProcess&)> ShowProcessHook;

    TFVTVFiles* FVTVFiles = nullptr;
    QToolBar* ATBFileManager = nullptr;
    QToolBar* ATBFileTree = nullptr;

    QAction* ADFileList = nullptr;
    QAction* ALoadFileList = nullptr;
    QAction* ALoadFileListPlain = nullptr;
    QAction* ASaveFileList = nullptr;
    QAction* ASaveFileListPlain = nullptr;
    QAction* ACheckFileList = nullptr;
    QAction* ADAdd = nullptr;
    QAction* AAddFiles = nullptr;
    QAction* AAddDir = nullptr;
    QAction* ADRemove = nullptr;
    QAction* ARemoveSelected = nullptr;
    QAction* ARemoveAll = nullptr;
    QAction* ASR = nullptr;
    QAction* AConvert = nullptr;
    QAction* ABrief = nullptr;
    QAction* AFull = nullptr;
    QAction* AInclude = nullptr;
    QAction* AExclude = nullptr;
    QAction* AUnmark = nullptr;
    QAction* AExpand = nullptr;
    QAction* ACollapse = nullptr;

    QMenu* PMFiles = nullptr;
    QAction* IAddFiles = nullptr;
    QAction* IAddDir = nullptr;
    QAction* IRemoveSelected = nullptr;
    QAction* IRemoveAll = nullptr;
    QAction* ILoadFileList = nullptr;
    QAction* ISaveFileList = nullptr;
    QAction* IShowInWindow = nullptr;
    QAction* IShowInBrowser = nullptr;
    QAction* IProperties = nullptr;

    // Adding files: several existing files, links not resolved.
    bw::FileRequest FilesOD;

signals:
    // ASR or AConvert changed (and once at start-up): the search/replace
    // tab shows while sr is on, the conversion tab while convert is on, and
    // Process is enabled while either is.
    void OperationsChanged(bool sr, bool convert);

private:
    // A page action; given a menu, one of that menu's items.
    QAction* action(const QString& caption, const char* name, const QKeySequence& key = {}, QMenu* menu = nullptr);
    QAction* dropDown(const QString& caption, const char* name, QMenu*& menu);
    QAction* menuItem(const QString& caption, const char* name, QAction* runs);
    TFSelectFolder& selectFolder();
    QString text(const char* key) const;
    bw::FileRequest listRequest() const;
    // Runs a user command: errors are shown, names the tree could not take
    // are told once, and the actions and checks follow the tree.
    template <typename F>
    void command(F&& f);
    void tellSkipped();
    void syncViewChecks();
    void syncMarkChecks();
    void addFolder(const QString& path);
    // The settings text in force at a folder: its own or the nearest above.
    QString settingsInForce(const TFileNode* node) const;

    QMenu* MFileList_ = nullptr;
    QMenu* MAdd_ = nullptr;
    QMenu* MRemove_ = nullptr;
    TFSelectFolder* ownFolderDialog_ = nullptr;
    TFProcess* process_ = nullptr;
    TRERichEdit* processEngine_ = nullptr;
    int busy_ = 0;
};
