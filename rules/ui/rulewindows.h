#pragma once

#include <QString>

#include "rules/rulemessages.h"

// What the rule-list page and the rule dialog share.

// The text of key: from texts when set, else the language manager's, else
// the built-in English one.
QString RuleWindowText(const TRuleTexts& texts, const char* key);

// A plain message box under the program's title.
void ShowRuleMessage(const TRuleTexts& texts, const QString& text);
