#pragma once

// Options of the engine that decide how a rule's texts are read.
struct TRERichEditOptions {
    bool soMaskedSource = false; // the search text is a pattern
    bool soMaskedTarget = false; // the target text is a pattern
    bool soIgnoreMode = false;   // literal searches ignore separators
};
