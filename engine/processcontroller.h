#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/processstate.h"

// The processing window without its widgets: modes, answers, edit mode,
// continuing from another position, backups and the code page of select and
// view mode. The dialog shows what this decides and forwards the user's
// actions here; tests drive it through a scripted view and a scripted engine.

// What the window needs of the engine that holds the text.
class TProcessEngine {
public:
    virtual ~TProcessEngine() = default;

    virtual const std::string& Text() const = 0;
    // Replaces the whole text; the modified flag is left alone.
    virtual void SetText(const std::string& bytes) = 0;
    virtual bool Modified() const = 0;
    virtual void SetModified(bool on) = 0;
    virtual QString FileName() const = 0;
    // Changes whenever the text does; equal versions mean the same text.
    virtual std::uint64_t TextVersion() const = 0;

    virtual int StartPos() const = 0;
    virtual void SetStartPos(int pos) = 0;
    virtual int FoundAt() const = 0;
    virtual void SetFoundAt(int pos) = 0;
    virtual int FoundLength() const = 0;
    virtual void SetDoSettingNewStartPosition(bool on) = 0;
    // The rule only reports its finds (it changes nothing).
    virtual bool ReportOnly() const = 0;
    // Ends the pass and the run.
    virtual void SetAbort() = 0;
    virtual void MarkFound() = 0;
    // What the current pass marked (earlier matches and their changes).
    virtual TMarkedRanges MarkedRanges() const { return {}; }
    virtual void ResetPassCounters() = 0;
    // Takes back one find of the pass counters.
    virtual void UncountFind() = 0;
    // Whether carrying out the rule's action changes the text (writing to a
    // file and renaming leave it as it is).
    virtual bool ActionChangesText() const { return !ReportOnly(); }
};

// What the window needs of the code pages: the items of its code-page combo
// and the conversion of a file's bytes into the working code page.
class TProcessCodePages {
public:
    struct Item {
        QString name;
        int number; // a conversion row, or NoConversion
    };
    static constexpr int NoConversion = 65535;

    virtual ~TProcessCodePages() = default;
    virtual std::vector<Item> Items() const = 0;
    // Index into Items() of the item selected when the combo is filled.
    virtual int DefaultItem() const = 0;
    // Converts bytes with the given item number. log receives the steps taken,
    // each "source -> target" followed by ",".
    virtual std::string Convert(int number, const std::string& bytes, QString& log) = 0;
};

// What the window shows; decided by the controller, applied by the dialog.
// The answers a mode does not offer keep their places on the bar, greyed.
struct TProcessLayout {
    bool continueActions = false; // ACCurPos, ACBegFile, ACNextFile
    bool yesActions = true;       // AYes, AYesToFile, AYesToAll and AAbort
    bool noActions = false;       // ANo, ANoToFile, ANoToAll
    bool selectPanel = false;     // PS with the code pages, Ok and Cancel
    bool replaceBox = false;      // GBRT with the replacement
    QString question;             // LAction
    bool operator==(const TProcessLayout&) const = default;
};

// The dialog as the controller sees it.
class TProcessView {
public:
    virtual ~TProcessView() = default;

    // Runs the modal showing and returns its modal result.
    virtual int ShowModal() = 0;
    // Ends the modal showing with the result; nothing when not shown.
    virtual void CloseModal(int result) = 0;
    virtual bool IsShown() const = 0;
    virtual void PumpMessages() = 0;

    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    virtual void ApplyLayout(const TProcessLayout& layout) = 0;
    virtual void SetEditCaption(const QString& caption) = 0;
    virtual void SetReadOnly(bool on) = 0;

