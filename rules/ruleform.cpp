#include "rules/ruleform.h"

#include "platform/cp1251.h"

TRuleForm RuleToForm(const TSRInfo& rule) {
    const TSourceInfo& s = rule.Source;
    const TTargetInfo& t = rule.Target;
    TRuleForm f;
    f.SearchText = s.ssText;
    f.SearchAS = s.sbAS;
    f.CodePages = s.ssCLBCP;
    f.CaseSensitive = s.sbCaseSensitive;
    f.WholeWords = s.sbWholeWords;
    f.IgnoreMode = s.sbIgnoreMode;
    f.SaveCP = s.sbSaveCP;
    f.StopCPChange = s.sbStopCPChange;
    f.CharCount = s.siCharCount;
    f.TargetText = t.tsText;
    f.TargetAS = t.tbAS;
    f.ConfirmReplace = t.tbConfirmReplace;
    f.ShowHint = t.tbShowHint;
    f.Repeat = t.tbRepeat;
    f.OutFolder = t.OutFolder;
    f.InFolder = t.InFolder;
    f.Action = rule.SearchActionType;
    return f;
}

void FormToRule(const TRuleForm& f, TSRInfo& rule, std::string& lastRuleText) {
    TSourceInfo& s = rule.Source;
    TTargetInfo& t = rule.Target;
    s.ssText.clear();
    t.tsText.clear();

    s.sbAS = f.SearchAS;
    s.ssCLBCP = f.CodePages;
    s.sbCaseSensitive = f.CaseSensitive;
    s.sbWholeWords = f.WholeWords;
    s.sbIgnoreMode = f.IgnoreMode;
    s.sbSaveCP = f.SaveCP;
    s.sbStopCPChange = f.StopCPChange;
    s.siCharCount = f.CharCount;
    t.tbAS = f.TargetAS;
    t.tbConfirmReplace = f.ConfirmReplace;
    t.tbShowHint = f.ShowHint;
    t.tbRepeat = f.Repeat;
    t.OutFolder = f.OutFolder;
    t.InFolder = f.InFolder;
    // No selection keeps the rule's action: the list has no item for "none".
    if (isOnFoundActionType(f.Action))
        rule.SearchActionType = static_cast<TOnFoundActionType>(f.Action);

    lastRuleText = RuleToText(rule);

    s.ssText = f.SearchText;
    t.tsText = f.TargetText;
}

bool ActionShowsTarget(int action) { return action != ofatDontChange && action != ofatDelete; }

QString FirstCharacterOutside1251(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (bw::unicodeToCp1251(c.unicode()) >= 0)
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            return text.mid(i, 2);
        return QString(c);
    }
    return {};
}

TRuleCheckResult CheckRuleForm(TRuleForm& form, bool anyCodePageChecked) {
    TRuleCheckResult r;
    if (form.SearchText.isEmpty()) {
        r.Check = TRuleCheck::NothingToSearch;
        return r;
    }
    for (QString* folder : {&form.OutFolder, &form.InFolder})
        if (!folder->isEmpty() && !folder->endsWith(QChar(kFolderSuffix)))
            folder->append(QChar(kFolderSuffix));

    struct Field {
        TRuleField id;
        const QString* text;
    };
    const bool target = ActionShowsTarget(form.Action);
    for (const Field& f : {Field{TRuleField::Search, &form.SearchText}, Field{TRuleField::Target, &form.TargetText},
                           Field{TRuleField::OutFolder, &form.OutFolder}, Field{TRuleField::InFolder, &form.InFolder}}) {
        if (f.id != TRuleField::Search && !target)
            continue;
        const QString bad = FirstCharacterOutside1251(*f.text);
        if (!bad.isEmpty()) {
            r.Check = TRuleCheck::BadCharacter;
            r.Field = f.id;
            r.Character = bad;
            return r;
        }
    }
    if (!anyCodePageChecked)
        r.Check = TRuleCheck::NoCodePage;
    return r;
}
