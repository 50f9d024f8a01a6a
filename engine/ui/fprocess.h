#pragma once

#include <QDialog>
#include <QFont>
#include <QColor>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/processcontroller.h"
#include "engine/rerichedit.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

// The processing window: shows the engine's text, asks about each match of a
// run, and shows a file for the text page (select mode) and the In Files page
// (view mode). All decisions are the controller's; this class lays out the
// widgets, shows what the controller decides and forwards the user's actions.
class TFProcess : public QDialog, public TProcessView {
    Q_OBJECT

public:
    explicit TFProcess(TProcessEngine& engine, QWidget* parent = nullptr);
    ~TFProcess() override;

    TProcessController& Controller() { return *controller_; }
    // MHint as the engine's hint memo, for rules that show their replacement.
    TRERichEdit::THintMemo* HintMemo() { return hint_.get(); }

    // Fills the code-page combo once; the default item is selected.
    void FillCodePages(TProcessCodePages* pages);
    // The default character format of the text (ASetDefaultFont): the font of
    // the options' example, with its colour; the modified flag is untouched.
    void SetDefaultFont(const QFont& font, const QColor& color);

    // Forwarded to the controller, under the names callers know.
    void PushCaption() { controller_->PushCaption(); }
    void PopCaption() { controller_->PopCaption(); }
    void SetMode(TProcessMode m) { controller_->SetMode(m); }
    void PrepareFind() { controller_->PrepareFind(); }
    void PrepareReplace() { controller_->PrepareReplace(); }
    void PrepareSelectExecute() { controller_->PrepareSelect(); }
    void PrepareView() { controller_->PrepareView(); }
    int ShowProcessModal() { return controller_->ShowModal(); }

    // Widgets, named as the rest of the program knows them.
    QPlainTextEdit* REProcess = nullptr;
    QGroupBox* GBRT = nullptr;
    QPlainTextEdit* MHint = nullptr;
    QWidget* PSR = nullptr;
    QLabel* LAction = nullptr;
    // The answers, in two rows of fixed places: a button per action.
    QWidget* ATBSR = nullptr;
    QWidget* PS = nullptr;
    QLabel* LCP = nullptr;
    QComboBox* CBCP = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;

    QAction* AYes = nullptr;
    QAction* AYesToFile = nullptr;
    QAction* AYesToAll = nullptr;
    QAction* ANo = nullptr;
    QAction* ANoToFile = nullptr;
    QAction* ANoToAll = nullptr;
    QAction* AEdit = nullptr;
    QAction* AAbort = nullptr;
    QAction* ACCurPos = nullptr;
    QAction* ACNextFile = nullptr;
    QAction* ACBegFile = nullptr;
    // The button of an answer on ATBSR.
    QToolButton* AnswerButton(const QAction* answer) const;

    // TProcessView
    int ShowModal() override;
    void CloseModal(int result) override;
    bool IsShown() const override;
    void PumpMessages() override;
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    void ApplyLayout(const TProcessLayout& layout) override;
    void SetEditCaption(const QString& caption) override;
    void SetReadOnly(bool on) override;
    void ShowText(const std::string& bytes, int markStart, int markLength) override;
    void ShowMatch(const std::string& bytes, int at, int length) override;
    void ShowMarked(const TMarkedRanges& ranges) override;
    void ClearText() override;
    std::string ViewText() const override;
    int SelStart() const override;
    int SelLength() const override;
    void SetSelection(int start, int length) override;
    void FocusText() override;
    int CodePageNumber() const override;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAction* AddAnswer(const QString& name, const QString& text, void (TProcessController::*action)());
    void FitAnswers();
    // Adds the marking colour to the ranges that lie within the text shown.
    void AddMarks(const TMarkedRanges& ranges);
    // The controller's name for an answer key, or nothing for any other key.
    static std::optional<TProcessController::Key> AnswerKey(const QKeyEvent* event);
    bool HandleKey(QKeyEvent* event);
    // Runs a user action; whatever it throws is shown, never passed on.
    template <typename F>
    void Guarded(F&& f);

    // Shows bytes [from, to) of the whole text (all of it: from 0 to its size).
    void ShowPart(const std::string& bytes, std::size_t from, std::size_t to);
    // Positions of the text view are positions of the whole text less offset_.
    int ShownChars() const;

    std::unique_ptr<TProcessController> controller_;
    // When only a part of the text is shown: the whole text, where the part
    // starts and how long it was when shown (edits in the window change only
    // the part).
    bool part_ = false;
    std::string whole_;
    int offset_ = 0;
    int partLength_ = 0;
    std::unique_ptr<TRERichEdit::THintMemo> hint_;
    bool filling_ = false;
};

// The one processing window of the program, created at start-up.
extern TFProcess* FProcess;

// Text of the view for engine bytes and back: one character per byte, so that
// positions in the view are positions in the text, line ends included.
QString ProcessViewText(const std::string& bytes);
std::string ProcessViewBytes(const QString& text);

// The bytes [first, second) of the text that the window shows around a match
// at [at, at + length): the whole text when it is short and has no long line;
// otherwise some kilobytes on either side of the match, cut at line starts
// where a line starts near enough. A line of megabytes is laid out slowly
// and not drawn right, so the window never shows one whole.
std::pair<std::size_t, std::size_t> ProcessExcerpt(const std::string& text, int at, int length);
