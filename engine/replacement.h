#pragma once

// The replacement builder's run-wide value. The builder itself is made of
// TAMaskBlockR::BuildText, SaveCounters, RestoreCounters and WriteOutputs and
// TSRManager::BuildTarget and WriteOutputs (engine/replacement.cpp).

#include <cstdint>

// 0-based index of the file now processed in the run's list of files; [QC]
// blocks take the line of that number. Set by the processing run.
extern std::int32_t RunFileIndex;
