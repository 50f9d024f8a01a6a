#pragma once

#include <QList>
#include <QString>
#include <string>
#include <vector>

#include "rules/wholerulefile.h"
#include "services/ui/components.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class TRERichEdit;

// The editor of one text of a rule: a frame that the rule dialog embeds twice,
// the search page (role 0) and the target page (role 1). Its toolbar and its
// context menu insert or load text from the clipboard, from a file, from a
// fragment picked in the processing window, from the signs dialog and from the
// text library; its Full Favorites menu saves and loads both texts of the rule.
//
// How an owner (the rule dialog) uses it:
//   - create it with its role (or SetRole), then SetLibraryPath(base) once;
//   - put the options frame into POptions;
//   - SetWholeRuleTexts(&texts) on both pages with one TWholeRuleTexts over the
//     two pages (TPageTexts below does that), so that both pages' Full
//     Favorites act on the same two texts. The dialog's SaveFavorite(path) and
//     LoadFavorite(path) are ::SaveFavorite(path, texts) and
//     ::LoadFavorite(path, texts) (rules/wholerulefile.h);
//   - read and write the rule's text with Text()/SetText() and the pattern
//     toggle with AdditionalSigns()/SetAdditionalSigns().
// The page's actions carry their shortcuts on the page (active while the focus
// is inside it), so the owner needs no shortcut lists of its own;
// GetActionLists gives them for an owner that wants them anyway.
class TFPTextEdit : public TFrame {
    Q_OBJECT
public:
    explicit TFPTextEdit(QWidget* parent = nullptr, int role = 0);
    ~TFPTextEdit() override;

    // The role is the page's tag: 0 search, 1 target.
    int Role() const;
    void SetRole(int role);

    // The rule's text: the lines of SEText joined by CR LF, in Windows-1251.
    // Raises bw::Error naming a character that Windows-1251 lacks.
    std::string Text() const;
    // Shows bytes; CR LF, LF and CR all become line breaks.
    void SetText(const std::string& bytes);

    // The pattern-language toggle (AAddSigns).
    bool AdditionalSigns() const;
    void SetAdditionalSigns(bool on);

    // The page's action lists (ALTextEdit).
    QList<QList<QAction*>> GetActionLists() const;

    // Library folder := base + "Source/" or "Target/" by the role; whole-rule
    // folder := base + "Full/". The program's base is bw::homeDir() + "Favorites/".
    void SetLibraryPath(const QString& base);
    QString LibraryFolder() const { return libraryFolder_; }
    QString WholeRuleFolder() const { return wholeRuleFolder_; }

    // The two texts of the owner that the whole-rule menu saves and loads; not owned.
    void SetWholeRuleTexts(TWholeRuleTexts* texts) { wholeRule_ = texts; }
    TWholeRuleTexts* WholeRuleTexts() const { return wholeRule_; }

    // Controls, named as the rest of the program knows them.
    QToolBar* ATBTextEdit = nullptr;
    QWidget* POptions = nullptr;
    QPlainTextEdit* SEText = nullptr;
    QMenu* PMEdit = nullptr;
    QMenu* PMFavorites = nullptr;
    QMenu* PMFullFavorites = nullptr;

    // ALTextEdit, in list order.
    QAction* AClearText = nullptr;
    QAction* APasteSign = nullptr;
    QAction* APasteFromClipboard = nullptr;
    QAction* APasteFromFile = nullptr;
    QAction* APasteFile = nullptr;
    QAction* ALoadFromClipboard = nullptr;
    QAction* ALoadFromFile = nullptr;
    QAction* ALoadFile = nullptr;
    QAction* ACopyToClipboard = nullptr;
    QAction* AFavorites = nullptr;
    QAction* AFullFavorites = nullptr;
    QAction* AAddSigns = nullptr;
    QAction* AOptions = nullptr;
    QAction* ADInsert = nullptr;
    QAction* ADLoad = nullptr;

    // Handlers. A sender whose tag is 1 replaces the text, any other inserts at the caret.
    void AClearTextExecute();
    void APasteSignExecute();
    void GetFromClipboardExecute(QObject* sender);
    void GetFromFileExecute(QObject* sender);
    void GetFileExecute(QObject* sender);
    void ACopyToClipboardExecute();
    void AFavoritesExecute();
    void AFullFavoritesExecute();
    void EmptyAction() {}
    void AOptionsExecute() {}
    void AOptionsUpdate();

    // Library menus: rebuilt from disk each time they drop down; a folder's
    // sub-menu is read only when it opens.
    void BuildLibraryMenu(const QString& folder, QMenu* menu, bool wholeRule);
    void PMFavoritesPopup(QMenu* menu);
    void LibraryItemClick(QAction* item);
    void AddToLibraryClick(QAction* item);
    void FormCreate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut, int tag, int image);
    QAction* MakeMenuItem(const QString& caption, const QKeySequence& shortcut, int tag, void (TFPTextEdit::*handler)(QObject*));
    void BuildPopupMenu();
    void FillFolderMenu(QMenu* menu, const QString& folder, bool wholeRule);
    // Removes the items from index `from` on; their sub-menus are kept for reuse.
    void DropItems(QMenu* menu, qsizetype from);
    void WatchLibraryMenu(QMenu* menu);
    bool IsWholeRuleItem(const QAction* item) const;
    // Inserts at the caret (replacing the selection), or replaces the whole text when replace.
    void PutText(const QString& text, bool replace);
    void InsertBytes(const std::string& bytes, bool replace);
    template <typename F>
    void Guarded(F&& f);

    // The text with "\n" between lines.
    QString PlainText() const;

    QString libraryBase_;
    QString libraryFolder_;
    QString wholeRuleFolder_;
    TWholeRuleTexts* wholeRule_ = nullptr;
    std::vector<QMenu*> spareMenus_;
};

// The two texts of a rule dialog: its search page and its target page.
class TPageTexts : public TWholeRuleTexts {
public:
    TPageTexts(TFPTextEdit* search, TFPTextEdit* target) : search_(search), target_(target) {}
    TWholeRule GetWholeRule() const override;
    void SetWholeRule(const TWholeRule& rule) override;

private:
    TFPTextEdit* search_;
    TFPTextEdit* target_;
};

// The engine the processing window shows, set by start-up next to FProcess;
// "From file" loads the file's bytes into it. When unset the window fills it
// from CurrentFileText as it is shown.
extern TRERichEdit* FProcessEngine;
