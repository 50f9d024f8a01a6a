#include "app/ui/pluginspage.h"

#include <QAction>
#include <QListWidget>
#include <QTimer>

#include "app/ui/builtinplugins.h"
#include "services/ui/components.h"
#include "services/ui/settingsmanager.h"

std::vector<TPluginFactory> BuiltInPlugins() {
    return {
        [] { return std::unique_ptr<IPlugin>(new TSimpleChanger); },
        [] { return std::unique_ptr<IPlugin>(new THTMLToText); },
    };
}

TPluginsPage::TPluginsPage(std::vector<TPluginFactory> builtIns, const TControls& controls, QObject* parent)
    : QObject(parent), host_(std::move(builtIns)), c_(controls) {
    TCheckListBox* list = c_.CLBPlugins;
    // Stored checks land only on listed plug-ins.
    SetComponentTag(list, kFixedItemsTag);
    connect(list, &QListWidget::currentRowChanged, this, [this] {
        if (!syncing_)
            CLBPluginsClick();
    });
    connect(list, &QListWidget::itemClicked, this, [this] {
        if (!syncing_)
            CLBPluginsClick();
    });
    // A check changed by the user or by the settings store.
    connect(list, &QListWidget::itemChanged, this, [this] {
        if (!syncing_)
            CLBPluginsClickCheck();
    });
    if (c_.ALinkPlugins)
        connect(c_.ALinkPlugins, &QAction::triggered, this, [this] { ALinkPluginsExecute(); });
    if (c_.AUnlinkPlugins)
        connect(c_.AUnlinkPlugins, &QAction::triggered, this, [this] { AUnlinkPluginsExecute(); });
    if (c_.AApply)
        connect(c_.AApply, &QAction::triggered, this, [this] {
            if (OnApply)
                OnApply();
        });
    // The file tree changes without telling: Apply's state follows at idle.
    idle_ = new QTimer(this);
    idle_->setInterval(200);
    connect(idle_, &QTimer::timeout, this, [this] { AApplyUpdate(); });
    idle_->start();
    AApplyUpdate();
}

TPluginsPage::~TPluginsPage() { host_.Unlink(); }

void TPluginsPage::ShowItems() {
    syncing_ = true;
    TCheckListBox* list = c_.CLBPlugins;
    list->clear();
    for (int i = 0; i < host_.Count(); ++i) {
        list->AddItem(host_.Name(i));
        list->SetChecked(i, host_.Checked(i));
        // The item carries its plug-in, as the list's object.
        list->item(i)->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(host_.Plugin(i))));
    }
    list->setCurrentRow(host_.ItemIndex());
    syncing_ = false;
}

void TPluginsPage::ALinkPluginsExecute() {
    if (Busy())
        return;
    host_.Link();
    ShowItems();
    AApplyUpdate();
}

void TPluginsPage::AUnlinkPluginsExecute() {
    if (host_.Applying())
        return;
    host_.Unlink();
    ShowItems();
    AApplyUpdate();
}

void TPluginsPage::CLBPluginsClick() {
    const int row = c_.CLBPlugins->currentRow();
    host_.SetItemIndex(row < host_.Count() ? row : -1);
    host_.Click(c_.PConfig);
}

void TPluginsPage::CLBPluginsClickCheck() {
    for (int i = 0; i < host_.Count(); ++i)
        host_.SetChecked(i, c_.CLBPlugins->Checked(i));
    AApplyUpdate();
}

void TPluginsPage::AApplyUpdate() {
    if (c_.AApply)
        c_.AApply->setEnabled(!Busy() && host_.CanApply(TreeHasNodes && TreeHasNodes()));
}

void TPluginsPage::AApplyExecute(const TApplyParts& parts) {
    // The checks as the list shows them, whatever changed them last.
    CLBPluginsClickCheck();
    if (Busy() || !host_.AnyChecked())
        return;
    host_.Apply(parts);
    AApplyUpdate();
}
