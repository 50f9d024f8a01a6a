#include "platform/cp1251.h"

#include <gtest/gtest.h>

using namespace bw;

TEST(Cp1251, EveryByteRoundTripsAndLettersSitWhereThePageHasThem) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    bool lossy = true;
    EXPECT_EQ(encode1251(decode1251(all), &lossy), all);
    EXPECT_FALSE(lossy);
    EXPECT_EQ(decode1251("\xC0\xFF\xA8\xB8\xB9\x97\xAB"), QString::fromUtf8("АяЁё№—«"));
}

TEST(Cp1251, MissingCharactersBecomeQuestionMarksAndAreReported) {
    bool lossy = false;
    // One '?' per character, also for one beyond the basic plane.
    EXPECT_EQ(encode1251(QString::fromUtf8("a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c"), &lossy), "a?b?c");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(unicodeToCp1251(0x4E2D), -1);
}
