#pragma once

#include <QString>
#include <functional>

// Message texts of the rule-list page and the rule dialog by key.
using TRuleTexts = std::function<QString(const QString& key)>;

// The text of key from texts; when that is unset or empty, the built-in
// English text of the key (empty for keys these windows do not use).
QString RuleMessage(const TRuleTexts& texts, const QString& key);
