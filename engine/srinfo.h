#pragma once

#include "engine/richeditoptions.h"

#include <QString>
#include <cstdint>
#include <string>

// What the engine does with each match of a rule.
enum TOnFoundActionType : std::uint8_t {
    ofatDontChange = 0, // only find and count
    ofatDelete = 1,
    ofatReplace = 2,
    ofatInsertBefore = 3,
    ofatInsertAfter = 4,
    ofatWriteToFile = 5,
    ofatRenameFile = 6,
};

constexpr int kLastOnFoundActionType = ofatRenameFile;

// True when value names one of the actions above.
constexpr bool isOnFoundActionType(long long value) {
    return value >= ofatDontChange && value <= kLastOnFoundActionType;
}

// The search half of a rule.
struct TSourceInfo {
    QString ssText;              // search text
    bool sbAS = false;           // the search text is a pattern
    QString ssCLBCP;             // comma text of the code-page names to search in
    bool sbCaseSensitive = false;
    bool sbWholeWords = false;
    bool sbIgnoreMode = false;   // word by word, ignoring the separators between words
    bool sbSaveCP = true;        // save a converted file back in the code page it was read in
    bool sbStopCPChange = true;  // stop trying code pages once one gave matches
    std::int32_t siCharCount = 0; // leading bytes examined by code-page detection, 0 = all

    bool operator==(const TSourceInfo&) const = default;
};

// The target half of a rule.
struct TTargetInfo {
    QString tsText;              // target text
    bool tbAS = false;           // the target text is a pattern
    bool tbConfirmReplace = true;
    bool tbShowHint = true;
    bool tbRepeat = false;       // repeat the pass while it still changes the text
    QString InFolder;            // folder of line files; empty = the program's input folder
    QString OutFolder;           // folder of output files; empty = the program's output folder

    bool operator==(const TTargetInfo&) const = default;
};

// One search/replace rule. Copies are deep (both halves are values).
struct TSRInfo {
    TSourceInfo Source;
    TTargetInfo Target;
    TOnFoundActionType SearchActionType = ofatDontChange;

    bool operator==(const TSRInfo&) const = default;
};

// The engine's action and its run flags.
struct TRERichEditActionMode {
    TOnFoundActionType OnFoundActionType = ofatDontChange;
    bool amAbort = false;   // the pass and the run are to stop
    bool amConvert = false; // cleared at the start of every pass

    void AssignTo(TRERichEditActionMode& dest) const { dest = *this; }
    bool operator==(const TRERichEditActionMode&) const = default;
};

// The one-line text form of a rule: Name=Value items joined by ';', Windows-1251 bytes.
// Characters of the texts that the code page lacks become '?'; a folder with
// such characters raises bw::Error naming it.
std::string RuleToText(const TSRInfo& rule);

// Reads a rule text into an existing rule. Fields the text does not supply, and
// every field after the first unreadable value, keep their values. Reports nothing.
void TextToRule(TSRInfo& rule, const std::string& text);
