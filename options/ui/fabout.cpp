#include "options/ui/fabout.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "options/contacts.h"
#include "options/version.h"
#include "platform/ui/chooser.h"
#include "services/ui/datamodule.h"

namespace {

// The band at the top: the program's name over a soft gradient.
QPixmap band(int width, int height) {
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    QLinearGradient g(0, 0, width, 0);
    g.setColorAt(0, QColor(40, 70, 130));
    g.setColorAt(1, QColor(120, 160, 210));
    p.fillRect(pixmap.rect(), g);
    QFont f = p.font();
    f.setPixelSize(height / 2);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pixmap.rect().adjusted(12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Brindlewick"));
    return pixmap;
}

QLineEdit* linkEdit(const QString& text, const char* name, QWidget* parent) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    e->setFrame(false);
    e->setReadOnly(true);
    e->setCursor(Qt::PointingHandCursor);
    QFont f = e->font();
    f.setItalic(true);
    e->setFont(f);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Text, pal.color(QPalette::Link));
    pal.setColor(QPalette::Base, Qt::white);
    e->setPalette(pal);
    return e;
}

void translate(QWidget* form) {
    if (!DMDataModule)
        return;
    TFormLangManager& langs = *DMDataModule->LangManager;
    langs.TranslateForm(form, 0);
    // These windows are never registered, so their titles are set here.
    form->setWindowTitle(LangText(form->windowTitle()));
}

} // namespace

bool OpenAddress(const QString& address) {
    const QUrl url(address);
    return IsOpenableUrl(url) && bw::chooser().openUrl(url);
}

TFAbout::TFAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(tr("About"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    Image = new QLabel(this);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setPixmap(band(318, 50));
    Image->setFixedHeight(50);
    Image->setScaledContents(true);
    layout->addWidget(Image);

    auto* panel = new QVBoxLayout;
    panel->setContentsMargins(12, 4, 12, 0);
    VerProductLabel = new QLabel(this);
    VerProductLabel->setObjectName(QStringLiteral("VerProductLabel"));
    QFont bold = VerProductLabel->font();
    bold.setBold(true);
    VerProductLabel->setFont(bold);
    LMaker = new QLabel(QString::fromUtf8(bw::contacts::kMakerLine), this);
    LMaker->setObjectName(QStringLiteral("LMaker"));
    EMail = linkEdit(QString::fromUtf8(bw::contacts::kSupportMail), "EMail", this);
    EPage1 = linkEdit(QString::fromUtf8(bw::contacts::kPage1), "EPage1", this);
    EPage2 = linkEdit(QString::fromUtf8(bw::contacts::kPage2), "EPage2", this);
    for (QWidget* w : std::initializer_list<QWidget*>{VerProductLabel, LMaker, EMail, EPage1, EPage2})
        panel->addWidget(w);
    layout->addLayout(panel);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    MThanks = new QPlainTextEdit(QString::fromUtf8(bw::contacts::kThanks), this);
    MThanks->setObjectName(QStringLiteral("MThanks"));
    MThanks->setReadOnly(true);
    MThanks->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* thanksRow = new QHBoxLayout;
    thanksRow->setContentsMargins(12, 0, 12, 0);
    thanksRow->addWidget(MThanks);
    layout->addLayout(thanksRow, 1);

    BBOk = new QPushButton(tr("Ok"), this);
    BBOk->setObjectName(QStringLiteral("BBOk"));
    BBOk->setDefault(true);
    connect(BBOk, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BBOk);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    for (QLineEdit* e : {EMail, EPage1, EPage2})
        e->installEventFilter(this);
    resize(318, 294);

    // FormCreate
    VerProductLabel->setText(AppVersion);
    translate(this);
    if (DMDataModule) {
        const QString thanks = DMDataModule->LangManager->GetText(QStringLiteral("szThanks"));
        if (!thanks.isEmpty())
            MThanks->setPlainText(thanks);
    }
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == EMail) {
            EMailDblClick();
            return true;
        }
        if (watched == EPage1 || watched == EPage2) {
            EPageDblClick(static_cast<QLineEdit*>(watched));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFAbout::EMailDblClick() { OpenAddress(MailLink(QString::fromUtf8(bw::contacts::kSupportMail), AppVersion)); }

void TFAbout::EPageDblClick(QLineEdit* edit) { OpenAddress(edit->text()); }

TFDonateToAuthor::TFDonateToAuthor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FDonateToAuthor"));
    setWindowTitle(tr("Support Brindlewick"));
    auto* layout = new QVBoxLayout(this);
    MDonateNotes = new QPlainTextEdit(this);
    MDonateNotes->setObjectName(QStringLiteral("MDonateNotes"));
    MDonateNotes->setReadOnly(true);
    MDonateNotes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(MDonateNotes, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    BPay = new QPushButton(tr("OK"), this);
    BPay->setObjectName(QStringLiteral("BPay"));
    BPay->setDefault(true);
    Button2 = new QPushButton(tr("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(BPay, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    bottom->addWidget(BPay);
    bottom->addWidget(Button2);
    layout->addLayout(bottom);
    resize(332, 266);

    // FormCreate
    translate(this);
    if (DMDataModule)
        MDonateNotes->setPlainText(DMDataModule->LangManager->GetText(QStringLiteral("szDonateNote")));
}

int ShowAbout(QWidget* parent) {
    TFAbout dialog(parent);
    return dialog.exec();
}

int ShowDonateToAuthor(QWidget* parent) {
    TFDonateToAuthor dialog(parent);
    return dialog.exec();
}
