#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The text library of the text pages: plain text files kept in folders below
// the library base, one set of folders per page role, and the whole-rule
// folder both roles share. Texts are Windows-1251 bytes.

// The library folder of a role (0 search, 1 target) and the whole-rule folder.
struct TLibraryFolders {
    QString Library;
    QString WholeRule;
};
// base + "Source/" or "Target/" by the role, and base + "Full/"; a separator
// is added to base when it has none.
TLibraryFolders LibraryFolderNames(const QString& base, int role);

// Lines of a library file: split at CR LF, CR or LF; a final line end adds no line.
std::vector<std::string> SplitLibraryLines(std::string_view bytes);
// A page's text from a library file: its lines joined by CR LF, none at the end.
std::string LibraryFileToText(std::string_view bytes);
// A library file from a page's text: each of its lines followed by CR LF.
std::string TextToLibraryFile(std::string_view text);

// One entry of a library menu.
struct TLibraryEntry {
    QString Name; // as on disk
    QString Path; // full path; a folder's ends with a separator
    bool Folder = false;
};
// What a library menu lists for a folder: the files matching "*.txt" without
// regard to case (hidden ones too; only regular files and links to them), each
// sorted without regard to case, then the folders not starting with ".", sorted
// the same way. A missing or unreadable folder lists nothing.
std::vector<TLibraryEntry> ListLibraryFolder(const QString& folder);

// Interface texts of the text pages by message key: the language's text when
// a source is set and knows the key, otherwise the built-in English text.
QString RulesText(const QString& key);
void SetRulesTextSource(std::function<QString(const QString&)> source);

// The bytes of a text in Windows-1251. A character the code page lacks raises
// bw::Error naming it; nothing is ever written as "?".
std::string EncodeStrict1251(const QString& text);

// Reads a library file as a page's text. Raises
// bw::Error naming the file when it cannot be read.
std::string ReadLibraryText(const QString& path);
// Writes a page's text as a library file through SaveStringToFile, so a failed
// write leaves the old file whole. Raises bw::Error naming the file on failure.
void WriteLibraryText(const QString& path, std::string_view text);

// The bytes of a file as inserted into a text: up to its first NUL byte.
std::string UpToNul(std::string bytes);
