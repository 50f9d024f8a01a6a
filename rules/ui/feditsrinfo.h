#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "rules/rulemessages.h"
#include "rules/ruleform.h"

class QComboBox;
class QPushButton;
class TFOFind;
class TFOReplace;
class TFPTextEdit;
class TPageTexts;

// The rule dialog: the search page with its options frame, the target page
// with its options frame, the action and OK/Cancel. One instance serves every
// edit; it also keeps the last confirmed rule's options for new rules.
class TFEditSRInfo : public QDialog, public TRuleEditor {
    Q_OBJECT
public:
    explicit TFEditSRInfo(QWidget* parent = nullptr);
    ~TFEditSRInfo() override;

    // The text form of the last confirmed rule, without its texts.
    std::string LastRuleText;
    // Message texts; unset: the language manager's, else built-in English.
    TRuleTexts Texts;

    // Shows the rule modally; stores the controls into it on OK. True on OK.
    bool Edit(TSRInfo& rule) override;
    std::string NewRuleText() const override { return LastRuleText; }

    // Fills the controls from the rule and remembers it; nullptr only forgets
    // the rule and drops code-page items added for names the list lacks.
    void LoadToForm(TSRInfo* rule);
    // Stores the controls into the rule (texts emptied, options copied,
    // LastRuleText taken, texts set).
    void SaveFromForm(TSRInfo& rule);

    // The controls as values; the texts as the pages show them.
    TRuleForm ReadForm() const;

    void FormShow();
    void CBActionChange();
    void BOkClick();
    void PSTResize();
    void PSourceEnter();
    void PTargetEnter();
    // The page the dialog's shortcuts act on: the one last entered.
    TFPTextEdit* ShortcutPage() const { return shortcutPage_; }

    // Whole-rule favourites over the two pages' texts.
    void SaveFavorite(const QString& path);
    void LoadFavorite(const QString& path);

    QWidget* PButtons = nullptr;
    QComboBox* CBAction = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;
    QWidget* PST = nullptr;
    QWidget* PSource = nullptr;
    QWidget* PTarget = nullptr;
    TFPTextEdit* SourcePage = nullptr;
    TFPTextEdit* TargetPage = nullptr;
    TFOFind* FOFind = nullptr;
    TFOReplace* FOReplace = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class FrameKind { Find, Replace };
    TFPTextEdit* CreateTextEditor(QWidget* panel, FrameKind frame, int role);
    void FormCreate();
    void FormDestroy();
    void WriteForm(const TRuleForm& form);
    QString Text(const char* key) const;
    void ShowMessage(const QString& text) const;

    TSRInfo* rule_ = nullptr;
    TFPTextEdit* shortcutPage_ = nullptr;
    std::unique_ptr<TPageTexts> texts_;
};

// The one rule dialog of the program, set while it exists.
extern TFEditSRInfo* FEditSRInfo;
