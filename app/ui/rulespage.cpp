#include "app/ui/rulespage.h"

#include <QComboBox>
#include <QPlainTextEdit>

#include "platform/cp1251.h"
#include "rules/ui/feditsrinfo.h"
#include "rules/ui/fpsrmanager.h"
#include "rules/ui/fptextedit.h"

QWidget* TRulesPage::Page() { return &page_; }
int TRulesPage::Count() const { return page_.Count(); }
bool TRulesPage::Checked(int row) const { return page_.Checked(row); }
const TSRInfo& TRulesPage::Rule(int row) const { return page_.Rule(row); }
bool TRulesPage::HasCheckedRules() { return page_.HasCheckedRules(); }
void TRulesPage::DeleteAll() { page_.DeleteAll(); }
void TRulesPage::Clear() { page_.AClearExecute(); }

void TRulesPage::FocusList() {
    page_.LVSR->setFocus();
    if (page_.SelectedRow() < 0 && page_.Count() > 0)
        page_.SelectRow(0);
}

void TRulesPage::SetColumns(const QStringList& captions) {
    page_.LVSR->setHeaderLabels(QStringList{QString()} + captions);
}

void TRulesPage::SetTextFont(const QFont& font, const QColor& color) {
    for (TFPTextEdit* text : {dialog_.SourcePage, dialog_.TargetPage}) {
        text->SEText->setFont(font);
        QPalette p = text->SEText->palette();
        p.setColor(QPalette::Text, color);
        text->SEText->setPalette(p);
    }
}

bool TRulesPage::GetLastRuleText(QString& text) const {
    text = bw::decode1251(dialog_.LastRuleText);
    return true;
}

void TRulesPage::SetLastRuleText(const QString& text) { dialog_.LastRuleText = bw::encode1251(text, nullptr); }

void TRulesPage::SetActionItems(const QStringList& items) {
    for (int i = 0; i < items.size() && i < dialog_.CBAction->count(); ++i)
        dialog_.CBAction->setItemText(i, items[i]);
}
