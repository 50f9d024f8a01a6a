#include "engine/ui/fprocess.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstring>
#include <exception>
#include <vector>

#include "platform/cp1251.h"
#include "platform/error.h"
#include "platform/guarded.h"
#include "platform/prompt.h"

TFProcess* FProcess = nullptr;

namespace {

// The text document makes one line break of CR LF and of a lone CR, so a CR
// byte is shown as a zero-width space, which keeps its own position.
constexpr char16_t kCarriageReturn = u'\u200B';

const QColor kMatchColor(0, 128, 0);

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

class TMHintMemo : public TRERichEdit::THintMemo {
public:
    explicit TMHintMemo(QPlainTextEdit* memo) : memo_(memo) {}
    void SetHint(const std::string& text) override {
        memo_->setPlainText(ProcessViewText(text));
        memo_->document()->setModified(false);
    }
    bool HintModified() const override { return memo_->document()->isModified(); }
    std::string Hint() const override { return ProcessViewBytes(memo_->document()->toRawText()); }

private:
    QPlainTextEdit* memo_;
};

} // namespace

QString ProcessViewText(const std::string& bytes) {
    QString text = bw::decode1251(bytes);
    text.replace(u'\r', QChar(kCarriageReturn));
    return text;
}

std::string ProcessViewBytes(const QString& text) {
    QString plain = text;
    for (QChar& c : plain) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
        else if (c == QChar(kCarriageReturn))
            c = u'\r';
    }
    return bw::encode1251(plain);
}

namespace {

// A text up to this size whose lines are all at most kLongLine long is shown whole.
constexpr std::size_t kWholeText = 256 * 1024;
constexpr std::size_t kLongLine = 8 * 1024;
// Bytes shown on either side of a match in a longer text, and of them at
// most kNear of the match's own line.
constexpr std::size_t kContext = 8 * 1024;
constexpr std::size_t kNear = 1024;

bool hasLongLine(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        if (stop - start > kLongLine) return true;
        start = stop + 1;
    }
    return false;
}

} // namespace

std::pair<std::size_t, std::size_t> ProcessExcerpt(const std::string& text, int at, int length) {
    const std::size_t size = text.size();
    if (size <= kWholeText && !hasLongLine(text)) return {0, size};
    const char* data = text.data();
    const std::size_t matchStart = std::min(static_cast<std::size_t>(std::max(at, 0)), size);
    const std::size_t matchEnd = std::min(matchStart + static_cast<std::size_t>(std::max(length, 0)), size);

    // Before the match: whole lines that start within the context; of the
    // match's own line no more than kNear.
    const std::size_t lo = matchStart > kContext ? matchStart - kContext : 0;
    std::size_t from;
    const auto* before = static_cast<const char*>(memrchr(data + lo, '\n', matchStart - lo));
    const std::size_t lineStart = before ? static_cast<std::size_t>(before - data) + 1 : 0;
    if (!before && lo > 0) {
        from = matchStart - kNear;
    } else if (matchStart - lineStart > kNear) {
        from = matchStart - kNear;
    } else if (lo == 0) {
        from = 0;
    } else {
        const auto* first = static_cast<const char*>(memchr(data + lo - 1, '\n', lineStart - (lo - 1)));
        from = static_cast<std::size_t>(first - data) + 1;
    }

    // After the match: likewise, whole lines that end within the context.
    const std::size_t hi = size - matchEnd > kContext ? matchEnd + kContext : size;
    std::size_t to;
    const auto* after = static_cast<const char*>(memchr(data + matchEnd, '\n', hi - matchEnd));
    const std::size_t lineEnd = after ? static_cast<std::size_t>(after - data) : size;
    if (!after && hi < size) {
        to = matchEnd + kNear;
    } else if (lineEnd - matchEnd > kNear) {
        to = matchEnd + kNear;
    } else if (hi == size) {
        to = size;
    } else {
        const auto* last = static_cast<const char*>(memrchr(data + lineEnd, '\n', hi - lineEnd));
        to = static_cast<std::size_t>(last - data) + 1;
    }
    return {from, to};
}

