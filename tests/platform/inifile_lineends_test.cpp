#include "platform/inifile.h"

#include <gtest/gtest.h>

using bw::IniFile;

// Texts the settings file may hold: each value must read the same after the
// copy is written out and read back.
TEST(IniFileLineEnds, EveryLineEndEndsALineAndValuesReadBackTheSame) {
    const struct Case {
        QString text;
        QStringList keys;
        QStringList values;
    } cases[] = {
        {"[s]\r\nk=v\r\r\n", {"k"}, {"v"}},
        {"[s]\nk=v\r\rj=w", {"k", "j"}, {"v", "w"}},
        {"[s]\nk=a\rb=c\n", {"k", "b"}, {"a", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        IniFile first;
        first.setText(c.text);
        EXPECT_EQ(first.keys("s"), c.keys);
        IniFile second;
        second.setText(first.toText());
        EXPECT_EQ(second.keys("s"), c.keys);
        for (qsizetype i = 0; i < c.keys.size(); ++i) {
            EXPECT_EQ(first.readString("s", c.keys[i]), c.values[i]);
            EXPECT_EQ(second.readString("s", c.keys[i]), c.values[i]);
        }
    }
}
