#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QCheckBox;

// The about box: the version, the maker and where to reach them.
class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    void EMailDblClick();
    void EPageDblClick(QLineEdit* edit);

    QLabel* Image = nullptr;
    QLabel* VerProductLabel = nullptr;
    QLabel* LMaker = nullptr;
    QLineEdit* EMail = nullptr;
    QLineEdit* EPage1 = nullptr;
    QLineEdit* EPage2 = nullptr;
    QPlainTextEdit* MThanks = nullptr;
    QPushButton* BBOk = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The donation dialog.
class TFDonateToAuthor : public QDialog {
    Q_OBJECT
public:
    explicit TFDonateToAuthor(QWidget* parent = nullptr);

    QPlainTextEdit* MDonateNotes = nullptr;
    QPushButton* BPay = nullptr;
    QPushButton* Button2 = nullptr;
};

// Opens a web or mail address with the desktop's program; anything else is
// never opened. False when nothing was opened.
bool OpenAddress(const QString& address);

// Made, shown modally and freed; the modal result.
int ShowAbout(QWidget* parent = nullptr);
int ShowDonateToAuthor(QWidget* parent = nullptr);
