#pragma once

#include <string>

// Whole-text clean-ups of the built-in plug-ins. Each works on bytes in one
// pass, over the text it is given where the result is not longer (pass it
// with std::move to spare a copy); a CR followed by LF, a lone CR and a lone
// LF are line breaks.

// Every line break written as CR LF (toLf false) or as a single LF (toLf true).
std::string ConvertLineBreaks(std::string text, bool toLf);

// Removes spaces (byte 32 only; tabs stay). Mode 0, left: the spaces at the
// start of the text and after every LF (a lone CR does not start a line
// here). Mode 1, right: every run of spaces directly before a CR or LF; a run
// that ends the text stays. Any other mode returns the text unchanged.
enum TTrimMode { tmLeft = 0, tmRight = 1 };
std::string TrimLines(std::string text, int mode);

// Drops each CR once more than maxRun CRs, and each LF once more than maxRun
// LFs, have come since the last other byte; the text starts as if after a
// line break. maxRun 2 leaves at most one empty line in a row, maxRun 1 none.
std::string SqueezeLineBreaks(std::string text, int maxRun);

// HTML page to plain text in the working code page. Tags are dropped, except
// that "br" and tags whose second character is "h" (three characters or more)
// write a line break (CR LF with preserveBreaks, else a space); text between a
// tag starting with "script" and "/script" is skipped; "&name;" (letters,
// digits or "#", 1 to 10 of them) becomes one character; bytes below 32 are
// spaces and runs of spaces fold into one.
std::string HtmlToText(std::string text, bool preserveBreaks);