TFProcess::TFProcess(TProcessEngine& engine, QWidget* parent)
    : QDialog(parent), controller_(std::make_unique<TProcessController>(engine, *this)) {
    setObjectName(QStringLiteral("FProcess"));
    setWindowTitle(tr("Processing of file"));
    resize(761, 338);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);

    REProcess = new QPlainTextEdit(this);
    REProcess->setObjectName(QStringLiteral("REProcess"));
    REProcess->setLineWrapMode(QPlainTextEdit::NoWrap);
    REProcess->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    REProcess->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    REProcess->setReadOnly(true);
    REProcess->setUndoRedoEnabled(false);
    // The selection stays visible when the text loses the focus.
    QPalette p = REProcess->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    REProcess->setPalette(p);
    layout->addWidget(REProcess, 1);

    GBRT = new QGroupBox(tr("Replace with"), this);
    GBRT->setObjectName(QStringLiteral("GBRT"));
    GBRT->setFixedHeight(83);
    auto* gbLayout = new QVBoxLayout(GBRT);
    gbLayout->setContentsMargins(3, 3, 3, 3);
    MHint = new QPlainTextEdit(GBRT);
    MHint->setObjectName(QStringLiteral("MHint"));
    MHint->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    gbLayout->addWidget(MHint);
    hint_ = std::make_unique<TMHintMemo>(MHint);
    layout->addWidget(GBRT);

    PSR = new QWidget(this);
    PSR->setObjectName(QStringLiteral("PSR"));
    PSR->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* psrLayout = new QHBoxLayout(PSR);
    psrLayout->setContentsMargins(0, 0, 0, 0);
    LAction = boldLabel(tr("Continue ?"), PSR);
    LAction->setObjectName(QStringLiteral("LAction"));
    psrLayout->addWidget(LAction);
    ATBSR = new QWidget(PSR);
    ATBSR->setObjectName(QStringLiteral("ATBSR"));
    psrLayout->addWidget(ATBSR, 1);
    layout->addWidget(PSR);

    using C = TProcessController;
    AYes = AddAnswer(QStringLiteral("AYes"), tr("Ye&s"), &C::Yes);
    AYesToFile = AddAnswer(QStringLiteral("AYesToFile"), tr("&Yes to File"), &C::YesToFile);
    AYesToAll = AddAnswer(QStringLiteral("AYesToAll"), tr("Y&es to All"), &C::YesToAll);
    ANo = AddAnswer(QStringLiteral("ANo"), tr("&No"), &C::No);
    ANoToFile = AddAnswer(QStringLiteral("ANoToFile"), tr("N&o to File"), &C::NoToFile);
    ANoToAll = AddAnswer(QStringLiteral("ANoToAll"), tr("No &to All"), &C::NoToAll);
    AEdit = AddAnswer(QStringLiteral("AEdit"), tr("E&dit"), &C::Edit);
    AAbort = new QAction(tr("&Abort"), this);
    AAbort->setObjectName(QStringLiteral("AAbort"));
    AAbort->setShortcut(QKeySequence::mnemonic(AAbort->text()));
    connect(AAbort, &QAction::triggered, this, [this] { Guarded([this] { controller_->Abort(); }); });
    ACCurPos = AddAnswer(QStringLiteral("ACCurPos"), tr("&Current position"), &C::ContinueCurPos);
    ACNextFile = AddAnswer(QStringLiteral("ACNextFile"), tr("T&he next file"), &C::ContinueNextFile);
    ACBegFile = AddAnswer(QStringLiteral("ACBegFile"), tr("&Begin of the file"), &C::ContinueBegFile);

    // Two rows of answers, read (and tabbed through) left to right, top to
    // bottom; a null entry is a separator. Two rows keep the window narrow
    // enough for a small screen in every language.
    const std::vector<std::vector<QAction*>> rows = {
        {AYes, AYesToFile, AYesToAll, nullptr, ANo, ANoToFile, ANoToAll},
        {AEdit, nullptr, AAbort, ACCurPos, ACNextFile, ACBegFile},
    };
    auto* answers = new QVBoxLayout(ATBSR);
    answers->setContentsMargins(0, 0, 0, 0);
    answers->setSpacing(2);
    for (const auto& row : rows) {
        auto* line = new QHBoxLayout;
        line->setSpacing(2);
        for (QAction* a : row) {
            if (!a) {
                auto* separator = new QFrame(ATBSR);
                separator->setFrameShape(QFrame::VLine);
                separator->setFrameShadow(QFrame::Sunken);
                line->addWidget(separator);
                continue;
            }
            auto* button = new QToolButton(ATBSR);
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setDefaultAction(a);
            line->addWidget(button);
            // Also while the window is hidden (a language is chosen).
            connect(a, &QAction::changed, this, &TFProcess::FitAnswers);
        }
        line->addStretch(1);
        answers->addLayout(line);
    }

    PS = new QWidget(this);
    PS->setObjectName(QStringLiteral("PS"));
    PS->setFixedHeight(38);
    auto* psLayout = new QHBoxLayout(PS);
    psLayout->setContentsMargins(0, 0, 0, 0);
    LCP = boldLabel(tr("Codepage"), PS);
    LCP->setObjectName(QStringLiteral("LCP"));
    psLayout->addWidget(LCP);
    CBCP = new QComboBox(PS);
    CBCP->setObjectName(QStringLiteral("CBCP"));
    CBCP->setEditable(false);
    psLayout->addWidget(CBCP);
    psLayout->addStretch(1);
    BOk = new QPushButton(tr("O&k"), PS);
    BOk->setObjectName(QStringLiteral("BOk"));
    BCancel = new QPushButton(tr("Cance&l"), PS);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    psLayout->addWidget(BOk);
    psLayout->addWidget(BCancel);
    layout->addWidget(PS);
    PS->hide();

    connect(BOk, &QPushButton::clicked, this, [this] { Guarded([this] { controller_->OkCancel(true); }); });
    connect(BCancel, &QPushButton::clicked, this, [this] { Guarded([this] { controller_->OkCancel(false); }); });
    connect(CBCP, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_ || !isVisible()) return;
        Guarded([this] { controller_->CodePageChange(); });
    });

    // Never smaller than 580 wide, nor than what the parts shown in the
    // current mode need: the minimum follows the layout as parts show and hide.
    REProcess->setMinimumSize(580 - 2 * 3, 40);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    // The window sees the keys before its controls do.
    for (QWidget* w : {static_cast<QWidget*>(REProcess), static_cast<QWidget*>(MHint), static_cast<QWidget*>(CBCP),
                       static_cast<QWidget*>(BOk), static_cast<QWidget*>(BCancel), ATBSR, PSR})
        w->installEventFilter(this);
    FitAnswers();
}

