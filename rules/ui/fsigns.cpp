#include "rules/ui/fsigns.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "services/ui/components.h"

TFSigns* FSigns = nullptr;

namespace {

constexpr int kMaxNumber = 2147480000;

QSpinBox* spin(QWidget* parent, const char* name, int low, int high, int value) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(low, high);
    s->setValue(value);
    s->setMinimumWidth(110);
    return s;
}

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption) {
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(QString::fromLatin1(name));
    return r;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

TFSigns::TFSigns(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FSigns"));
    setWindowTitle(tr("Additional Signs"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* top = new QVBoxLayout(this);
    top->addWidget(label(this, "LText", tr("Inserted text")));
    EText = new QLineEdit(this);
    EText->setObjectName(QStringLiteral("EText"));
    EText->setReadOnly(true);
    top->addWidget(EText);

    auto* grid = new QGridLayout();
    top->addLayout(grid);
    int row = 0;
    grid->addWidget(label(this, "LChar", tr("Char:")), row++, 0, 1, 5);
    RBFB = radio(this, "RBFB", tr("&Begin of the file"));
    RBFE = radio(this, "RBFE", tr("&End of the file"));
    RBLB = radio(this, "RBLB", tr("Begin of the &line"));
    RBLEW = radio(this, "RBLEW", tr("&Windows line end"));
    RBLEU = radio(this, "RBLEU", tr("&Unix line end"));
    RBOB = radio(this, "RBOB", tr("&["));
    RBCB = radio(this, "RBCB", tr("&]"));
    for (QRadioButton* r : {RBFB, RBFE, RBLB, RBLEW, RBLEU, RBOB, RBCB})
        grid->addWidget(r, row++, 0, 1, 5);
    RBCC = radio(this, "RBCC", tr("with the co&de"));
    SEC = spin(this, "SEC", 0, 255, 0);
    LCount = label(this, "LCount", tr("count"));
    SECC = spin(this, "SECC", 1, 1000, 1);
    grid->addWidget(RBCC, row, 0);
    grid->addWidget(SEC, row, 1);
    grid->addWidget(LCount, row, 2);
    grid->addWidget(SECC, row++, 3);

    grid->addWidget(label(this, "LSequence", tr("Sequence:")), row++, 0, 1, 5);
    RBB = radio(this, "RBB", tr("Bloc&k"));
    SEB = spin(this, "SEB", 0, kMaxNumber, 0);
    RBQ = radio(this, "RBQ", tr("len&gth ="));
    SEQ = spin(this, "SEQ", 1, kMaxNumber, 1);
    RBML = radio(this, "RBML", tr("lengt&h <"));
    SEML = spin(this, "SEML", 1, kMaxNumber, 1);
    RBMG = radio(this, "RBMG", tr("length &>"));
    SEMG = spin(this, "SEMG", 0, kMaxNumber, 0);
    for (auto [r, s] : {std::pair{RBB, SEB}, {RBQ, SEQ}, {RBML, SEML}, {RBMG, SEMG}}) {
        grid->addWidget(r, row, 0);
        grid->addWidget(s, row++, 1);
    }
    RBD = radio(this, "RBD", tr("o&f chars"));
    EDigits = new QLineEdit(QStringLiteral("1234567890"), this);
    EDigits->setObjectName(QStringLiteral("EDigits"));
    SetComponentTag(EDigits, 1); // kept by the settings store
    grid->addWidget(RBD, row, 0);
    grid->addWidget(EDigits, row++, 1, 1, 3);
    RBI = radio(this, "RBI", tr("Coun&ter:"));
    LStart = label(this, "LStart", tr("Start from"));
    SEIB = spin(this, "SEIB", 0, kMaxNumber, 0);
    LStep = label(this, "LStep", tr("Step"));
    SEIS = spin(this, "SEIS", -kMaxNumber, kMaxNumber, 0);
    grid->addWidget(RBI, row, 0);
    grid->addWidget(LStart, row + 1, 0, Qt::AlignRight);
    grid->addWidget(SEIB, row + 1, 1);
    grid->addWidget(LStep, row + 1, 2);
    grid->addWidget(SEIS, row + 1, 3);
    row += 2;

    CBSetNumber = new QCheckBox(tr("Set to the block that found &number"), this);
    CBSetNumber->setObjectName(QStringLiteral("CBSetNumber"));
    SEBN = spin(this, "SEBN", 0, kMaxNumber, 0);
    grid->addWidget(CBSetNumber, row, 0, 1, 3);
    grid->addWidget(SEBN, row++, 3);

    LHint = new QLabel(this);
    LHint->setObjectName(QStringLiteral("LHint"));
    LHint->setWordWrap(true);
    LHint->setMinimumHeight(LHint->fontMetrics().lineSpacing() * 2);
    top->addWidget(LHint);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    BOk = new QPushButton(tr("&Ok"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setDefault(true);
    BCancel = new QPushButton(tr("&Cancel"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(BOk);
    buttons->addWidget(BCancel);
    top->addLayout(buttons);

    auto* group = new QButtonGroup(this);
    for (int s = 0; s < sgCount; ++s) {
        group->addButton(Radio(s), s);
        connect(Radio(s), &QRadioButton::toggled, this, [this](bool on) {
            if (on) CheckInterface();
        });
    }
    RBFB->setChecked(true);
    for (QSpinBox* s : {SEC, SECC, SEB, SEQ, SEML, SEMG, SEIB, SEIS, SEBN})
        connect(s, &QSpinBox::valueChanged, this, [this] { CheckInterface(); });
    connect(EDigits, &QLineEdit::textChanged, this, [this] { CheckInterface(); });
    connect(CBSetNumber, &QCheckBox::toggled, this, [this] { CheckInterface(); });
    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Reading order for Tab: text, radios with their boxes, option, buttons.
    QWidget* order[] = {EText, RBFB, RBFE, RBLB, RBLEW, RBLEU, RBOB, RBCB, RBCC, SEC, SECC, RBB, SEB, RBQ, SEQ,
                        RBML, SEML, RBMG, SEMG, RBD, EDigits, RBI, SEIB, SEIS, CBSetNumber, SEBN, BOk, BCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    SetSourceMode(true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    if (!FSigns)
        FSigns = this;
}

TFSigns::~TFSigns() {
    if (FSigns == this)
        FSigns = nullptr;
}

QRadioButton* TFSigns::Radio(int sign) const {
    QRadioButton* const radios[sgCount] = {RBFB, RBFE, RBLB, RBLEW, RBLEU, RBOB, RBCB,
                                           RBCC, RBB,  RBQ,  RBML,  RBMG,  RBD,  RBI};
    return sign >= 0 && sign < sgCount ? radios[sign] : nullptr;
}

TSignChoice TFSigns::Choice() const {
    TSignChoice c;
    c.Sign = sgNone;
    for (int s = 0; s < sgCount; ++s)
        if (Radio(s)->isChecked()) {
            c.Sign = s;
            break;
        }
    c.Code = SEC->value();
    c.Repeat = SECC->value();
    c.Block = SEB->value();
    c.Length = SEQ->value();
    c.Less = SEML->value();
    c.More = SEMG->value();
    c.Digits = EDigits->text();
    c.CounterStart = SEIB->value();
    c.CounterStep = SEIS->value();
    c.SetNumber = CBSetNumber->isChecked();
    c.Number = SEBN->value();
    c.Search = search_;
    return c;
}

void TFSigns::SetSourceMode(bool search) {
    TSignChoice c = Choice();
    SetSignSourceMode(c, search);
    updating_ = true;
    search_ = search;
    if (QRadioButton* r = Radio(c.Sign))
        r->setChecked(true);
    CBSetNumber->setChecked(c.SetNumber);
    updating_ = false;
    CheckInterface();
}

void TFSigns::CheckInterface() {
    if (updating_)
        return;
    const TSignChoice c = Choice();
    const TSignEnabling e = SignEnabling(c);
    for (int s = 0; s < sgCount; ++s)
        Radio(s)->setEnabled(e.Signs[static_cast<std::size_t>(s)]);
    SEC->setEnabled(e.CodeBoxes);
    SECC->setEnabled(e.CodeBoxes);
    LCount->setEnabled(e.CodeBoxes);
    SEB->setEnabled(e.BlockBox);
    SEQ->setEnabled(e.LengthBox);
    SEML->setEnabled(e.LessBox);
    SEMG->setEnabled(e.MoreBox);
    SEIB->setEnabled(e.CounterBoxes);
    SEIS->setEnabled(e.CounterBoxes);
    LStart->setEnabled(e.CounterLabels);
    LStep->setEnabled(e.CounterLabels);
    CBSetNumber->setEnabled(e.SetNumber);
    SEBN->setEnabled(e.NumberBox);
    // The character set means nothing on a side that cannot take it.
    EDigits->setEnabled(e.Signs[sgChars]);
    EText->setText(SignBlockText(c));
    const QString problem = SignBlockProblem(c);
    LHint->setText(problem);
    BOk->setEnabled(problem.isEmpty());
    BOk->setToolTip(problem);
}

void TFSigns::FormShow() { CheckInterface(); }

void TFSigns::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}
