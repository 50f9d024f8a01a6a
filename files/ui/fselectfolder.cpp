#include "files/ui/fselectfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include "files/ui/fofiles.h"
#include "platform/diskpath.h"
#include "services/ui/components.h"

TFSelectFolder* FSelectFolder = nullptr;
std::function<int(TFSelectFolder&)> TFSelectFolder::ExecHook;

namespace {

// The form's value of the last folder stands for the user's home folder here.
QString lastDirPath(const QString& text) {
    if (text.isEmpty() || text.compare(QLatin1String("C:\\"), Qt::CaseInsensitive) == 0)
        return QDir::homePath();
    return QDir::cleanPath(bw::diskPath(text));
}

} // namespace

TFSelectFolder::TFSelectFolder(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FSelectFolder"));
    setWindowTitle(tr("Select a folder"));
    setMinimumHeight(402);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    layout->addLayout(top, 1);

    PFolder = new QWidget(this);
    PFolder->setObjectName(QStringLiteral("PFolder"));
    PFolder->setMinimumWidth(200);
    auto* folderLayout = new QVBoxLayout(PFolder);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    DCBP = new QWidget(PFolder);
    DCBP->setObjectName(QStringLiteral("DCBP"));
    auto* dcbpLayout = new QHBoxLayout(DCBP);
    dcbpLayout->setContentsMargins(0, 0, 0, 0);
    ShellComboBox = new QComboBox(DCBP);
    ShellComboBox->setObjectName(QStringLiteral("ShellComboBox"));
    dcbpLayout->addWidget(ShellComboBox);
    folderLayout->addWidget(DCBP);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QStringLiteral("/"));
    ShellTreeView = new QTreeView(PFolder);
    ShellTreeView->setObjectName(QStringLiteral("ShellTreeView"));
    ShellTreeView->setModel(model_);
    ShellTreeView->setHeaderHidden(true);
    for (int c = 1; c < model_->columnCount(); ++c)
        ShellTreeView->hideColumn(c);
    ShellTreeView->setRootIsDecorated(true);
    ShellTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    folderLayout->addWidget(ShellTreeView, 1);

    ELastDir = new QLineEdit(PFolder);
    ELastDir->setObjectName(QStringLiteral("ELastDir"));
    SetComponentTag(ELastDir, 1);
    ELastDir->setText(QStringLiteral("C:\\"));
    ELastDir->hide();
    folderLayout->addWidget(ELastDir);
    top->addWidget(PFolder, 1);

    POFiles = new QWidget(this);
    POFiles->setObjectName(QStringLiteral("POFiles"));
    POFiles->setMinimumWidth(404);
    auto* filesLayout = new QVBoxLayout(POFiles);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    FOFiles1 = new TFOFiles(POFiles);
    FOFiles1->setObjectName(QStringLiteral("FOFiles1"));
    filesLayout->addWidget(FOFiles1);
    top->addWidget(POFiles);

    PBottom = new QWidget(this);
    PBottom->setObjectName(QStringLiteral("PBottom"));
    auto* bottom = new QHBoxLayout(PBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    CBSubFolders = new QCheckBox(tr("Recurse subdirectories"), PBottom);
    CBSubFolders->setObjectName(QStringLiteral("CBSubFolders"));
    BOk = new QPushButton(tr("Ok"), PBottom);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setDefault(true);
    BCancel = new QPushButton(tr("Cancel"), PBottom);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    bottom->addWidget(CBSubFolders);
    bottom->addStretch(1);
    bottom->addWidget(BOk);
    bottom->addWidget(BCancel);
    layout->addWidget(PBottom);

    fillPlaces();
    connect(ShellComboBox, &QComboBox::currentIndexChanged, this, [this] { ShellComboBoxChange(); });
    connect(ShellTreeView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateOk(); });
    connect(BOk, &QPushButton::clicked, this, &TFSelectFolder::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(ShellComboBox, ShellTreeView);
    setTabOrder(ShellTreeView, FOFiles1);
    setTabOrder(FOFiles1, CBSubFolders);
    setTabOrder(CBSubFolders, BOk);
    setTabOrder(BOk, BCancel);
    ShellComboBoxChange();
    updateOk();
    if (!FSelectFolder)
        FSelectFolder = this;
}

