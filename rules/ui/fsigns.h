#pragma once

#include <QDialog>

#include "rules/signbuilder.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The signs dialog: builds one block of the pattern language from radio
// buttons and number boxes and shows it in EText, ready to insert. A text
// page puts it into search or target mode (SetSourceMode) before each showing
// and inserts EText's text after Ok. The choices stay from one showing to the
// next; Ok is disabled, with a hint, while the pattern would read the block
// back as something else than what was chosen.
class TFSigns : public QDialog {
    Q_OBJECT
public:
    explicit TFSigns(QWidget* parent = nullptr);
    ~TFSigns() override;

    // Prepares the dialog for the search side (true) or the target side (false).
    void SetSourceMode(bool search);
    // Rebuilds the enabling, the block text and the hint.
    void CheckInterface();
    void FormShow();

    // What the controls hold.
    TSignChoice Choice() const;

    QLineEdit* EText = nullptr;
    QRadioButton* RBFB = nullptr;
    QRadioButton* RBFE = nullptr;
    QRadioButton* RBLB = nullptr;
    QRadioButton* RBLEW = nullptr;
    QRadioButton* RBLEU = nullptr;
    QRadioButton* RBOB = nullptr;
    QRadioButton* RBCB = nullptr;
    QRadioButton* RBCC = nullptr;
    QRadioButton* RBB = nullptr;
    QRadioButton* RBQ = nullptr;
    QRadioButton* RBML = nullptr;
    QRadioButton* RBMG = nullptr;
    QRadioButton* RBD = nullptr;
    QRadioButton* RBI = nullptr;
    QSpinBox* SEC = nullptr;
    QSpinBox* SECC = nullptr;
    QSpinBox* SEB = nullptr;
    QSpinBox* SEQ = nullptr;
    QSpinBox* SEML = nullptr;
    QSpinBox* SEMG = nullptr;
    QLineEdit* EDigits = nullptr;
    QSpinBox* SEIB = nullptr;
    QSpinBox* SEIS = nullptr;
    QCheckBox* CBSetNumber = nullptr;
    QSpinBox* SEBN = nullptr;
    QLabel* LCount = nullptr;
    QLabel* LStart = nullptr;
    QLabel* LStep = nullptr;
    QLabel* LHint = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The radios in sign order.
    QRadioButton* Radio(int sign) const;
    bool search_ = true;
    bool updating_ = false;
};

// The one signs dialog of the program, created at start-up.
extern TFSigns* FSigns;
