#include "engine/processcontroller.h"

#include <algorithm>
#include <exception>

#include "platform/error.h"
#include "platform/prompt.h"
#include "services/fallbacktext.h"

namespace {

// English texts used until a language gives its own.
constexpr TFallbackText kDefaultTexts[] = {
    {"szContinueQ", "Continue ?"},
    {"szReplaceQ", "Replace ?"},
    {"szEdit", "E&dit"},
    {"szUnEdit", "Stop e&diting"},
    {"szAbortOp", "Abort the operation?"},
    {"szConfirmation", "Confirmation"},
    {"szUndoAllChanges", "Undo all changes?"},
    {"szViewing", "Viewing"},
};

// The name of a file without its folder, whichever separator the path uses.
QString fileNameOnly(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

int clampPos(int pos, std::size_t length) {
    return std::clamp(pos, 0, static_cast<int>(length));
}

} // namespace

TProcessController::TProcessController(TProcessEngine& engine, TProcessView& view)
    : engine_(engine), view_(view) {}

QString TProcessController::Text(const QString& key) const {
    return TextOrFallback(GetText, kDefaultTexts, key);
}

void TProcessController::PushCaption() {
    captionStack_.append(view_.Caption());
}

void TProcessController::PopCaption() {
    if (!captionStack_.isEmpty()) view_.SetCaption(captionStack_.takeLast());
}

void TProcessController::SetMode(TProcessMode m) {
    layout_.continueActions = m == pmEdit;
    layout_.yesActions = m != pmEdit;
    layout_.noActions = m == pmReplace;
    if (layout_.continueActions || layout_.yesActions) layout_.question = Text(QStringLiteral("szContinueQ"));
    if (layout_.noActions) layout_.question = Text(QStringLiteral("szReplaceQ"));
    layout_.selectPanel = m == pmSelect;
    layout_.replaceBox = m == pmReplace;
    view_.ApplyLayout(layout_);
    ProcessModes.Include(m);
}

void TProcessController::PrepareFind() {
    SetMode(pmFind);
    engine_.SetDoSettingNewStartPosition(true);
    TextLoaded();
}

void TProcessController::PrepareReplace() {
    SetMode(pmReplace);
    engine_.SetDoSettingNewStartPosition(true);
    TextLoaded();
}

void TProcessController::PrepareSelect() {
    SetMode(pmSelect);
    SetReadOnlyState(true);
    view_.SetSelection(view_.SelStart(), 0);
    PushCaption();
}

void TProcessController::PrepareView() {
    if (view_.IsShown()) return;
    PushCaption();
    PrepareSelect();
    ProcessModes.Exclude(pmSelect);
    ProcessModes.Include(pmView);
}

void TProcessController::UnprepareView() {
    PopCaption();
    ProcessModes.Exclude(pmView);
}

void TProcessController::CancelView() {
    if (!ProcessModes.Contains(pmView)) return;
    UnprepareView();
    PopCaption();
}

int TProcessController::ShowModal() {
    FormShow();
    const int result = view_.ShowModal();
    FormHide();
    return result;
}

void TProcessController::FormShow() {
    view_.PumpMessages();
    SetReadOnlyState(true);
    if (ProcessModes.Contains(pmSelect) || ProcessModes.Contains(pmView)) {
        CodePageChange();
        return;
    }
    engine_.MarkFound();
    RefreshView();
}

void TProcessController::FormHide() {
    // Edit mode lives inside one showing: whatever closed the window leaves it.
    if (InEditMode()) EditAccept();
    const bool select = ProcessModes.Contains(pmSelect);
    const bool viewing = ProcessModes.Contains(pmView);
    if (!select && !viewing) return;
    if (select) {
        const std::string& text = engine_.Text();
        const int start = clampPos(view_.SelStart(), text.size());
        const int length = clampPos(view_.SelLength(), text.size() - start);
        SelectedText = text.substr(start, length);
    }
    if (viewing) UnprepareView();
    engine_.SetText({});
    engine_.SetModified(false);
    view_.ClearText();
    PopCaption();
}

void TProcessController::RefreshView() {
    const int at = engine_.FoundAt();
    if (at >= 0)
        view_.ShowMatch(engine_.Text(), at, engine_.FoundLength());
    else
        view_.ShowMatch(engine_.Text(), 0, 0);
    view_.ShowMarked(engine_.MarkedRanges());
}

void TProcessController::SetReadOnlyState(bool on) {
    readOnly_ = on;
    view_.SetReadOnly(on);
}

// ---- answers

// The answers are not offered in edit mode: edits are left by continuing from a
// position or by undoing them, never by answering about a match they may have moved.

void TProcessController::Yes() {
    if (!InEditMode()) view_.CloseModal(mrYes);
}

void TProcessController::YesToFile() {
    if (InEditMode()) return;
    ProcessAnswers.Include(ansYesToFile);
    Yes();
}

void TProcessController::YesToAll() {
    if (InEditMode()) return;
    ProcessAnswers.Include(ansYesToAll);
    view_.CloseModal(mrYesToAll);
}

void TProcessController::No() {
    if (!InEditMode()) view_.CloseModal(mrNo);
}

void TProcessController::NoToFile() {
    if (InEditMode()) return;
    ProcessAnswers.Include(ansNoToFile);
    No();
}

void TProcessController::NoToAll() {
    if (InEditMode()) return;
    ProcessAnswers.Include(ansNoToAll);
    view_.CloseModal(mrNoToAll);
}

bool TProcessController::Abort() {
    if (!bw::prompt().yesNo(Text(QStringLiteral("szConfirmation")), Text(QStringLiteral("szAbortOp"))))
        return false;
    engine_.SetAbort();
    view_.CloseModal(mrAbort);
    return true;
}

// ---- edit mode

void TProcessController::Edit() {
    if (InEditMode())
        UnprepareEdit();
    else
        PrepareEdit();
}

void TProcessController::PrepareEdit() {
    // Select and view mode show a text that is never written back.
    if (InEditMode() || ProcessModes.Contains(pmSelect) || ProcessModes.Contains(pmView)) return;
    if (!EnsureBackup()) {
        view_.CloseModal(mrAbort);
        return;
    }
    savedModified_ = engine_.Modified();
    editSnapshot_ = engine_.Text();
    SetReadOnlyState(false);
    SetMode(pmEdit);
    PushCaption();
    if (view_.IsShown()) view_.FocusText();
    view_.SetEditCaption(Text(QStringLiteral("szUnEdit")));
}

void TProcessController::UnprepareEdit() {
    if (!InEditMode()) return;
    if (view_.ViewText() != editSnapshot_) {
        if (!bw::prompt().yesNo(Text(QStringLiteral("szConfirmation")), Text(QStringLiteral("szUndoAllChanges"))))
            return;
        // The engine still holds the text as it was before edit mode.
        engine_.SetModified(savedModified_);
        RefreshView();
    }
    EditAccept();
}

void TProcessController::EditAccept() {
    if (!InEditMode()) return;
    SyncEdits();
    ProcessModes.Exclude(pmEdit);
    if (ProcessModes.Contains(pmFind))
        SetMode(pmFind);
    else if (ProcessModes.Contains(pmReplace))
        SetMode(pmReplace);
    PopCaption();
    view_.SetEditCaption(Text(QStringLiteral("szEdit")));
    SetReadOnlyState(true);
}

// Takes the view's edited text into the engine. An unchanged text keeps the
// modified flag it had before edit mode. Edits are kept only by continuing from
// a chosen position, so the match they may have moved is never changed.
void TProcessController::SyncEdits() {
    std::string edited = view_.ViewText();
    if (edited == editSnapshot_) return;
    engine_.SetText(edited);
    engine_.SetModified(true);
    editSnapshot_ = std::move(edited);
}

// ---- continuing from elsewhere

void TProcessController::Continue() {
    if (InEditMode()) EditAccept();
    if (engine_.ReportOnly())
        Yes();
    else
        No();
}

// The next find starts at pos. A report has already moved the start past its
// match, so only a declined change needs the engine to keep the new start.
void TProcessController::SetStartFrom(int pos) {
    engine_.SetStartPos(clampPos(pos, engine_.Text().size()));
    if (phase_ == Phase::Replace) engine_.SetDoSettingNewStartPosition(false);
    const int at = engine_.FoundAt();
    if (at >= 0)
        repeatGuard_ = {true, at, engine_.FoundLength(), engine_.Text()};
}

void TProcessController::ContinueCurPos() {
    const int caret = view_.SelStart();
    if (InEditMode()) EditAccept();
    SetStartFrom(caret);
    Continue();
}

void TProcessController::ContinueBegFile() {
    if (InEditMode()) EditAccept();
    SetStartFrom(0);
    Continue();
}

void TProcessController::ContinueNextFile() {
    if (InEditMode()) EditAccept();
    SetStartFrom(static_cast<int>(engine_.Text().size()) - 1);
    Continue();
}

bool TProcessController::SkipRepeatedMatch() {
    if (!repeatGuard_.armed) return false;
    const int at = engine_.FoundAt();
    if (at < repeatGuard_.pos) return false;
    repeatGuard_.armed = false;
    if (at == repeatGuard_.pos && engine_.FoundLength() == repeatGuard_.length && engine_.Text() == repeatGuard_.text) {
        engine_.UncountFind();
        return true;
    }
    return false;
}

// ---- deleting the match

void TProcessController::DelSelected() {
    // A text already changed (an edit, an earlier delete) keeps its match:
    // the found place no longer stands for what the text holds there.
    if (InEditMode() || ProcessModes.Contains(pmSelect) || ProcessModes.Contains(pmView) || engine_.Modified()) return;
    const int at = engine_.FoundAt();
    const int length = engine_.FoundLength();
    const std::string& text = engine_.Text();
    if (at < 0 || length <= 0 || static_cast<std::size_t>(at) + length > text.size()) return;
    if (!EnsureBackup()) {
        view_.CloseModal(mrAbort);
        return;
    }
    std::string rest = text;
    rest.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
    engine_.SetText(rest);
    engine_.SetModified(true);
    repeatGuard_.armed = false;
    // The text after the match moved to its place: the next find starts there.
    engine_.SetStartPos(at);
    if (phase_ == Phase::Replace) engine_.SetDoSettingNewStartPosition(false);
    view_.CloseModal(mrNo);
}

// ---- select and view mode

void TProcessController::CodePageChange() {
    QString log;
    std::string text;
    const int number = view_.CodePageNumber();
    try {
        if (CodePages) {
            text = CodePages->Convert(number, CurrentFileText, log);
        } else {
            text = CurrentFileText;
            log = QStringLiteral("Win-1251 -> Win-1251,");
        }
    } catch (const bw::Error& e) {
        bw::prompt().error(QString(), e.message());
        text = CurrentFileText;
        log.clear();
    } catch (const std::exception& e) {
        bw::prompt().error(QString(), QString::fromLocal8Bit(e.what()));
        text = CurrentFileText;
        log.clear();
    }
    engine_.SetText(text);
    engine_.SetModified(false);
    if (log.endsWith(u',')) log.chop(1);
    if (ProcessModes.Contains(pmView))
        view_.SetCaption(Text(QStringLiteral("szViewing")) + u' ' + fileNameOnly(engine_.FileName()) + QStringLiteral(" (") +
                         log + u')');
    view_.ShowText(engine_.Text(), 0, 0);
}

// The text of select and view mode is read-only and never saved from here.
void TProcessController::OkCancel(bool ok) {
    view_.CloseModal(ok ? mrOk : mrCancel);
}

bool TProcessController::CloseQuery(int result) {
    if (ProcessModes.Contains(pmSelect) || ProcessModes.Contains(pmView)) return true;
    if (result != mrCancel) return true;
    // A confirmed abort closes the window by itself.
    Abort();
    return false;
}

bool TProcessController::AnswersKeys() const {
    return (ProcessModes.Contains(pmFind) || ProcessModes.Contains(pmReplace)) && !InEditMode() &&
           !ProcessModes.Contains(pmSelect) && !ProcessModes.Contains(pmView);
}

bool TProcessController::KeyDown(Key key, bool ctrl, bool shift, bool alt) {
    if (!AnswersKeys()) return false;
    const bool plain = !ctrl && !shift && !alt;
    switch (key) {
    case Key::Enter:
    case Key::Add:
        if (plain)
            Yes();
        else if (ctrl && shift)
            YesToAll();
        else if (ctrl)
            YesToFile();
        return true;
    case Key::Subtract:
        if (plain)
            No();
        else if (ctrl && shift)
            NoToAll();
        else if (ctrl)
            NoToFile();
        return false;
    case Key::Delete:
        // The key goes on to the text as well.
        DelSelected();
        return false;
    }
    return false;
}

// ---- engine events

namespace {

// Sets a value for the length of a scope and puts the old one back after it.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& target, T value) : target_(target), saved_(target) { target_ = value; }
    ~ScopedValue() { target_ = saved_; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& target_;
    T saved_;
};

} // namespace

void TProcessController::BeforeReplace(bool& continueAction) {
    const ScopedValue<Phase> phase(phase_, Phase::Replace);

    if (SkipRepeatedMatch()) {
        continueAction = false;
        return;
    }
    bool accepted;
    if (ProcessAnswers.Empty()) {
        const int result = ShowModal();
        view_.PumpMessages();
        accepted = result == mrYes || result == mrYesToAll;
    } else {
        accepted = ProcessAnswers.Contains(ansYesToFile) || ProcessAnswers.Contains(ansYesToAll);
    }
    // Only a change of the text needs a copy of the file first.
    if (accepted && engine_.ActionChangesText() && !EnsureBackup()) {
        accepted = false;
        ProcessAnswers.Include(ansNoToFile);
    }
    if (!accepted) continueAction = false;
}

void TProcessController::AfterFound() {
    const ScopedValue<Phase> phase(phase_, Phase::Found);

    if (SkipRepeatedMatch()) return;
    if (!engine_.ReportOnly()) return;
    if (ProcessAnswers.Contains(ansYesToFile) || ProcessAnswers.Contains(ansYesToAll)) return;
    ShowModal();
    view_.PumpMessages();
}

void TProcessController::AfterLoadFile(const QString&) {
    engine_.ResetPassCounters();
    if (ProcessModes.Contains(pmSelect) || ProcessModes.Contains(pmView)) CodePageChange();
    ProcessAnswers.Exclude(ansYesToFile);
    ProcessAnswers.Exclude(ansNoToFile);
    TextLoaded();
}

void TProcessController::TextLoaded() {
    backedUp_ = false;
    backupFile_.clear();
    backupText_.clear();
    repeatGuard_.armed = false;
}

// A loaded text is copied once, before its first accepted change: a text
// already changed was copied before that change, and the text last copied is
// not copied again.
bool TProcessController::EnsureBackup() {
    if (!MakeBackup) return true;
    if (engine_.Modified()) return true;
    const QString file = engine_.FileName();
    if (backedUp_ && backupFile_ == file) {
        // Asked once per match under a standing yes: only a text that is new
        // since the copy is compared byte for byte.
        const std::uint64_t version = engine_.TextVersion();
        if (version == backupVersion_) return true;
        if (backupText_ == engine_.Text()) {
            backupVersion_ = version;
            return true;
        }
    }
    if (!MakeBackup(file)) return false;
    backedUp_ = true;
    backupFile_ = file;
    backupText_ = engine_.Text();
    backupVersion_ = engine_.TextVersion();
    return true;
}
