#include "engine/textfiles.h"

#include <QFileInfo>

#include "platform/error.h"
#include "platform/format.h"
#include "services/fileroutines.h"
#include "services/langmanager.h"

TTextFiles* TextFilesCache = nullptr;

namespace {

// (cursor + step) wrapped into 0 .. count-1, without overflow.
qint32 wrapped(qint64 cursor, qint64 step, qint64 count) {
    qint64 r = (cursor + step) % count;
    if (r < 0)
        r += count;
    return static_cast<qint32>(r);
}

QString loadFailure(const QString& path) {
    const QFileInfo fi(path);
    QString why;
    if (path.isEmpty() || !fi.exists())
        why = LangMessage("szNoSuchFile", "the file does not exist");
    else if (fi.isDir())
        why = LangMessage("szIsAFolder", "it is a folder");
    else
        why = LangMessage("szFileUnreadable", "the file cannot be read");
    return bw::format(LangMessage("szLineFileUnreadable", "Can't read the line file \"%s\": %s."), {path, why});
}

} // namespace

void TTagStringList::SetText(std::string_view text) {
    Lines.clear();
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            Lines.emplace_back(text.substr(i));
            break;
        }
        Lines.emplace_back(text.substr(i, end - i));
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n')
            ++i;
    }
}

int TTextFiles::IndexOf(const QString& path) {
    const auto found = Index.constFind(path);
    if (found != Index.constEnd())
        return *found;
    const auto failed = Failures.constFind(path);
    if (failed != Failures.constEnd())
        throw bw::Error(*failed);

    std::string text;
    if (!LoadFileToString(path, text)) {
        const QString message = loadFailure(path);
        Failures.insert(path, message);
        throw bw::Error(message);
    }
    auto list = std::make_unique<TTagStringList>();
    list->SetText(text);
    const int index = static_cast<int>(Keys.size());
    Lists.push_back(std::move(list));
    Keys.append(path);
    Index.insert(path, index);
    return index;
}

std::string TTextFiles::NextLine(const QString& path, int step) {
    TTagStringList& l = listOf(path);
    if (l.Lines.empty())
        return std::string();
    const qint64 count = l.Count();
    const qint32 at = wrapped(l.LineIndex, 0, count);
    l.LineIndex = wrapped(at, step, count);
    return l.Lines[static_cast<std::size_t>(at)];
}

std::string TTextFiles::AdvanceLine(const QString& path, int step) {
    TTagStringList& l = listOf(path);
    if (l.Lines.empty())
        return std::string();
    l.LineIndex = wrapped(l.LineIndex, step, l.Count());
    return l.Lines[static_cast<std::size_t>(l.LineIndex)];
}

std::string TTextFiles::LineAt(const QString& path, int n) {
    TTagStringList& l = listOf(path);
    if (n < 0 || n >= l.Count())
        return std::string();
    return l.Lines[static_cast<std::size_t>(n)];
}

void TTextFiles::SaveCursors() {
    for (auto& l : Lists)
        l->SavedIndex = l->LineIndex;
}

void TTextFiles::RestoreCursors() {
    for (auto& l : Lists)
        l->LineIndex = l->SavedIndex;
}
