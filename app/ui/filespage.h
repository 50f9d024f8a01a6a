#pragma once

#include "app/ui/mainpages.h"

class TFPFileManager;

// The "In Files" page as the main window and the run see it.
class TFilesPage : public TMainFilesPage {
public:
    explicit TFilesPage(TFPFileManager& page);

    QWidget* Page() override;
    bool SRChecked() const override;
    bool ConvertChecked() const override;
    void FocusTree() override;
    void ApplyViewMode() override;
    void SetTextFont(const QFont& font, const QColor& color) override;
    void GetFilesToProcess(QStringList& files) override;
    void RemoveAll() override;

private:
    TFPFileManager& page_;
};
