#pragma once

#include <QFont>
#include <QColor>
#include <QString>
#include <QStringList>

#include "app/processrun.h"

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
    // The file tree's view: brief when the page's Brief action is checked.
    virtual void ApplyViewMode() {}
    virtual void SetTextFont(const QFont&, const QColor&) {}
    virtual void ApplyFolderDefaults(const QString&, const QStringList&, const QStringList&) {}
    virtual void Realign() {}
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
    // The last confirmed rule, kept by the rule dialog; false when the page has none.
    virtual bool GetLastRuleText(QString&) const { return false; }
    virtual void SetLastRuleText(const QString&) {}
    // The rule dialog's list of actions.
    virtual void SetActionItems(const QStringList&) {}
};
