#include "app/ui/filespage.h"

#include <QAction>

#include "files/filetree.h"
#include "files/ui/fofiles.h"
#include "files/ui/fpfilemanager.h"
#include "files/ui/fselectfolder.h"
#include "files/ui/fvtvfiles.h"

TFilesPage::TFilesPage(TFPFileManager& page) : page_(page) {
    QObject::connect(&page_, &TFPFileManager::OperationsChanged, &page_, [this] {
        if (OnCheckVisibility)
            OnCheckVisibility();
    });
}

QWidget* TFilesPage::Page() { return &page_; }
bool TFilesPage::SRChecked() const { return page_.ASR->isChecked(); }
bool TFilesPage::ConvertChecked() const { return page_.AConvert->isChecked(); }
void TFilesPage::FocusTree() { page_.FVTVFiles->setFocus(); }
void TFilesPage::ApplyViewMode() { page_.ApplyViewMode(); }
void TFilesPage::GetFilesToProcess(QStringList& files) { page_.GetFilesToProcess(files); }
void TFilesPage::RemoveAll() { page_.RemoveAll(false); }
bool TFilesPage::TreeHasNodes() const { return !page_.Tree().IsEmpty(); }

void TFilesPage::SetTextFont(const QFont& font, const QColor& color) {
    page_.FVTVFiles->setFont(font);
    QPalette p = page_.FVTVFiles->palette();
    p.setColor(QPalette::Text, color);
    page_.FVTVFiles->setPalette(p);
}

namespace {

// The view and the page's actions follow the tree.
void Refresh(TFPFileManager& page) {
    page.FVTVFiles->SyncFromTree();
    page.ALFileManagerUpdate();
    page.ALFileTreeUpdate();
}

} // namespace

void TFilesPage::SaveTreeToStream(QIODevice& stream) { page_.Tree().SaveToStream(stream); }

void TFilesPage::LoadTreeFromStream(QIODevice& stream) {
    page_.Tree().LoadFromStream(stream);
    Refresh(page_);
}

void TFilesPage::AddDropped(const QStringList& files, const QStringList& folders) {
    TFileVTreeView& tree = page_.Tree();
    tree.AddFileList(files);
    // The folder dialog's panels become the filter of every drop.
    if (FSelectFolder)
        FSelectFolder->FOFiles1->InterfaceToFilter(tree.FileFilter);
    for (const QString& folder : folders)
        tree.AddFolder(folder);
    Refresh(page_);
}
