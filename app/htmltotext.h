#pragma once

#include "app/plugin.h"
#include "app/pluginoptions.h"

// HTML pages to plain text, the work of the "HTML to text" plug-in without its panel.

inline constexpr int HtmlToTextOptionCount = 2;
inline constexpr int HtmlPreserveBreaks = 0; // a break tag writes CR LF instead of a space
inline constexpr int HtmlSaveAsTxt = 1;      // the result goes to the file's name + ".txt"
extern const TPluginOption HtmlToTextOptions[HtmlToTextOptionCount];

inline constexpr char HtmlToTextName[] = "HTML to text";
inline constexpr char HtmlToTextIniName[] = "HTML to text.ini";

// Reads the file, converts it and saves the result over it, or under its name
// with ".txt" appended (the page itself then stays as it was). Nothing is
// saved when the page changed after it was read. Writes no report lines but
// the one that says so. False when the file could not be read or the result
// not saved.
bool HtmlToTextProcess(TInfo info, const TPluginSelection& selection);
