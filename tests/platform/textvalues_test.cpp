#include "platform/textvalues.h"

#include <gtest/gtest.h>

using namespace bw;

TEST(TextValues, NumbersAndBooleans) {
    const std::pair<const char*, std::optional<std::int32_t>> numbers[] = {
        {"+7", 7},   {"-2147483648", INT32_MIN}, {"2147483648", {}}, {"0x10", 16},
        {"$1F", 31}, {"$FFFFFFFF", -1},          {"0x100000000", {}}, {"", {}}, {"1.0", {}}, {"0x", {}},
    };
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(parseInt32(text), value) << text;

    const std::pair<const char*, std::optional<bool>> booleans[] = {
        {"tRuE", true}, {"false", false}, {"0x0", false}, {"2", true}, {"yes", {}}, {"truex", {}},
    };
    for (const auto& [text, value] : booleans) {
        EXPECT_EQ(parseBoolean(QString(text), parseInt32), value) << text;
        EXPECT_EQ(booleanWord(std::string(text)), booleanWord(QString(text))) << text;
    }
}
