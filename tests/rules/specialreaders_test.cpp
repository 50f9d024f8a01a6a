// Favourites and library texts named by the user (or found in the library
// folders): anything but a regular file there cannot be read, at once.

#include <QDir>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "rules/textlibrary.h"
#include "rules/wholerulefile.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

struct Texts : TWholeRuleTexts {
    TWholeRule rule{"search", "target"};
    TWholeRule GetWholeRule() const override { return rule; }
    void SetWholeRule(const TWholeRule& r) override { rule = r; }
};

// The message of the bw::Error that f throws; empty when it throws none.
QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

class SpecialRuleFilesTest : public test::TempDirTest {};

TEST_F(SpecialRuleFilesTest, FavouritesAndLibraryTextsThatAreNoFilesCannotBeRead) {
    const QString file = path("Favorites/Full/fav.txt");
    QDir().mkpath(path("Favorites/Full"));
    const QString shown = QDir::toNativeSeparators(file);
    for (const test::Special kind : test::kSpecials) {
        const char* what = test::specialName(kind);
        ASSERT_TRUE(test::makeSpecial(kind, file)) << what;
        test::PipeWatch watch(file);
        EXPECT_TRUE(errorOf([&] { LoadWholeRuleFile(file); }).contains(shown)) << what;
        EXPECT_TRUE(errorOf([&] { ReadLibraryText(file); }).contains(shown)) << what;
        Texts texts;
        const std::size_t before = prompt.asked().size();
        LoadFavorite(file, texts);
        EXPECT_FALSE(watch.blocked()) << what;
        ASSERT_EQ(prompt.asked().size(), before + 1) << what;
        EXPECT_TRUE(prompt.asked()[before].text.contains(shown)) << what;
        EXPECT_EQ(texts.rule.Search, "search") << what << ": the texts stay";
        EXPECT_EQ(texts.rule.Target, "target") << what;
    }
}

} // namespace
