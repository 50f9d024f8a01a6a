#include "platform/delimitedtext.h"

#include <gtest/gtest.h>

using namespace bw;

TEST(DelimitedText, CommaTextQuotesWhatNeedsItAndReadsItBack) {
    const std::pair<QStringList, QString> both[] = {
        {{"a b", "c,d"}, "\"a b\",\"c,d\""}, {{""}, "\"\""}, {{"x", "y"}, "x,y"}, {{}, ""},
        {{"say \"hi\"", ""}, "\"say \"\"hi\"\"\","},
    };
    for (const auto& [items, text] : both) {
        EXPECT_EQ(toCommaText(items), text);
        EXPECT_EQ(fromCommaText(text), items) << text.toStdString();
    }
    // Loose text as a person types it.
    EXPECT_EQ(fromCommaText("  x , y ,"), QStringList({"x", "y", ""}));
    EXPECT_EQ(fromCommaText("a b"), QStringList({"a", "b"}));
    EXPECT_EQ(fromCommaText("\"unterminated"), QStringList({"unterminated"}));
}

TEST(DelimitedText, AnyItemsRoundTripAndValuesAreFoundByName) {
    const std::vector<std::string> items = {"ssText=a;b", "x=\"q\"", "line\r\nend", "", "plain=1", "\xC0\xFF"};
    EXPECT_EQ(splitDelimited(joinDelimited(items, ';'), ';'), items);

    const auto pairs = splitDelimited(std::string("ssText=abc;SBAS=-1;sbAS=0;empty=;tsText=a=b"), ';');
    bool found = false;
    EXPECT_EQ(delimitedValue(pairs, std::string("sbas"), &found), "-1");
    EXPECT_EQ(delimitedValue(pairs, std::string("tsText")), "a=b");
    EXPECT_EQ(delimitedValue(pairs, std::string("empty"), &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(delimitedValue(pairs, std::string("missing"), &found), "");
    EXPECT_FALSE(found);
}
