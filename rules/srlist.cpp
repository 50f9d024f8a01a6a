#include "rules/srlist.h"

#include <algorithm>
#include <stdexcept>

int TSRList::Append(bool checked, std::unique_ptr<TSRInfo> rule) {
    rows_.push_back(Row{checked, std::move(rule)});
    return Count() - 1;
}

void TSRList::Insert(int row, bool checked, std::unique_ptr<TSRInfo> rule) {
    if (row < 0 || row > Count())
        throw std::out_of_range("rule list row");
    rows_.insert(rows_.begin() + row, Row{checked, std::move(rule)});
}

void TSRList::Delete(int row) {
    at(row);
    rows_.erase(rows_.begin() + row);
}

void TSRList::Clear() {
    while (!rows_.empty())
        rows_.pop_back();
}

int TSRList::MoveRule(int row, bool up) {
    if (row < 0 || row >= Count())
        return -1;
    const int other = up ? row - 1 : row + 1;
    if (other < 0 || other >= Count())
        return -1;
    std::swap(at(row), at(other));
    return other;
}

int TSRList::DropRule(int from, int target) {
    if (from < 0 || from >= Count())
        return -1;
    const int to = DropIndex(from, std::clamp(target, 0, Count()));
    if (to < from)
        std::rotate(rows_.begin() + to, rows_.begin() + from, rows_.begin() + from + 1);
    else if (to > from)
        std::rotate(rows_.begin() + from, rows_.begin() + from + 1, rows_.begin() + to + 1);
    return to;
}

int DropIndex(int from, int target) { return target <= from ? target : target - 1; }

int SearchColumnWidth(int listWidth, int firstColumn, int lastColumn) {
    return (listWidth - firstColumn - lastColumn - 4) / 2;
}

int ColumnAtX(const std::vector<int>& widths, int x) {
    int total = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        total += widths[i];
        if (total > x)
            return static_cast<int>(i);
    }
    return -1;
}
