#pragma once

#include <string>

#include "app/plugin.h"
#include "app/pluginoptions.h"

// Line ends, trimming and empty lines, the work of the "Simple Changer"
// plug-in without its panel.

// The six options; the index is the option's identifier, its place in the
// panel and its number in the stored selection.
inline constexpr int SimpleChangerOptionCount = 6;
extern const TPluginOption SimpleChangerOperations[SimpleChangerOptionCount];

inline constexpr char SimpleChangerName[] = "Simple Changer";
inline constexpr char SimpleChangerIniName[] = "SimpleChanger.ini";

// The text after option index's clean-up; an index outside 0 to 5 changes nothing.
std::string ApplySimpleChangerOption(int index, std::string text);

// Reads the file, applies each selected option in index order (each followed
// by its report line), then saves the file, also when nothing changed, but
// not when another program changed it after it was read (a line says so).
// False when the file could not be read (no line written) or not saved.
bool SimpleChangerProcess(const TInfo& info, const TPluginSelection& selection);
