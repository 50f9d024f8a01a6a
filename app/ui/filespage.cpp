#include "app/ui/filespage.h"

#include <QAction>

#include "files/ui/fpfilemanager.h"
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

void TFilesPage::SetTextFont(const QFont& font, const QColor& color) {
    page_.FVTVFiles->setFont(font);
    QPalette p = page_.FVTVFiles->palette();
    p.setColor(QPalette::Text, color);
    page_.FVTVFiles->setPalette(p);
}