TFSelectFolder::~TFSelectFolder() {
    if (FSelectFolder == this)
        FSelectFolder = nullptr;
}

void TFSelectFolder::fillPlaces() {
    QStringList places{QStringLiteral("/"), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !places.contains(volume.rootPath()))
            places << volume.rootPath();
    ShellComboBox->addItems(places);
}

QString TFSelectFolder::TreePath() const {
    const QModelIndex index = ShellTreeView->currentIndex();
    return index.isValid() ? model_->filePath(index) : QString();
}

QString TFSelectFolder::TreeRoot() const { return model_->filePath(ShellTreeView->rootIndex()); }

void TFSelectFolder::SelectTreePath(const QString& path) {
    const QModelIndex index = model_->index(path);
    if (!index.isValid())
        return;
    ShellTreeView->setCurrentIndex(index);
    ShellTreeView->scrollTo(index);
}

void TFSelectFolder::updateOk() { BOk->setEnabled(PFolder->isHidden() || !TreePath().isEmpty()); }

void TFSelectFolder::ShellComboBoxChange() {
    const QString root = ShellComboBox->currentText();
    if (root.isEmpty())
        return;
    ShellTreeView->setRootIndex(model_->index(root));
    updateOk();
}

void TFSelectFolder::FormShow() {
    const QString last = lastDirPath(ELastDir->text());
    if (!PFolder->isHidden() && QFileInfo(last).isDir()) {
        const QString root = QStorageInfo(last).rootPath();
        int at = ShellComboBox->findText(root);
        if (at < 0) {
            ShellComboBox->addItem(root);
            at = ShellComboBox->count() - 1;
        }
        ShellComboBox->setCurrentIndex(at);
        ShellComboBoxChange();
        SelectTreePath(QDir::cleanPath(last));
    }
    FOFiles1->DropUnusableMasks();
    FOFiles1->CheckInterface();
    // The panels' captions depend on the language: they are never clipped.
    POFiles->setMinimumWidth(std::max(404, FOFiles1->minimumSizeHint().width()));
    setMinimumHeight(std::max(402, layout()->minimumSize().height()));
    const int least = POFiles->minimumWidth() + 16;
    if (!PFolder->isHidden()) {
        setMinimumWidth(least + PFolder->minimumWidth());
        setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        setMinimumWidth(least);
        setMaximumWidth(least);
    }
    updateOk();
}

void TFSelectFolder::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TFSelectFolder::BOkClick() {
    if (!PFolder->isHidden()) {
        const QString path = TreePath();
        if (path.isEmpty())
            return;
        ELastDir->setText(path);
    }
    chosen_ = ELastDir->text();
    accept();
}

int TFSelectFolder::run() {
    chosen_.clear();
    FormShow();
    return ExecHook ? ExecHook(*this) : exec();
}

int TFSelectFolder::Execute() {
    PFolder->show();
    return run();
}

int TFSelectFolder::EditSettings(const QString& caption, const QString& path, const QString& settingsText) {
    const QString oldCaption = windowTitle();
    const QSize oldSize = size();
    const QString oldLast = ELastDir->text();
    struct Restore {
        TFSelectFolder* self;
        QString caption;
        QSize size;
        ~Restore() {
            self->PFolder->show();
            self->setWindowTitle(caption);
            self->setMaximumWidth(QWIDGETSIZE_MAX);
            self->resize(size);
            self->FormShow();
        }
    } restore{this, oldCaption, oldSize};

    if (!settingsText.isEmpty())
        CBSubFolders->setChecked(FOFiles1->FilterTextToInterface(settingsText));
    PFolder->hide();
    setWindowTitle(caption);
    ELastDir->setText(path);
    const int result = run();
    if (result != QDialog::Accepted)
        ELastDir->setText(oldLast);
    return result;
}
