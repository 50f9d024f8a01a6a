#pragma once

#include "app/report.h"
#include "services/ui/components.h"

class QCheckBox;
class QGroupBox;

// The report options: which lines a run writes into the report. Eight boxes
// in three groups, all checked at start; the settings store keeps them.
class TFOReport : public TFrame {
    Q_OBJECT
public:
    explicit TFOReport(QWidget* parent = nullptr);

    TReportOptions Options() const;

    QGroupBox* GBGeneral = nullptr;
    QGroupBox* GBReplace = nullptr;
    QGroupBox* GBSearch = nullptr;
    QCheckBox* CBSummary = nullptr;
    QCheckBox* CBTErrors = nullptr;
    QCheckBox* CBSErrors = nullptr;
    QCheckBox* CBChanged = nullptr;
    QCheckBox* CBNotChanged = nullptr;
    QCheckBox* CBRNotFound = nullptr;
    QCheckBox* CBSNotFound = nullptr;
    QCheckBox* CBFound = nullptr;
};
