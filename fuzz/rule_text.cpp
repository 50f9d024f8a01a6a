// The one-line text form of a rule, and the delimited lists it is made of.
//
// Input: any bytes, read as a rule text. Checked: reading never fails; the
// text written for the rule read reads back to the same rule and is written
// again unchanged; a delimited list split, joined and split again is the same.

#include "engine/srinfo.h"
#include "fuzz/fuzzsupport.h"
#include "platform/delimitedtext.h"

using namespace bw::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(bytes(data, size));

    TSRInfo first;
    TextToRule(first, text);
    const std::string written = RuleToText(first);
    TSRInfo second;
    TextToRule(second, written);
    BW_FUZZ_CHECK(second == first, "a rule written and read back differs");
    BW_FUZZ_CHECK(RuleToText(second) == written, "a rule's text is not written the same twice");

    for (const char delimiter : {';', ','}) {
        const auto items = bw::splitDelimited(text, delimiter);
        const std::string joined = bw::joinDelimited(items, delimiter);
        BW_FUZZ_CHECK(bw::splitDelimited(joined, delimiter) == items, "a delimited list does not read back");
    }
    return 0;
}
