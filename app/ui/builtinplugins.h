#pragma once

#include <QPointer>
#include <QStringList>

#include "app/plugin.h"
#include "app/pluginoptions.h"

class TCheckListBox;

// A plug-in whose configuration panel is a check list of its options, the
// checked ones kept in the plug-in's own INI file. The panel's items are the
// options' texts as they stand (not translated). Destroying the plug-in hides
// its panel, storing the selection.
class TCheckListPlugin : public IPlugin {
public:
    ~TCheckListPlugin() override;

    QString GetName() const override { return name_; }
    // Checks the stored options on the panel; checks already set stay set.
    bool ShowConfig(QWidget* parent) override;
    // Writes the panel's checks when they differ from the stored ones.
    bool Prepare() override;
    bool HideConfig() override;

    // The panel while it is shown; null otherwise.
    TCheckListBox* Panel() const { return panel_; }
    const PluginIniFile& Ini() const { return ini_; }

protected:
    TCheckListPlugin(const QString& name, const TPluginOption* options, int count, const QString& iniName);

    // The panel's checks while it exists, else the stored selection.
    TPluginSelection InForce() const;

private:
    TPluginSelection PanelChecks() const;

    QString name_;
    QStringList items_;
    PluginIniFile ini_;
    QPointer<TCheckListBox> panel_; // a child of the host's panel, which may go first
};

// "Simple Changer": line ends, trimming and empty lines.
class TSimpleChanger final : public TCheckListPlugin {
public:
    TSimpleChanger();
    bool Process(TInfo info) override;
};

// "HTML to text": pages to plain text, over the page or beside it.
class THTMLToText final : public TCheckListPlugin {
public:
    THTMLToText();
    bool Process(TInfo info) override;
};
