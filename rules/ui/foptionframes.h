#pragma once

#include "services/ui/components.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Search options of a rule: the code pages to search in and how to match.
class TFOFind : public TFrame {
    Q_OBJECT
public:
    explicit TFOFind(QWidget* parent = nullptr);

    // The code pages of the run's table, each item carrying its conversion row
    // (Qt::UserRole) or kNoConversion; items added for other names carry none.
    int BaseItemCount() const { return baseItems_; }
    // The row an item carries; -1 for a name the table does not hold.
    int ItemRow(int index) const;
    // Removes the items added for names the table does not hold.
    void RemoveExtraItems();
    bool AnyCodePageChecked() const;

    QLabel* LCodePages = nullptr;
    TCheckListBox* CLBCP = nullptr;
    QLabel* LCharCount = nullptr;
    QSpinBox* SECharCount = nullptr;
    QLabel* LChar = nullptr;
    QCheckBox* CBSaveCP = nullptr;
    QCheckBox* CBStopCPChange = nullptr;
    QCheckBox* CBCaseSensitive = nullptr;
    QCheckBox* CBWholeWords = nullptr;
    QCheckBox* CBIgnoreMode = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillCodePages();
    // Four rows in two columns, whatever the font and the width.
    void FitCodePages();
    int baseItems_ = 0;
};

// Target options of a rule: confirmation, hint, repeating and the folders of
// output and line files.
class TFOReplace : public TFrame {
    Q_OBJECT
public:
    explicit TFOReplace(QWidget* parent = nullptr);

    void BSelectOutFolderClick();
    void BSelectSaveInFolderClick();

    QCheckBox* CBConfirmReplace = nullptr;
    QCheckBox* CBShowHint = nullptr;
    QCheckBox* CBRepeat = nullptr;
    QLabel* LOutFolder = nullptr;
    QLineEdit* EOutFolder = nullptr;
    QPushButton* BSelectOutFolder = nullptr;
    QLabel* LInFolder = nullptr;
    QLineEdit* EInFolder = nullptr;
    QPushButton* BSelectSaveInFolder = nullptr;
};
