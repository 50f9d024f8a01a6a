#include "engine/processstate.h"

TProcessModes ProcessModes;
TProcessAnswers ProcessAnswers;
std::string SelectedText;
std::string CurrentFileText;
