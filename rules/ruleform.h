#pragma once

#include <QString>
#include <functional>
#include <string>

#include "engine/srinfo.h"

// The rule dialog without its widgets: the values its controls hold, how a
// rule fills them and is filled from them, and what OK checks. The dialog
// copies its controls into a TRuleForm and back.

struct TRuleForm {
    // Search page and its options frame.
    QString SearchText;
    bool SearchAS = false;
    QString CodePages; // comma text of the checked code-page names, in list order
    bool CaseSensitive = false;
    bool WholeWords = false;
    bool IgnoreMode = false;
    bool SaveCP = true;
    bool StopCPChange = true;
    std::int32_t CharCount = 10000;
    // Target page and its options frame.
    QString TargetText;
    bool TargetAS = false;
    bool ConfirmReplace = true;
    bool ShowHint = true;
    bool Repeat = false;
    QString OutFolder;
    QString InFolder;
    // The action's index; -1 when none is selected.
    int Action = -1;
};

// The controls as a rule fills them.
TRuleForm RuleToForm(const TSRInfo& rule);

// Stores the controls into the rule in this order: both texts emptied, every
// option copied, the last-rule text taken (so it never holds a text), then the
// two texts set.
void FormToRule(const TRuleForm& form, TSRInfo& rule, std::string& lastRuleText);

// Whether the target page shows for an action index: not for "Don't change"
// and "Delete", but for every other action and when none is selected.
bool ActionShowsTarget(int action);

// What OK decided.
enum class TRuleCheck {
    Accept,          // the dialog closes with OK
    NothingToSearch, // empty search text
    BadCharacter,    // a text or folder holds a character Windows-1251 lacks
    NoCodePage,      // no code page checked
};

// Which field a bad character was found in.
enum class TRuleField { Search, Target, OutFolder, InFolder };

struct TRuleCheckResult {
    TRuleCheck Check = TRuleCheck::Accept;
    TRuleField Field = TRuleField::Search;
    QString Character; // the first character Windows-1251 lacks (a surrogate pair whole)
};

// The folder suffix OK appends to a non-empty folder that lacks it.
inline constexpr char16_t kFolderSuffix = u'/';

// OK's checks in order: an empty search text stops everything; otherwise the
// non-empty folders get the folder suffix, then the texts and folders in use
// must be Windows-1251 (the target side only while the target page shows),
// then some code page must be checked.
TRuleCheckResult CheckRuleForm(TRuleForm& form, bool anyCodePageChecked);

// The first character of text that Windows-1251 lacks; empty when there is none.
QString FirstCharacterOutside1251(const QString& text);

// A rule editor as the rule-list page sees it.
class TRuleEditor {
public:
    virtual ~TRuleEditor() = default;
    // Edits the rule; true when the user confirmed it.
    virtual bool Edit(TSRInfo& rule) = 0;
    // The text form of the last confirmed rule, without its texts.
    virtual std::string NewRuleText() const = 0;
};