// Width of a tool button of the bar that shows the widest of the captions.
static int AnswerWidth(const QToolButton& button, const QStringList& captions) {
    QToolButton probe;
    probe.setToolButtonStyle(button.toolButtonStyle());
    probe.setAutoRaise(button.autoRaise());
    probe.setFont(button.font());
    QAction caption;
    probe.setDefaultAction(&caption);
    int width = 0;
    for (const QString& text : captions) {
        caption.setText(text);
        width = std::max(width, probe.sizeHint().width());
    }
    return width;
}

// Every answer keeps one place on the bar in every mode: each button is as
// wide as the widest caption it can carry (Edit carries two), the question
// before the bar as wide as its widest question, and a mode greys what it
// does not offer instead of hiding it. So no answer moves under the pointer
// when a mode or a caption changes.
void TFProcess::FitAnswers() {
    bool refitted = false;
    for (QAction* a : {AYes, AYesToFile, AYesToAll, ANo, ANoToFile, ANoToAll, AEdit, AAbort, ACCurPos, ACNextFile,
                       ACBegFile}) {
        QToolButton* button = AnswerButton(a);
        if (!button) continue;
        QStringList captions{a->text()};
        if (a == AEdit) captions << controller_->Text(QStringLiteral("szEdit")) << controller_->Text(QStringLiteral("szUnEdit"));
        const QString fitted = captions.join(u'\n');
        if (button->property("fittedCaptions").toString() == fitted) continue;
        button->setProperty("fittedCaptions", fitted);
        const int width = AnswerWidth(*button, captions);
        if (button->minimumWidth() != width || button->maximumWidth() != width) {
            button->setFixedWidth(width);
            refitted = true;
        }
    }
    const QFontMetrics metrics(LAction->font());
    int question = 0;
    for (const QString& text : {LAction->text(), controller_->Text(QStringLiteral("szContinueQ")),
                                controller_->Text(QStringLiteral("szReplaceQ"))})
        question = std::max(question, metrics.horizontalAdvance(text));
    question += 2 * LAction->margin() + 2 * metrics.averageCharWidth();
    if (LAction->minimumWidth() != question || LAction->maximumWidth() != question) {
        LAction->setFixedWidth(question);
        refitted = true;
    }
    // The window's minimum size follows at once, also while it is hidden
    // (Qt lays out a hidden window only when it is shown).
    if (refitted && layout()) {
        for (QLayout* l : {ATBSR->layout(), PSR->layout(), layout()}) {
            l->invalidate();
            l->activate();
        }
    }
}

