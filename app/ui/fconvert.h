#pragma once

#include "app/processrun.h"
#include "services/ui/components.h"

class QLabel;
class QListWidget;
class QPushButton;

// Tops of the three scheme buttons, stacked 3 pixels apart around the middle
// of a panel of the given height.
struct TButtonTops {
    int Add, Remove, RemoveAll;
};
TButtonTops SchemeButtonTops(int panelHeight, int buttonHeight);

// The conversion page: the user builds a conversion scheme, step by step,
// from a source and a target code page. The scheme itself is a
// TConversionScheme; the scheme list shows it item for item.
class TFConvert : public TFrame, public TRunScheme {
    Q_OBJECT
public:
    explicit TFConvert(QWidget* parent = nullptr);

    // Fills the source list on the first entry only.
    void FrameEnter();
    // Lists the targets of the selected source and selects the first.
    void LBCP1Click();
    // Adds the step of the selected target (the add button, double-clicks).
    void AddToSchemeExecute();
    void RemoveFromSchemeExecute();
    void ClearSchemeExecute();
    void PButtonsResize();

    // Appends a step for a conversion row and selects it; a row outside the table is refused.
    void AddStep(int row);
    // Converts one file by the scheme and adds its report line.
    bool ConvertFile(const QString& fileName, TReport& report, const TextSource& texts);
    // The project's scheme block; loading appends.
    void SaveScheme(QIODevice& stream) const { scheme_.SaveScheme(stream); }
    void LoadScheme(QIODevice& stream);

    // TRunScheme
    TConversionScheme& Scheme() override;
    bool AddSelectedStep() override;

    QWidget* PLeft = nullptr;
    QLabel* LInitial = nullptr;
    QLabel* LFinal = nullptr;
    QListWidget* LBCP1 = nullptr;
    QLabel* Image1 = nullptr;
    QListWidget* LBCP2 = nullptr;
    QWidget* PButtons = nullptr;
    QPushButton* BAdd = nullptr;
    QPushButton* BRemove = nullptr;
    QPushButton* BRemoveAll = nullptr;
    QLabel* LScheme = nullptr;
    QListWidget* LBScheme = nullptr;

    // Shows the scheme in the list again, with its selection (after a run changed it).
    void ShowScheme();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The code pages' names follow the interface's language.
    void changeEvent(QEvent* event) override;

private:

    TConversionScheme scheme_;
};
