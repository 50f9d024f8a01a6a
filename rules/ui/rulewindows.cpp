#include "rules/ui/rulewindows.h"

#include "platform/prompt.h"
#include "services/ui/datamodule.h"

QString RuleWindowText(const TRuleTexts& texts, const char* key) {
    const QString k = QString::fromLatin1(key);
    if (texts)
        return RuleMessage(texts, k);
    if (DMDataModule && DMDataModule->LangManager)
        return RuleMessage([](const QString& key) { return DMDataModule->LangManager->GetText(key); }, k);
    return RuleMessage({}, k);
}

void ShowRuleMessage(const TRuleTexts& texts, const QString& text) {
    bw::prompt().information(RuleWindowText(texts, "szApplicationTitle"), text);
}
