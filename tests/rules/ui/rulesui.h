#pragma once

// What the widget tests of the rule windows share.

#include <deque>
#include <functional>

#include "rules/ruleform.h"
#include "services/ui/formlangmanager.h"
#include "tests/support/languages.h"
#include "tests/support/uitest.h"

namespace bw::test {

// A rule editor answering from a script: each step may change the rule and
// says whether the edit was confirmed; an empty script cancels.
struct ScriptEditor : TRuleEditor {
    std::string last;
    std::deque<std::function<bool(TSRInfo&)>> script;
    int edits = 0;
    bool Edit(TSRInfo& rule) override {
        ++edits;
        if (script.empty())
            return false;
        auto step = script.front();
        script.pop_front();
        return step(rule);
    }
    std::string NewRuleText() const override { return last; }
};

// The shipped languages, with a window registered for translation.
struct ShippedLanguages {
    TFormLangManager lm;
    ShippedLanguages() { useShippedLanguages(lm); }
    std::function<QString(const QString&)> texts() {
        return [this](const QString& key) { return lm.GetText(key); };
    }
};

} // namespace bw::test
