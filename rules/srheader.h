#pragma once

#include <string>
#include <vector>

// The free-text header of a rule list: lines of Windows-1251 bytes. Nothing in
// the program edits it; loading a list replaces it and saving writes it back.
class TSRHeader {
public:
    // Every line followed by CR LF.
    std::string GetText() const;
    // Splits at CR LF, CR or LF; a final line end adds no empty line.
    void SetText(const std::string& text);

    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};
