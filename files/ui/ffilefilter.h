#pragma once

#include "services/ui/components.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QPushButton;
class QSpinBox;
class TFileFilter;

// One side of a filter: which files to include (tag 0) or to exclude (any
// other tag) by masks, attributes, size and date of change.
class TFFileFilter : public TFrame {
    Q_OBJECT
public:
    explicit TFFileFilter(QWidget* parent = nullptr);

    bool IsInclude() const;

    // Enables the controls each check box governs and sets the group's caption.
    void CheckInterface();
    // Asks for a mask and adds it checked, in sorted place; a mask already in
    // the list (letter case aside), an empty answer or a malformed mask adds nothing.
    void BAddClick();
    // Deletes the selected mask.
    void BRemoveClick();
    // A newly checked date range starts at today on both ends.
    void CBDateClick();

    // This side of the filter from the panel, and the panel from the filter.
    void ToFilter(TFileFilter& filter) const;
    void FromFilter(const TFileFilter& filter);

    QGroupBox* GBFileFilter = nullptr;
    QCheckBox* CBMasks = nullptr;
    QPushButton* BAdd = nullptr;
    QPushButton* BRemove = nullptr;
    TCheckListBox* CLBMasks = nullptr;
    QCheckBox* CBAttr = nullptr;
    QCheckBox* CBReadOnly = nullptr;
    QCheckBox* CBHidden = nullptr;
    QCheckBox* CBSystem = nullptr;
    QCheckBox* CBArchive = nullptr;
    QCheckBox* CBSize = nullptr;
    QCheckBox* CBSize1 = nullptr;
    QSpinBox* SE1 = nullptr;
    QCheckBox* CBSize2 = nullptr;
    QSpinBox* SE2 = nullptr;
    QCheckBox* CBDate = nullptr;
    QDateEdit* DTP1 = nullptr;
    QDateEdit* DTP2 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void FitMaskColumns();
};
