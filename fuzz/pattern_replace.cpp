// A rule's search and target patterns are compiled and run over a text in one
// pass (and repeated passes) with no confirmation, for every action.
//
// Input: a flags byte, an action byte, then search, target and text separated
// by zero bytes (the text may hold zero bytes itself).
// Flags: 1 search is a pattern, 2 target is a pattern, 4 match case,
// 8 whole words, 16 ignore mode, 32 repeat.
//
// Checked: compiling raises bw::PatternError or nothing; the pass ends; the
// result is no longer than the text plus everything inserted; a plain
// case-sensitive replace, delete or insert equals the same done naively.

#include "app/rerichrunengine.h"
#include "engine/maskblocks.h"
#include "engine/replacement.h"
#include "engine/rerichedit.h"
#include "engine/textfiles.h"
#include "fuzz/fuzzsupport.h"

#include <QFile>

using namespace bw::fuzz;

namespace {

// Inserted bytes one input may produce before the pass is stopped: a rule may
// legitimately ask for gigabytes, which tells nothing about faults.
constexpr std::size_t kInsertBudget = 1 << 20;

const char kLineFile[] = "lines";

// The text after a naive left-to-right replace-all; count gets the matches.
std::string naive(const std::string& text, const std::string& needle, const std::string& target,
                  TOnFoundActionType action, int& count) {
    count = 0;
    if (needle.empty())
        return text;
    std::string out;
    std::size_t at = 0;
    for (;;) {
        const std::size_t hit = text.find(needle, at);
        if (hit == std::string::npos)
            break;
        out.append(text, at, hit - at);
        if (action == ofatInsertBefore)
            out += target + needle;
        else if (action == ofatInsertAfter)
            out += needle + target;
        else // replace, and delete, which puts the (usually empty) target in place
            out += target;
        at = hit + needle.size();
        ++count;
    }
    out.append(text, at, std::string::npos);
    return out;
}

// Whether every output and line block of the target names a plain file, so
// that whatever the pass writes or reads stays in the scratch folder.
bool staysInScratch(TAMaskBlockR& target) {
    for (int i = 0; i < target.Blocks.Count(); ++i) {
        const TMaskBlock& b = target.Blocks[i];
        if (b.Kind != mbkOutput && b.Kind != mbkLine && b.Kind != mbkLineAt && b.Kind != mbkLineGo &&
            b.Kind != mbkLineOfFile)
            continue;
        if (b.FilePath.isEmpty())
            continue; // the end of an output block, or a line block without a file
        if (!b.FilePath.startsWith(scratchDir()))
            return false;
        const QString name = b.FilePath.mid(scratchDir().size());
        if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1String("..")))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installSilentPrompt();
    QFile lines(scratchDir() + QLatin1String(kLineFile));
    if (lines.open(QIODevice::WriteOnly))
        lines.write("one\ntwo\r\nthree\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const unsigned flags = data[0];
    const auto action = static_cast<TOnFoundActionType>(data[1] % (kLastOnFoundActionType + 1));
    const auto parts = splitParts(bytes(data + 2, size - 2), 3);
    const std::string &search = parts[0], &target = parts[1], &text = parts[2];
    const bool maskedSearch = flags & 1, maskedTarget = flags & 2, matchCase = flags & 4, wholeWord = flags & 8,
               ignoreMode = flags & 16, repeat = flags & 32;

    TRERichEditRunEngine run;
    TRERichEdit& e = run.Engine();
    run.SetOptions(maskedSearch, maskedTarget, ignoreMode);
    run.SetFolders(scratchDir(), scratchDir());
    run.SetSearchOptions(matchCase, wholeWord);
    run.SetAction(action);
    try {
        run.SetSourceText(search);
        if (action != ofatDontChange)
            run.SetTargetText(target);
    } catch (const bw::PatternError&) {
        return 0;
    }
    if (action != ofatDontChange && maskedTarget && !staysInScratch(e.TargetPattern()))
        return -1; // never kept in the corpus
    e.FileName = scratchDir() + QStringLiteral("missing/file.txt");

    TTextFiles lineFiles;
    TextFilesCache = &lineFiles;
    RunFileIndex = 0;

    std::size_t inserted = 0;
    bool budgetHit = false;
    e.OnBeforeReplace = [&](TRERichEdit& s, bool& go) {
        if (inserted + s.TargetResult.size() > kInsertBudget) {
            budgetHit = true;
            go = false;
            s.ActionMode.amAbort = true;
        }
    };
    e.OnAfterReplace = [&](TRERichEdit& s) { inserted += s.TargetResult.size(); };

    run.LoadFromString(text);
    bool lineFileFailed = false;
    try {
        run.ProcessPasses(repeat, [] { return true; });
    } catch (const bw::PatternError&) {
    } catch (const bw::Error&) {
        lineFileFailed = true; // a line file that cannot be read; nothing else may throw
    }
    TextFilesCache = nullptr;
    const std::string& result = e.Text();
    clearScratch({QLatin1String(kLineFile)});

    if (!lineFileFailed)
        BW_FUZZ_CHECK(result.size() <= text.size() + inserted, "result longer than the text and what was inserted");
    if (action == ofatDontChange || action == ofatWriteToFile || action == ofatRenameFile)
        BW_FUZZ_CHECK(result == text, "an action that leaves the text changed it");
    const auto& passes = e.Counters.PassCounters;
    BW_FUZZ_CHECK(passes.PassReplacements <= passes.PassFinds, "more changes than finds");
    if (!lineFileFailed)
        for (const auto& [from, length] : e.MarkedRanges)
            BW_FUZZ_CHECK(from >= 0 && length >= 0 && std::size_t(from) + std::size_t(length) <= result.size(),
                          "a marked range lies outside the text");

    const bool plain = !maskedSearch && !maskedTarget && matchCase && !wholeWord && !ignoreMode && !repeat;
    const bool edits = action == ofatReplace || action == ofatDelete || action == ofatInsertBefore ||
                       action == ofatInsertAfter;
    if (plain && (edits || action == ofatDontChange) && !budgetHit && !lineFileFailed) {
        int count = 0;
        const std::string expected = naive(text, search, target, edits ? action : ofatReplace, count);
        if (edits)
            BW_FUZZ_CHECK(result == expected, "plain replace differs from a naive replace-all");
        BW_FUZZ_CHECK(passes.PassFinds == count, "plain search finds other than a naive count");
    }
    return 0;
}
