// Rule-list blocks: ".lsr" files and the rule-list section of projects.
//
// Input: any bytes, read as a rule-list file and as a stream. Checked: a file
// is refused with bw::StreamReadError only when its header does not read (the
// stream is then damaged before touching the list), else it gives the rules
// read before any damage, the same as the stream load, which raises nothing
// but bw::StreamReadError; saved again, those rules read back whole to the
// same header, check marks and rules.

#include "fuzz/fuzzsupport.h"
#include "rules/rulelistblock.h"
#include "rules/srheader.h"
#include "rules/srlist.h"
#include "services/fileroutines.h"

#include <QBuffer>

using namespace bw::fuzz;

namespace {

bool sameRules(const TSRList& a, const TSRList& b) {
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a.Checked(i) != b.Checked(i) || !(a.Rule(i) == b.Rule(i)))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(bytes(data, size));

    TSRHeader header;
    TSRList list;
    bool refused = false;
    bool fileDamaged = false;
    try {
        TRuleListBlock block = ParseRuleListFile(input);
        fileDamaged = block.Damaged;
        ApplyRuleListBlock(std::move(block), header, list);
    } catch (const bw::StreamReadError&) {
        refused = true;
    }

    // The project's way: straight into a list that holds a rule already.
    QBuffer in;
    in.setData(QByteArray::fromRawData(input.data(), qsizetype(input.size())));
    in.open(QIODevice::ReadOnly);
    TSRHeader streamHeader;
    TSRList streamList;
    streamList.Append(true, std::make_unique<TSRInfo>());
    bool damaged = false;
    try {
        LoadRuleListBlock(in, streamHeader, streamList);
    } catch (const bw::StreamReadError&) {
        damaged = true;
    }

    if (refused) {
        BW_FUZZ_CHECK(damaged && streamList.Count() == 1, "a header the file refused was read as a stream");
        return 0;
    }
    // A damaged file: the stream met the same damage or read a block that bytes follow.
    BW_FUZZ_CHECK(!damaged || fileDamaged, "a file read whole was damaged as a stream");
    BW_FUZZ_CHECK(!fileDamaged || damaged || in.pos() < in.size(), "a damaged file was read whole as a stream");
    BW_FUZZ_CHECK(streamHeader.GetText() == header.GetText(), "the stream read another header");
    BW_FUZZ_CHECK(sameRules(streamList, list), "the stream read other rules");

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    SaveRuleListBlock(out, header, list);
    TSRHeader again;
    TSRList againList;
    TRuleListBlock saved = ParseRuleListFile(out.data().toStdString());
    BW_FUZZ_CHECK(!saved.Damaged, "a saved list reads back damaged");
    ApplyRuleListBlock(std::move(saved), again, againList);
    BW_FUZZ_CHECK(again.GetText() == header.GetText(), "a saved header reads back otherwise");
    BW_FUZZ_CHECK(sameRules(againList, list), "saved rules read back otherwise");
    return 0;
}
