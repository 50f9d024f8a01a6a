#include "rules/rulemessages.h"

QString RuleMessage(const TRuleTexts& texts, const QString& key) {
    if (texts) {
        QString text = texts(key);
        if (!text.isEmpty())
            return text;
    }
    struct Entry {
        const char* key;
        const char* text;
    };
    static constexpr Entry table[] = {
        {"szApplicationTitle", "Brindlewick"},
        {"szBadSRList", "The file \"%s\" cannot be read as a rule list; the list is left as it was."},
        {"szLoadSRList", "Load rule list"},
        {"szNoCharInCodePage", "The character \"%s\" (U+%s) in \"%s\" is not in Windows-1251. Remove it or write it another way."},
        {"szNoCodePageSelected", "No code page is selected."},
        {"szNothingToSearch", "There is nothing to search for."},
        {"szProperties", "Properties"},
        {"szReplace", "Replace"},
        {"szReplaceSRList", "The file \"%s\" exists. Replace it?"},
        {"szSaveSRList", "Save rule list"},
        {"szSearch", "Search"},
    };
    for (const Entry& e : table)
        if (key == QLatin1String(e.key))
            return QString::fromUtf8(e.text);
    return {};
}