QToolButton* TFProcess::AnswerButton(const QAction* answer) const {
    for (QToolButton* button : ATBSR->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        if (button->defaultAction() == answer) return button;
    return nullptr;
}

TFProcess::~TFProcess() {
    if (FProcess == this) FProcess = nullptr;
}

QAction* TFProcess::AddAnswer(const QString& name, const QString& text, void (TProcessController::*action)()) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    a->setShortcut(QKeySequence::mnemonic(text));
    connect(a, &QAction::triggered, this, [this, action] { Guarded([this, action] { (controller_.get()->*action)(); }); });
    return a;
}

template <typename F>
void TFProcess::Guarded(F&& f) {
    bw::runGuarded(windowTitle(), std::forward<F>(f));
}

void TFProcess::FillCodePages(TProcessCodePages* pages) {
    controller_->CodePages = pages;
    filling_ = true;
    CBCP->clear();
    if (pages) {
        for (const auto& item : pages->Items()) CBCP->addItem(item.name, item.number);
        CBCP->setCurrentIndex(pages->DefaultItem());
    }
    filling_ = false;
}

void TFProcess::SetDefaultFont(const QFont& font, const QColor& color) {
    REProcess->setFont(font);
    QPalette p = REProcess->palette();
    p.setColor(QPalette::Text, color);
    REProcess->setPalette(p);
}

// ---- keys

std::optional<TProcessController::Key> TFProcess::AnswerKey(const QKeyEvent* event) {
    using K = TProcessController::Key;
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return K::Enter;
    case Qt::Key_Plus:
        if (keypad) return K::Add;
        break;
    case Qt::Key_Minus:
        if (keypad) return K::Subtract;
        break;
    case Qt::Key_Delete:
        return K::Delete;
    }
    return std::nullopt;
}

bool TFProcess::HandleKey(QKeyEvent* event) {
    const std::optional<TProcessController::Key> key = AnswerKey(event);
    if (!key) return false;
    const Qt::KeyboardModifiers m = event->modifiers();
    bool consumed = false;
    Guarded([&] {
        consumed = controller_->KeyDown(*key, m & Qt::ControlModifier, m & Qt::ShiftModifier, m & Qt::AltModifier);
    });
    return consumed;
}

bool TFProcess::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (AnswerKey(key) && controller_->AnswersKeys()) {
            // The window acts on an answer key here, once. A key it passes on
            // goes to this control alone: left to climb, an ignored key would
            // reach the window's own handler and act a second time.
            if (!HandleKey(key)) watched->event(event);
            return true;
        }
    }
    // A caption changed (a language, the Edit caption, the question): the
    // places are fitted again.
    if ((watched == ATBSR || watched == PSR) && event->type() == QEvent::LayoutRequest) FitAnswers();
    return QDialog::eventFilter(watched, event);
}

void TFProcess::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(event)) return;
    QDialog::keyPressEvent(event);
}

void TFProcess::reject() {
    bool close = false;
    Guarded([&] { close = controller_->CloseQuery(mrCancel); });
    if (close) done(mrCancel);
}

// ---- TProcessView

int TFProcess::ShowModal() {
    return exec();
}

void TFProcess::CloseModal(int result) {
    if (isVisible()) done(result);
}

bool TFProcess::IsShown() const {
    return isVisible();
}

void TFProcess::PumpMessages() {
    QCoreApplication::processEvents();
}

QString TFProcess::Caption() const {
    return windowTitle();
}

void TFProcess::SetCaption(const QString& caption) {
    setWindowTitle(caption);
}

void TFProcess::ApplyLayout(const TProcessLayout& l) {
    // What the mode does not offer is greyed, never hidden (see FitAnswers).
    for (QAction* a : {ACCurPos, ACBegFile, ACNextFile}) a->setEnabled(l.continueActions);
    for (QAction* a : {AYes, AYesToFile, AYesToAll, AAbort}) a->setEnabled(l.yesActions);
    for (QAction* a : {ANo, ANoToFile, ANoToAll}) a->setEnabled(l.noActions);
    LAction->setText(l.question);
    PS->setVisible(l.selectPanel);
    PSR->setVisible(!l.selectPanel);
    GBRT->setVisible(l.replaceBox);
    FitAnswers();
}

