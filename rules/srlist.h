#pragma once

#include <memory>
#include <vector>

#include "engine/srinfo.h"

// The ordered rules of a job. Each row is a check mark (only checked rules
// run) and the rule it owns; deleting the row frees the rule.
class TSRList {
public:
    int Count() const { return static_cast<int>(rows_.size()); }
    bool Checked(int row) const { return at(row).Checked; }
    void SetChecked(int row, bool checked) { at(row).Checked = checked; }
    const TSRInfo& Rule(int row) const { return *at(row).Rule; }
    TSRInfo& Rule(int row) { return *at(row).Rule; }

    // Returns the new row's index.
    int Append(bool checked, std::unique_ptr<TSRInfo> rule);
    void Insert(int row, bool checked, std::unique_ptr<TSRInfo> rule);
    void Delete(int row);
    // Deletes every row, last first.
    void Clear();
    void Reserve(int rows) { rows_.reserve(static_cast<std::size_t>(rows > 0 ? rows : 0)); }

    // Swaps the rule at row with the one above or below it, check mark and
    // all. Returns the rule's new index, or -1 when it cannot move (no such
    // row, or already first or last).
    int MoveRule(int row, bool up);
    // Moves the rule at `from` to land just before the row at `target`, or last
    // when target is Count(). Returns its new index, or -1 for a bad `from`.
    int DropRule(int from, int target);

private:
    struct Row {
        bool Checked = true;
        std::unique_ptr<TSRInfo> Rule;
    };
    Row& at(int row) { return rows_.at(static_cast<std::size_t>(row)); }
    const Row& at(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

    std::vector<Row> rows_;
};

// Where a drop puts a rule: t is the row under the drop point or the row
// count; the rule ends at t when t is at or above it, else at t - 1.
int DropIndex(int from, int target);

// The width of the search and the replace column when the list is `listWidth`
// wide and the first and last column keep theirs: (list - first - last - 4) / 2,
// truncated toward zero. May be 0 or below; the caller decides what that shows.
int SearchColumnWidth(int listWidth, int firstColumn, int lastColumn);

// The column under x: the first whose running total of widths, from column 0,
// exceeds x; -1 when none does.
int ColumnAtX(const std::vector<int>& widths, int x);
