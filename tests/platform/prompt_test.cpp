#include "platform/prompt.h"

#include <gtest/gtest.h>

using namespace bw;

TEST(ScriptedPrompt, AnswersInOrderThenFallsBackRecordsAndScopesNest) {
    ScriptedPrompt outer, p{Answer::Yes, Answer::Retry};
    ScopedPrompt a(outer);
    {
        ScopedPrompt scope(p);
        EXPECT_TRUE(prompt().yesNo("Cap", "Q1"));
        EXPECT_EQ(prompt().abortRetryIgnore("", "Q2"), Answer::Retry);
        EXPECT_FALSE(prompt().yesNo("Cap", "Q3"));
        EXPECT_EQ(prompt().abortRetryIgnore("", "Q4"), Answer::Abort);
    }
    prompt().information("i", "msg"); // the outer prompt is back
    ASSERT_EQ(p.asked().size(), 4u);
    EXPECT_EQ(p.asked()[0].caption, "Cap");
    EXPECT_EQ(p.asked()[1].buttons, Buttons::AbortRetryIgnore);
    ASSERT_EQ(outer.asked().size(), 1u);
    EXPECT_EQ(outer.asked()[0].icon, Icon::Information);
}
