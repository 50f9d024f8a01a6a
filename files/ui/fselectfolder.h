#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;
class TFOFiles;

// The dialog in which the user picks a folder on disk with its include and
// exclude filters and whether its subfolders are scanned. One instance lives
// as long as the program, so the panels keep their state between uses.
class TFSelectFolder : public QDialog {
    Q_OBJECT
public:
    explicit TFSelectFolder(QWidget* parent = nullptr);
    ~TFSelectFolder() override;

    // Shows the dialog modally to choose a folder; its result code.
    int Execute();
    // Shows the dialog modally to edit the settings of the added folder `path`:
    // the chooser is hidden, the dialog narrowed and captioned by the caller,
    // and the panels show `settingsText` (an empty text leaves them as they
    // were). Caption, chooser and width come back
    // afterwards, also when the text does not read (its error is raised).
    int EditSettings(const QString& caption, const QString& path, const QString& settingsText);

    // The folder chosen by the last OK: the tree's folder, or the edited
    // folder's when the chooser was hidden.
    QString SelectedPath() const { return chosen_; }
    // The folder selected in the tree; empty when none is.
    QString TreePath() const;
    // Makes `path` the selected folder of the tree (its root stays).
    void SelectTreePath(const QString& path);
    // The tree's root folder.
    QString TreeRoot() const;

    void FormShow();
    void BOkClick();
    void ShellComboBoxChange();

    // Replaces the modal showing (tests answer from a script); nothing = exec().
    static std::function<int(TFSelectFolder&)> ExecHook;

    QWidget* PFolder = nullptr;
    QWidget* DCBP = nullptr;
    QComboBox* ShellComboBox = nullptr;
    QTreeView* ShellTreeView = nullptr;
    QLineEdit* ELastDir = nullptr;
    QWidget* POFiles = nullptr;
    TFOFiles* FOFiles1 = nullptr;
    QWidget* PBottom = nullptr;
    QCheckBox* CBSubFolders = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillPlaces();
    void updateOk();
    int run();

    QFileSystemModel* model_ = nullptr;
    QString chosen_;
};

// The one folder dialog, set while it exists.
extern TFSelectFolder* FSelectFolder;
