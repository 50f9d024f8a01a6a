#pragma once

#include <QIODevice>
#include <string>
#include <vector>

class TSRHeader;
class TSRList;

// The rule-list block: the whole of a ".lsr" file and a section of a project
// file. Little-endian throughout:
//   header  length-prefixed string (TSRHeader::GetText)
//   count   Int32
//   count times: enabled UInt8 (1 checked, 0 not), rule text length-prefixed
//               (RuleToText)
// No magic, no version, nothing after the last rule.

struct TRuleListEntry {
    bool Enabled = true;
    std::string Text;
};

struct TRuleListBlock {
    std::string Header;
    std::vector<TRuleListEntry> Rules;
    // The data broke off before the count of rules was read whole (or, in a
    // file, bytes follow the last rule): Rules holds the rules read before.
    bool Damaged = false;
};

// Writes the header and the list as one block at the stream's position.
// Raises bw::Error when the stream refuses the bytes.
void SaveRuleListBlock(QIODevice& stream, const TSRHeader& header, const TSRList& list);

// Reads one block at the stream's position into memory; an enabled byte other
// than 0 is checked and a count of 0 or below is an empty list. Rules are read
// one by one: the first that does not fit the data (a string longer than what
// is left, the end of the data) ends the list, and the block comes back
// Damaged with the rules before it. A header that does not read raises
// bw::StreamReadError.
TRuleListBlock ReadRuleListBlock(QIODevice& stream);

// Makes the block the list: header set, every row deleted, one checked or
// unchecked row per entry whose rule takes what TextToRule reads of its text.
void ApplyRuleListBlock(TRuleListBlock&& block, TSRHeader& header, TSRList& list);

// Reads one block at the stream's position straight into the list, the way
// projects load their section: the header is set and the list emptied once the
// header is read, then rules are appended as they are read. A damaged block
// leaves the rules read so far and raises bw::StreamReadError.
void LoadRuleListBlock(QIODevice& stream, TSRHeader& header, TSRList& list);

// A ".lsr" file's bytes as a block, read whole: a block that breaks off, or
// one that bytes follow, comes back Damaged with the rules read before the
// damage. Raises bw::StreamReadError when not even the header reads.
TRuleListBlock ParseRuleListFile(const std::string& bytes);
