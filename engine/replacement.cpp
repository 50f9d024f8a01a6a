#include "engine/replacement.h"

#include "engine/rerichedit.h"
#include "engine/srmanager.h"
#include "engine/textfiles.h"
#include "platform/cp1251.h"
#include "services/fileroutines.h"
#include "services/langmanager.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

std::int32_t RunFileIndex = 0;

namespace {

// The text a search block matched, as a back-reference gives it.
std::string matchedText(TAMaskBlockS& search, int index) {
    const TMaskBlock& s = search.Blocks[index];
    const auto piece = [&search](std::int64_t from, std::int64_t length) -> std::string {
        if (!search.Owner || length <= 0 || from < 0)
            return {};
        const std::string_view text = search.Owner->SearchedText();
        const auto size = static_cast<std::int64_t>(text.size());
        if (from >= size)
            return {};
        return std::string(text.substr(static_cast<std::size_t>(from),
                                       static_cast<std::size_t>(std::min(length, size - from))));
    };
    switch (s.Kind) {
    case mbkText:
        return s.Text; // as written in the search pattern
    case mbkGap: {
        const std::int64_t end = index + 1 < search.Blocks.Count() ? search.Blocks[index + 1].FoundPos : s.FoundPos;
        return piece(s.FoundPos, end - s.FoundPos);
    }
    case mbkChars:
    case mbkCharRun:
        return piece(s.FoundPos, s.FoundLength);
    default:
        return {};
    }
}

TTextFiles& lineFiles() {
    if (!TextFilesCache)
        throw bw::Error(LangMessage("szLinesOnlyInRun",
                                    "Lines of text files can be taken only while files are processed."));
    return *TextFilesCache;
}

} // namespace

void TAMaskBlockR::BuildText() {
    std::string text;
    std::string collection;
    bool collecting = false;
    TMaskBlockR* opening = nullptr;
    for (int i = 1; i < Blocks.Count(); ++i) {
        TMaskBlockR& block = Block(i);
        if (block.Kind == mbkOutput) {
            if (!block.Text.empty()) {
                collecting = true;
                collection.clear();
                opening = &block;
            } else {
                collecting = false;
                if (opening)
                    opening->Collected = collection;
            }
            continue;
        }
        std::string piece;
        switch (block.Kind) {
        case mbkText:
            piece = block.Text;
            break;
        case mbkCounter:
            piece = std::to_string(block.FoundPos);
            block.FoundPos = static_cast<std::int32_t>(static_cast<std::int64_t>(block.FoundPos) + block.Number2);
            break;
        case mbkBlockRef:
            if (SearchPattern && block.Number2 > 0 && block.Number2 < SearchPattern->Blocks.Count())
                piece = matchedText(*SearchPattern, block.Number2);
            break;
        case mbkLine:
            piece = lineFiles().NextLine(block.FilePath, block.Number2);
            break;
        case mbkLineAt:
            piece = lineFiles().LineAt(block.FilePath, block.Number2);
            break;
        case mbkLineGo:
            piece = lineFiles().AdvanceLine(block.FilePath, block.Number2);
            break;
        case mbkLineOfFile:
            piece = lineFiles().LineAt(block.FilePath, RunFileIndex);
            break;
        default:
            break;
        }
        if (collecting)
            collection += piece;
        text += piece;
    }
    Text = std::move(text);
}

void TAMaskBlockR::SaveCounters() {
    if (TextFilesCache)
        TextFilesCache->SaveCursors();
    for (int i = 1; i < Blocks.Count(); ++i)
        if (Blocks[i].Kind == mbkCounter)
            Blocks[i].SavedCounter = Blocks[i].FoundPos;
}

void TAMaskBlockR::RestoreCounters() {
    if (TextFilesCache)
        TextFilesCache->RestoreCursors();
    for (int i = 1; i < Blocks.Count(); ++i)
        if (Blocks[i].Kind == mbkCounter)
            Blocks[i].FoundPos = Blocks[i].SavedCounter;
}

void TAMaskBlockR::WriteOutputs(TOutputFiles& to) {
    for (int i = 1; i < Blocks.Count(); ++i) {
        const TMaskBlockR& block = Block(i);
        if (block.Kind == mbkOutput && !block.Text.empty())
            to.Add(block.FilePath, block.Collected);
    }
}

void TOutputFiles::Add(const QString& path, std::string_view text) {
    auto it = std::find_if(files_.begin(), files_.end(), [&path](const auto& f) { return f.first == path; });
    if (it == files_.end()) {
        files_.emplace_back(path, std::string());
        it = files_.end() - 1;
    }
    it->second.append(text);
    gathered_ += text.size();
    if (gathered_ >= kFlushSize)
        Flush();
}

void TOutputFiles::Flush() {
    std::vector<std::pair<QString, std::string>> files;
    files.swap(files_);
    gathered_ = 0;
    for (const auto& [path, text] : files) {
        // A missing folder is made first; asking to retry could never help.
        QDir().mkpath(QFileInfo(path).absolutePath());
        // A file the user gave up on is skipped; the next output is still written.
        AppendStringToFile(path, text);
    }
}

void TOutputFiles::Drop() noexcept {
    files_.clear();
    gathered_ = 0;
}

void TSRManager::BuildTarget(int targetIndex, int searchIndex) {
    TAMaskBlockR& target = TargetPatterns[targetIndex];
    target.SearchPattern = &SearchPatterns[searchIndex];
    target.BuildText();
}

void TSRManager::WriteOutputs(int targetIndex) {
    TargetPatterns[targetIndex].WriteOutputs(Outputs);
}
