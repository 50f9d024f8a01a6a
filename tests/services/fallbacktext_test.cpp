#include "services/fallbacktext.h"

#include <gtest/gtest.h>

namespace {

constexpr TFallbackText kTable[] = {
    {"szOne", "One"},
    {"szTwo", "Two \"%s\""},
};

} // namespace

// A language's text wins; an empty one, an unset source or a source that does
// not know the key falls back to the table; a key in neither gives nothing.
TEST(FallbackText, SourceFirstThenTableThenNothing) {
    const std::function<QString(const QString&)> none;
    const std::function<QString(const QString&)> russian = [](const QString& key) {
        return key == QLatin1String("szOne") ? QStringLiteral("Один") : QString();
    };
    struct Case {
        const std::function<QString(const QString&)>* source;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {&russian, "szOne", QStringLiteral("Один")},
        {&russian, "szTwo", QStringLiteral("Two \"%s\"")},
        {&none, "szOne", QStringLiteral("One")},
        {&russian, "szThree", QString()},
        {&none, "szthree", QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextOrFallback(*c.source, kTable, QString::fromLatin1(c.key)), c.expected) << c.key;
    EXPECT_EQ(FallbackText(kTable, QStringLiteral("szTwo")), QStringLiteral("Two \"%s\""));
    EXPECT_TRUE(FallbackText(kTable, QStringLiteral("szone")).isEmpty()); // keys match exactly
}