    // Fills the text view with the bytes, one character per byte, and marks a range.
    virtual void ShowText(const std::string& bytes, int markStart, int markLength) = 0;
    // Shows a match of the bytes, marked and scrolled into view. The view may
    // show only the part of a long text around the match; positions and the
    // text it gives back are still those of the whole text.
    virtual void ShowMatch(const std::string& bytes, int at, int length) { ShowText(bytes, at, length); }
    // Adds the marking colour to more ranges of the text shown.
    virtual void ShowMarked(const TMarkedRanges&) {}
    virtual void ClearText() = 0;
    // The text of the view as bytes (differs from the engine's only in edit mode).
    virtual std::string ViewText() const = 0;
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
    virtual void SetSelection(int start, int length) = 0;
    virtual void FocusText() = 0;

    // Number carried by the selected item of the code-page combo.
    virtual int CodePageNumber() const = 0;
};

class TProcessController {
public:
    enum class Key { Enter, Add, Subtract, Delete };

    TProcessController(TProcessEngine& engine, TProcessView& view);

    // Copies the file before the first accepted change of a loaded text; a
    // false result refuses the change, and every further change of the file
    // for the rule (as No to File does). Unset: no copies.
    std::function<bool(const QString& fileName)> MakeBackup;
    // Interface texts by key; unset or empty: the built-in English text.
    std::function<QString(const QString& key)> GetText;
    // Code pages of select and view mode; unset: the text is shown as it is.
    TProcessCodePages* CodePages = nullptr;

    QString Text(const QString& key) const;

    // Caption stack.
    void PushCaption();
    void PopCaption();
    const QStringList& CaptionStack() const { return captionStack_; }

    void SetMode(TProcessMode m);
    const TProcessLayout& Layout() const { return layout_; }
    bool ReadOnly() const { return readOnly_; }
    bool InEditMode() const { return ProcessModes.Contains(pmEdit); }

    // Prepare actions executed by the run, the text page and the In Files page.
    void PrepareFind();
    void PrepareReplace();
    void PrepareSelect();
    void PrepareView();
    void UnprepareView();
    // Undoes PrepareView when the window is not going to be shown after all.
    void CancelView();

    // Shows the window modally and returns its result (FormShow and FormHide around it).
    int ShowModal();

    // Answers.
    void Yes();
    void YesToFile();
    void YesToAll();
    void No();
    void NoToFile();
    void NoToAll();
    // Asks; true when the user confirmed the abort.
    bool Abort();

    // Edit mode.
    void Edit();
    void PrepareEdit();
    void UnprepareEdit();
    void EditAccept();

    // Continuing from elsewhere.
    void Continue();
    void ContinueCurPos();
    void ContinueBegFile();
    void ContinueNextFile();

    void DelSelected();
    void CodePageChange();
    void OkCancel(bool ok);

    // The window's close button or Escape with the given result: true when it may close.
    bool CloseQuery(int result);
    // A key pressed in the window; true when it is consumed.
    bool KeyDown(Key key, bool ctrl, bool shift, bool alt);
    // True while a match waits for an answer, the only time KeyDown acts.
    bool AnswersKeys() const;

    void FormShow();
    void FormHide();

    // Engine events.
    void BeforeReplace(bool& continueAction);
    void AfterFound();
    void AfterLoadFile(const QString& fileName);

    // Forgets which text was backed up: the next accepted change backs up again.
    void TextLoaded();

private:
    enum class Phase { Idle, Found, Replace };

    bool EnsureBackup();
    bool SkipRepeatedMatch();
    void SetStartFrom(int pos);
    void SyncEdits();
    void SetReadOnlyState(bool on);
    void RefreshView();

    TProcessEngine& engine_;
    TProcessView& view_;
    QStringList captionStack_;
    TProcessLayout layout_;
    bool readOnly_ = true;
    Phase phase_ = Phase::Idle;

    // Edit mode.
    bool savedModified_ = false;
    std::string editSnapshot_;

    // The text last backed up, so that one loaded text is copied once.
    bool backedUp_ = false;
    QString backupFile_;
    std::string backupText_;
    std::uint64_t backupVersion_ = 0;

    // The match shown when the user chose to continue from elsewhere; found
    // again in the same text, it is passed over instead of being reported again.
    struct {
        bool armed = false;
        int pos = 0;
        int length = 0;
        std::string text;
    } repeatGuard_;
};
