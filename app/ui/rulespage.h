#pragma once

#include "app/ui/mainpages.h"

class TFEditSRInfo;
class TFPSRManager;

// The rule-list page and the rule dialog as the main window and the run see them.
class TRulesPage : public TMainRulesPage {
public:
    TRulesPage(TFPSRManager& page, TFEditSRInfo& dialog) : page_(page), dialog_(dialog) {}

    QWidget* Page() override;
    int Count() const override;
    bool Checked(int row) const override;
    const TSRInfo& Rule(int row) const override;
    bool HasCheckedRules() override;
    void DeleteAll() override;
    void Clear() override;
    void FocusList() override;
    void SetColumns(const QStringList& captions) override;
    void SetTextFont(const QFont& font, const QColor& color) override;
    bool GetLastRuleText(QString& text) const override;
    void SetLastRuleText(const QString& text) override;
    void SetActionItems(const QStringList& items) override;

private:
    TFPSRManager& page_;
    TFEditSRInfo& dialog_;
};
