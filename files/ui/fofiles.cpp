#include "files/ui/fofiles.h"

#include <QGridLayout>
#include <QLabel>

#include "files/filefilter.h"
#include "files/filterpanel.h"
#include "files/ui/ffilefilter.h"

TFOFiles::TFOFiles(QWidget* parent) : TFrame(parent) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(4);
    Label1 = new QLabel(tr("By default, all files are added. Set up your own filter to include/exclude files"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    FInclude = new TFFileFilter(this);
    FInclude->setObjectName(QStringLiteral("FInclude"));
    SetComponentTag(FInclude, 0);
    FExclude = new TFFileFilter(this);
    FExclude->setObjectName(QStringLiteral("FExclude"));
    SetComponentTag(FExclude, 1);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(FInclude, 1, 0);
    layout->addWidget(FExclude, 1, 1);
    layout->setRowStretch(1, 1);
    setTabOrder(FInclude, FExclude);
    CheckInterface();
}

void TFOFiles::CheckInterface() {
    FInclude->CheckInterface();
    FExclude->CheckInterface();
}

void TFOFiles::DropUnusableMasks() {
    for (TFFileFilter* panel : {FInclude, FExclude}) {
        TCheckListBox* list = panel->CLBMasks;
        QString error;
        for (int i = list->count() - 1; i >= 0; --i)
            if (!UsableMask(list->ItemText(i), error))
                delete list->takeItem(i);
    }
}

void TFOFiles::InterfaceToFilter(TFileFilter& filter) {
    DropUnusableMasks();
    CheckInterface();
    // Taken into a copy first, so a mask that does not compile leaves the filter as it was.
    TFileFilter result;
    result.Assign(filter);
    FInclude->ToFilter(result);
    FExclude->ToFilter(result);
    filter.Assign(result);
}

bool TFOFiles::FilterTextToInterface(const QString& text) {
    TFileFilter filter;
    filter.SetText(text);
    FInclude->FromFilter(filter);
    FExclude->FromFilter(filter);
    CheckInterface();
    return filter.Recursive;
}