void TFProcess::SetEditCaption(const QString& caption) {
    AEdit->setText(caption);
    AEdit->setShortcut(QKeySequence::mnemonic(caption));
    FitAnswers();
}

void TFProcess::SetReadOnly(bool on) {
    REProcess->setReadOnly(on);
    REProcess->setUndoRedoEnabled(!on);
}

int TFProcess::ShownChars() const {
    return REProcess->document()->characterCount() - 1;
}

void TFProcess::AddMarks(const TMarkedRanges& ranges) {
    QList<QTextEdit::ExtraSelection> marks = REProcess->extraSelections();
    const int shown = ShownChars();
    const int size = part_ ? static_cast<int>(whole_.size()) : shown;
    for (const auto& [start, length] : ranges) {
        if (length <= 0 || start < 0 || start + length > size)
            continue;
        // Only what lies in the part shown.
        const int first = std::max(start - offset_, 0);
        const int last = std::min(start + length - offset_, shown);
        if (first >= last)
            continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(REProcess->document());
        mark.cursor.setPosition(first);
        mark.cursor.setPosition(last, QTextCursor::KeepAnchor);
        mark.format.setForeground(kMatchColor);
        marks.append(mark);
    }
    REProcess->setExtraSelections(marks);
}

void TFProcess::ShowPart(const std::string& bytes, std::size_t from, std::size_t to) {
    part_ = from > 0 || to < bytes.size();
    if (part_) {
        whole_ = bytes;
        offset_ = static_cast<int>(from);
        partLength_ = static_cast<int>(to - from);
        REProcess->setPlainText(ProcessViewText(bytes.substr(from, to - from)));
    } else {
        whole_.clear();
        offset_ = 0;
        partLength_ = 0;
        REProcess->setPlainText(ProcessViewText(bytes));
    }
    REProcess->setExtraSelections({});
}

void TFProcess::ShowText(const std::string& bytes, int markStart, int markLength) {
    ShowPart(bytes, 0, bytes.size());
    AddMarks({{markStart, markLength}});
    SetSelection(markStart, markLength);
}

void TFProcess::ShowMatch(const std::string& bytes, int at, int length) {
    const auto [from, to] = ProcessExcerpt(bytes, at, length);
    ShowPart(bytes, from, to);
    AddMarks({{at, length}});
    SetSelection(at, length);
}

void TFProcess::ShowMarked(const TMarkedRanges& ranges) { AddMarks(ranges); }

void TFProcess::ClearText() {
    part_ = false;
    whole_.clear();
    offset_ = 0;
    partLength_ = 0;
    REProcess->clear();
    REProcess->setExtraSelections({});
}

std::string TFProcess::ViewText() const {
    std::string shown = ProcessViewBytes(REProcess->document()->toRawText());
    if (!part_) return shown;
    // The window edits only the part it shows; the rest stays as it was.
    std::string text;
    text.reserve(whole_.size() - static_cast<std::size_t>(partLength_) + shown.size());
    text.append(whole_, 0, static_cast<std::size_t>(offset_));
    text += shown;
    text.append(whole_, static_cast<std::size_t>(offset_ + partLength_));
    return text;
}

int TFProcess::SelStart() const {
    return offset_ + REProcess->textCursor().selectionStart();
}

int TFProcess::SelLength() const {
    const QTextCursor c = REProcess->textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TFProcess::SetSelection(int start, int length) {
    const int end = ShownChars();
    QTextCursor c(REProcess->document());
    c.setPosition(std::clamp(start - offset_, 0, end));
    c.setPosition(std::clamp(start + length - offset_, 0, end), QTextCursor::KeepAnchor);
    REProcess->setTextCursor(c);
    REProcess->ensureCursorVisible();
}

void TFProcess::FocusText() {
    REProcess->setFocus();
}

int TFProcess::CodePageNumber() const {
    const QVariant v = CBCP->currentData();
    return v.isValid() ? v.toInt() : TProcessCodePages::NoConversion;
}
