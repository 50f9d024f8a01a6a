#include "platform/format.h"

#include <gtest/gtest.h>
#include <string>

using bw::format;

TEST(Format, FillsWhatFitsAndLeavesTheRestAsWritten) {
    const struct Case {
        QString fmt;
        QVariantList args;
        QString expected;
    } cases[] = {
        {"%d of %d", {3, 10}, "3 of 10"},
        {"%d", {std::numeric_limits<qint64>::min()}, "-9223372036854775808"},
        {"%u", {-1}, "4294967295"},
        {"%u", {qint64(-1)}, "18446744073709551615"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%.4x", {26}, "001A"},
        {"%5d|%-5d|", {42, 42}, "   42|42   |"},
        {"%.3d", {-7}, "-007"},
        {"%-6.2s|", {QString("abcdef")}, "ab    |"},
        {"%-*d|", {3, 7}, "7  |"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"100%% sure", {}, "100% sure"},
        {"%S %D", {"up", 5}, "up 5"},
        {"%s", {QByteArray("\xcf\xf0\xe8")}, QString::fromUtf8("При")},
        {"%s", {QVariant::fromValue(std::string("\xe0"))}, QString::fromUtf8("а")},
        {"%s and %s", {12, 2.5}, "12 and 2.5"},
        // Placeholders that do not fit their arguments stay as written.
        {"%s and %s", {"one"}, "one and %s"},
        {"%d then %s", {"text", "next"}, "%d then next"}, // a wrong kind still takes its argument
        {"%d", {true}, "%d"},
        {"%5:s %s", {"a"}, "%5:s %s"},
        {"%f %s", {1.5, "b"}, "%f b"}, // a type not filled still takes its argument
        {"%k %s", {"z"}, "%k z"},      // 'k' is no type
        {"trailing %", {}, "trailing %"},
        {"cut %-5", {"a"}, "cut %-5"},
        {"%*d", {"w", 3}, "%*d"},
        {"%99999999999999999999d", {1}, "%99999999999999999999d"},
        {"%100000s", {"a"}, "%100000s"},
        // Widths and precisions from '*' beyond +-4096, down to the most negative int.
        {"%*d|%s", {std::numeric_limits<int>::min(), 5, "x"}, "%*d|x"},
        {"%-*d|", {std::numeric_limits<int>::min(), 5}, "%-*d|"},
        {"%*s|", {-4097, "a"}, "%*s|"},
        {"%*s|", {-4096, "a"}, "a" + QString(4095, ' ') + "|"},
        {"%*s|", {qint64(-1) << 40, "a"}, "%*s|"},
        {"%*s|", {quint64(1) << 63, "a"}, "%*s|"},
        {"%.*s|", {std::numeric_limits<int>::min(), "abc"}, "%.*s|"},
        {"%s", {QVariant()}, "%s"},
        {"%s", {QVariant(QVariantList{1, 2})}, "%s"}, // a list inside one argument, not the arguments
    };
    for (const Case& c : cases)
        EXPECT_EQ(format(c.fmt, c.args), c.expected) << c.fmt.toStdString();
}
