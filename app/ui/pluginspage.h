#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "app/pluginhost.h"

class QAction;
class QTimer;
class QWidget;
class TCheckListBox;

// The built-in plug-ins in the order the Plugins page lists them:
// "Simple Changer", then "HTML to text".
std::vector<TPluginFactory> BuiltInPlugins();

// The Plugins page's controls over the plug-in host: the check list shows the
// listed plug-ins with their checks, PConfig holds the selected one's panel,
// Apply and Refresh run the host. The check list keeps its items: stored
// checks that name no listed plug-in are ignored.
class TPluginsPage : public QObject {
    Q_OBJECT
public:
    struct TControls {
        TCheckListBox* CLBPlugins = nullptr;
        QWidget* PConfig = nullptr;
        QAction* AApply = nullptr;
        QAction* ALinkPlugins = nullptr;
        QAction* AUnlinkPlugins = nullptr;
    };

    TPluginsPage(std::vector<TPluginFactory> builtIns, const TControls& controls, QObject* parent = nullptr);
    ~TPluginsPage() override;

    TPluginHost& Host() { return host_; }

    // The file tree has a node; Apply waits for one.
    std::function<bool()> TreeHasNodes;
    // The main window is busy with a run: Apply and Refresh do nothing.
    std::function<bool()> WindowBusy;
    // The main window's Apply: gives the host what a run needs.
    std::function<void()> OnApply;

    void ALinkPluginsExecute();
    void AUnlinkPluginsExecute();
    void CLBPluginsClick();
    void CLBPluginsClickCheck();
    void AApplyUpdate();
    // Runs the checked plug-ins with the main window's parts.
    void AApplyExecute(const TApplyParts& parts);

private:
    bool Busy() const { return host_.Applying() || (WindowBusy && WindowBusy()); }
    // The check list as the host has it.
    void ShowItems();

    TPluginHost host_;
    TControls c_;
    QTimer* idle_ = nullptr;
    bool syncing_ = false;
};
