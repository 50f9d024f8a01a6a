#include "rules/rulemessages.h"

#include "services/fallbacktext.h"

QString RuleMessage(const TRuleTexts& texts, const QString& key) {
    static constexpr TFallbackText table[] = {
        {"szApplicationTitle", "Brindlewick"},
        {"szBadSRList", "The file \"%s\" cannot be read as a rule list; the list is left as it was."},
        {"szDamagedSRList", "The file \"%s\" is damaged; the rules read before the damage are loaded."},
        {"szLoadSRList", "Load rule list"},
        {"szNoCharInCodePage", "The character \"%s\" (U+%s) in \"%s\" is not in Windows-1251. Remove it or write it another way."},
        {"szNoCodePageSelected", "No code page is selected."},
        {"szNothingToSearch", "There is nothing to search for."},
        {"szProperties", "Properties"},
        {"szReplace", "Replace"},
        {"szReplaceSRList", "The file \"%s\" exists. Replace it?"},
        {"szSaveSRList", "Save rule list"},
        {"szSearch", "Search"},
        {"szSRListFilter", "Brindlewick search/replace list (*.lsr *.LSR)"},
    };
    return TextOrFallback(texts, table, key);
}
