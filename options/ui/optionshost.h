#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

// What the options window sets in the program's other windows. The main
// window implements it; without one these parts are left alone.
class TOptionsHost {
public:
    virtual ~TOptionsHost() = default;

    // The text form of the last rule confirmed in the rule dialog.
    virtual QString LastRuleText() const = 0;
    virtual void SetLastRuleText(const QString& text) = 0;
    // First start: the folder dialog's last folder, its include masks (its
    // masks box ticked) and its exclude masks, each list ticked alone.
    virtual void ApplyFolderDefaults(const QString& lastDir, const QStringList& include,
                                     const QStringList& exclude) = 0;
    // The text font of the file tree, both rule texts, the report and the processing window.
    virtual void SetTextFont(const QFont& font, const QColor& color) = 0;
    // Columns 1 to 3 of the rule list.
    virtual void SetRuleListColumns(const QStringList& captions) = 0;
    // Main menu items 0 and 1; item 2 takes the help action's caption.
    virtual void SetMenuTitles(const QStringList& titles) = 0;
    // The rule dialog's list of actions, in the order of the action kinds.
    virtual void SetActionItems(const QStringList& items) = 0;
    virtual void RealignInFiles() = 0;
    // Ends the program at once: no auto-save, nothing written on the way out.
    virtual void EndProgram() = 0;
};
