#include "platform/delimitedtext.h"

#include <gtest/gtest.h>

using namespace bw;

TEST(DelimitedText, CommaTextWriting) {
    EXPECT_EQ(toCommaText({"a b", "c,d"}), "\"a b\",\"c,d\"");
    EXPECT_EQ(toCommaText({""}), "\"\"");
    EXPECT_EQ(toCommaText({"x", "y"}), "x,y");
    EXPECT_EQ(toCommaText({}), "");
    EXPECT_EQ(toCommaText({"say \"hi\"", ""}), "\"say \"\"hi\"\"\",");
}

TEST(DelimitedText, CommaTextReading) {
    EXPECT_EQ(fromCommaText("\"a b\",\"c,d\""), QStringList({"a b", "c,d"}));
    EXPECT_EQ(fromCommaText("\"\""), QStringList({""}));
    EXPECT_EQ(fromCommaText(""), QStringList());
    EXPECT_EQ(fromCommaText("  x , y ,"), QStringList({"x", "y", ""}));
    EXPECT_EQ(fromCommaText("a b"), QStringList({"a", "b"}));
    EXPECT_EQ(fromCommaText("\"say \"\"hi\"\"\","), QStringList({"say \"hi\"", ""}));
    EXPECT_EQ(fromCommaText("\"unterminated"), QStringList({"unterminated"}));
}

TEST(DelimitedText, RoundTripsAnyItems) {
    const std::vector<std::string> items = {"ssText=a;b", "x=\"q\"", "line\r\nend", "", "plain=1", "\xC0\xFF"};
    EXPECT_EQ(splitDelimited(joinDelimited(items, ';'), ';'), items);
}

TEST(DelimitedText, ValueByKeyIgnoresCaseAndTakesFirst) {
    const auto items = splitDelimited(std::string("ssText=abc;SBAS=-1;sbAS=0;empty=;tsText=a=b"), ';');
    bool found = false;
    EXPECT_EQ(delimitedValue(items, std::string("sbas"), &found), "-1");
    EXPECT_TRUE(found);
    EXPECT_EQ(delimitedValue(items, std::string("tsText")), "a=b");
    EXPECT_EQ(delimitedValue(items, std::string("empty"), &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(delimitedValue(items, std::string("missing"), &found), "");
    EXPECT_FALSE(found);
}
