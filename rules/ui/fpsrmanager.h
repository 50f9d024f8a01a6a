#pragma once

#include <QIODevice>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "rules/rulemessages.h"
#include "rules/ruleform.h"
#include "rules/srheader.h"
#include "rules/srlist.h"

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class TFPSRManager;

// LVSR: the list of rules. Drags move only the selected row within the list;
// everything it decides is the page's.
class TSRListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TSRListView(TFPSRManager* page);

    // The drag format: the dragged row's index, as text.
    static constexpr char kRowMime[] = "application/x-brindlewick-rule-row";

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    TFPSRManager* page_;
};

// The "Search/Replace" page: the ordered rules of the job, edited one by one
// in the rule dialog and saved and loaded as ".lsr" rule lists. The list model
// is TSRList; LVSR shows it row for row.
class TFPSRManager : public QWidget {
    Q_OBJECT
public:
    explicit TFPSRManager(QWidget* parent = nullptr);
    ~TFPSRManager() override;

    // The dialog that edits a rule; nothing is edited while unset.
    TRuleEditor* Editor = nullptr;
    // Message texts; unset: the language manager's, else built-in English.
    TRuleTexts Texts;

    // Rows as the run reads them.
    int Count() const { return list_.Count(); }
    bool Checked(int row) const { return list_.Checked(row); }
    const TSRInfo& Rule(int row) const { return list_.Rule(row); }
    // True when some row is checked; otherwise says "szNothingToSearch".
    bool HasCheckedRules();
    // Deletes every row (the rules with them).
    void DeleteAll() { AClearExecute(); }

    const TSRList& List() const { return list_; }
    TSRHeader* SRHeader() const { return header_.get(); }

    // One rule-list block at the stream's position (projects). A damaged block
    // leaves the rules read so far and raises bw::StreamReadError.
    void LoadFromStream(QIODevice& stream);
    void SaveToStream(QIODevice& stream) const;

    // Loads a ".lsr" file; a file that cannot be read or is not a rule list
    // leaves list and header as they were and says so. A damaged one loads the
    // rules read before the damage and says so once. True when loaded whole.
    bool LoadFromFile(const QString& path);
    // Saves the list whole into a ".lsr" file; false when it was not saved.
    bool SaveToFile(const QString& path);

    // The selected row, -1 when none.
    int SelectedRow() const;
    void SelectRow(int row);

    // Fills cells 1 to 3 of the row from its rule.
    void UpdateRuleItem(int row);
    // Moves the selected rule one place; nothing without a selection or at the end.
    void MoveSelectedRule(bool up);
    // Drops the selected rule at the row under pos (viewport coordinates), or last.
    void LVSRDragDrop(const QPoint& pos);
    // Sets the search and replace columns to share the list's width.
    void LVSRResize();
    // The hint of the cell under pos (viewport coordinates).
    void LVSRMouseMove(const QPoint& pos, const QPoint& globalPos);
    // Return, Insert and Delete on the list; true when the key was used.
    bool LVSRKeyDown(int key);
    void LVSRDblClick();
    void ALSRManagerUpdate();
    // Column captions in the current language ("szSearch", "szReplace",
    // "szProperties"), for the language change.
    void SetColumnCaptions();

    void AClearExecute();
    void ALoadSRListExecute();
    void ASaveSRListExecute();
    void AAddExecute();
    void ARemoveExecute();
    void AMoveUpExecute() { MoveSelectedRule(true); }
    void AMoveDownExecute() { MoveSelectedRule(false); }
    void AEditExecute() { EditSelected(); }

    // The hint last shown and how many were shown: the list's hint state.
    QString HintText() const { return hintText_; }
    int HintsShown() const { return hintsShown_; }

    // The folder of rule-list files: the home folder's "LSR" (created when missing).
    static QString ListFolder();

    TSRListView* LVSR = nullptr;
    QToolBar* ATBSR = nullptr;
    QMenu* PMSRManager = nullptr;
    QMenu* PMList = nullptr;
    QAction* AList = nullptr;
    QAction* AClear = nullptr;
    QAction* ALoadSRList = nullptr;
    QAction* ASaveSRList = nullptr;
    QAction* AAdd = nullptr;
    QAction* ARemove = nullptr;
    QAction* AMoveUp = nullptr;
    QAction* AMoveDown = nullptr;
    QAction* AEdit = nullptr;
    QAction* AShowHints = nullptr;

private:
    friend class TSRListView;
    void FormCreate();
    void FormDestroy();
    QString Text(const char* key) const;
    // Runs a user action; whatever it throws is shown, never passed on.
    template <typename F>
    void Guarded(F&& f);
    bool EditSelected();
    QTreeWidgetItem* NewItem(int row);
    // Rebuilds every item from the list.
    void FillItems();
    void DeleteRow(int row);
    // Shows rows first to last from the list again (check marks and cells).
    void ShowRows(int first, int last);
    void ShowMessage(const QString& text) const;

    TSRList list_;
    std::unique_ptr<TSRHeader> header_;
    int hintColumn_ = -1;
    int hintRow_ = -1;
    QString hintText_;
    int hintsShown_ = 0;
};

// The one rule-list page of the program, set while it exists.
extern TFPSRManager* FPSRManager;

// A cell's text for a rule text: its first line, at most 200 characters.
QString RuleCellText(const QString& text);
// A hint's text: at most 4,000 characters, then "…".
QString RuleHintText(const QString& text);
