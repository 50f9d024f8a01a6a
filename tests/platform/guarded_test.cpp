#include "platform/guarded.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace bw;

// Whatever an action throws is shown once under the caption and goes no
// further; our own errors show their message as given, others what() decoded
// as UTF-8; an action that throws nothing shows nothing.
TEST(RunGuarded, ShowsWhatAnActionThrowsAndStopsIt) {
    ScriptedPrompt p;
    ScopedPrompt scope(p);
    bool ran = false;
    EXPECT_NO_THROW(runGuarded(QStringLiteral("Cap"), [&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(p.asked().empty());

    EXPECT_NO_THROW(runGuarded(QStringLiteral("Cap"), [] { throw Error(QStringLiteral("Файл \"a\" не прочитан")); }));
    EXPECT_NO_THROW(runGuarded(QStringLiteral("Other"), [] { throw std::runtime_error("caf\xC3\xA9"); }));
    ASSERT_EQ(p.asked().size(), 2u);
    EXPECT_EQ(p.asked()[0].caption, "Cap");
    EXPECT_EQ(p.asked()[0].text, QStringLiteral("Файл \"a\" не прочитан"));
    EXPECT_EQ(p.asked()[0].icon, Icon::Error);
    EXPECT_EQ(p.asked()[1].caption, "Other");
    EXPECT_EQ(p.asked()[1].text, QStringLiteral("café"));
}
