#pragma once

#include <QFont>
#include <QColor>
#include <QString>
#include <QStringList>

#include "app/processrun.h"
#include "platform/error.h"

class QIODevice;

class QWidget;

// What the main window needs of the "In Files" page besides what the run
// needs: the page to dock, its two operations and the tree.
class TMainFilesPage : public TRunFiles {
public:
    virtual QWidget* Page() = 0;
    // The search/replace and the conversion operations are checked.
    virtual bool SRChecked() const = 0;
    virtual bool ConvertChecked() const = 0;
    // Called whenever the page changed which operations are checked.
    std::function<void()> OnCheckVisibility;
    virtual void FocusTree() = 0;
    // The file tree has at least one node.
    virtual bool TreeHasNodes() const { return false; }
    // The file tree's view: brief when the page's Brief action is checked.
    virtual void ApplyViewMode() {}
    virtual void SetTextFont(const QFont&, const QColor&) {}
    virtual void ApplyFolderDefaults(const QString&, const QStringList&, const QStringList&) {}
    virtual void Realign() {}
    // The project's file tree block; loading replaces the tree.
    virtual void SaveTreeToStream(QIODevice&) { throw bw::Error(QStringLiteral("The file tree cannot be saved.")); }
    virtual void LoadTreeFromStream(QIODevice&) { throw bw::Error(QStringLiteral("The file tree cannot be read.")); }
    // Dropped items: the files as included files, then the folder dialog's
    // filter becomes the tree's, then each folder is added with it.
    virtual void AddDropped(const QStringList& files, const QStringList& folders) {
        (void)files;
        (void)folders;
    }
};

// What the main window needs of the rule-list page besides what the run needs.
class TMainRulesPage : public TRunRules {
public:
    virtual QWidget* Page() = 0;
    // Removes every rule without asking.
    virtual void Clear() = 0;
    // Focus to the list; the first row is selected when none is.
    virtual void FocusList() = 0;
    virtual void SetColumns(const QStringList&) {}
    virtual void SetTextFont(const QFont&, const QColor&) {}
    // The project's rule-list block; loading replaces the list and its header.
    virtual void SaveToStream(QIODevice&) { throw bw::Error(QStringLiteral("The rule list cannot be saved.")); }
    virtual void LoadFromStream(QIODevice&) { throw bw::Error(QStringLiteral("The rule list cannot be read.")); }
    // The last confirmed rule, kept by the rule dialog; false when the page has none.
    virtual bool GetLastRuleText(QString&) const { return false; }
    virtual void SetLastRuleText(const QString&) {}
    // The rule dialog's list of actions.
    virtual void SetActionItems(const QStringList&) {}
};
