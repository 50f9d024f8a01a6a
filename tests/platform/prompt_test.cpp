#include "platform/prompt.h"

#include <gtest/gtest.h>

using namespace bw;

TEST(ScriptedPrompt, AnswersInOrderThenFallsBackAndRecords) {
    ScriptedPrompt p{Answer::Yes, Answer::Retry};
    ScopedPrompt scope(p);
    EXPECT_TRUE(prompt().yesNo("Cap", "Q1"));
    EXPECT_EQ(prompt().abortRetryIgnore("", "Q2"), Answer::Retry);
    EXPECT_FALSE(prompt().yesNo("Cap", "Q3"));
    EXPECT_EQ(prompt().abortRetryIgnore("", "Q4"), Answer::Abort);
    prompt().information("i", "msg");
    ASSERT_EQ(p.asked().size(), 5u);
    EXPECT_EQ(p.asked()[0].caption, "Cap");
    EXPECT_EQ(p.asked()[1].buttons, Buttons::AbortRetryIgnore);
    EXPECT_EQ(p.asked()[4].icon, Icon::Information);
}

TEST(ScriptedPrompt, ScopeRestoresPrevious) {
    ScriptedPrompt outer, inner;
    ScopedPrompt a(outer);
    {
        ScopedPrompt b(inner);
        prompt().information("x", "y");
    }
    prompt().information("x", "z");
    EXPECT_EQ(inner.asked().size(), 1u);
    EXPECT_EQ(outer.asked().size(), 1u);
}
