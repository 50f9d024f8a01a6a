#pragma once

#include "services/ui/components.h"

class QLabel;
class TFFileFilter;
class TFileFilter;

// The include panel (left) and the exclude panel (right) of a folder's filter.
class TFOFiles : public TFrame {
    Q_OBJECT
public:
    explicit TFOFiles(QWidget* parent = nullptr);

    // Both panels into the filter, after DropUnusableMasks; its other fields
    // are left as they are.
    void InterfaceToFilter(TFileFilter& filter);
    // Shows a folder settings text in both panels and returns its Recursive.
    // A text that does not read raises its error and both panels keep what they showed.
    bool FilterTextToInterface(const QString& text);
    void CheckInterface();
    // Drops from both mask lists the masks the + button would refuse (a
    // control character, a mask that does not compile): the lists come from
    // the settings file, which may hold anything.
    void DropUnusableMasks();

    QLabel* Label1 = nullptr;
    TFFileFilter* FInclude = nullptr;
    TFFileFilter* FExclude = nullptr;
};
