#pragma once

#include "files/filetree.h"
#include "platform/error.h"

#include "tests/support/qtprint.h"

#include <functional>

namespace bw::test {

// The message of the bw::Error that f throws; empty when it throws none.
inline QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

// The tree as one line per node in tree order: two blanks of indent per
// level, the name, then "+" include, "-" exclude, "*" for settings, ">" expanded.
inline QStringList dumpTree(const TFileVTreeView& tree) {
    QStringList out;
    std::vector<std::pair<const TFileNode*, int>> stack;
    for (int i = tree.TopCount() - 1; i >= 0; --i)
        stack.emplace_back(tree.Top(i), 0);
    while (!stack.empty()) {
        auto [n, depth] = stack.back();
        stack.pop_back();
        QString line = QString(depth * 2, QLatin1Char(' ')) + n->Data.Name;
        if (n->Data.StateIndex == tree.IncludeStateIndex)
            line += QLatin1Char('+');
        else if (n->Data.StateIndex == tree.ExcludeStateIndex)
            line += QLatin1Char('-');
        if (!n->Data.Settings.isEmpty())
            line += QLatin1Char('*');
        if (n->Expanded())
            line += QLatin1Char('>');
        out << line;
        for (int i = n->ChildCount() - 1; i >= 0; --i)
            stack.emplace_back(n->Child(i), depth + 1);
    }
    return out;
}

} // namespace bw::test
