#pragma once

#include <QString>
#include <string>

#include "app/plugin.h"
#include "services/filestamp.h"

// Saves text under target, unless the file source, which the text was made
// from, has changed since it was read (stamp): then nothing is saved. A file
// not saved (changed, or the user gave up trying to save) gets a line naming
// it on report, when there is one, and false.
bool SavePluginResult(const QString& source, const TFileStamp& stamp, const QString& target, const std::string& text,
                      IReport* report);
