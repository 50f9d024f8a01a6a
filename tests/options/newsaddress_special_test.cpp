// The news page's address file, read when the options window is made: anything
// but a regular file there gives the built-in address at once.

#include <gtest/gtest.h>

#include "options/version.h"
#include "tests/support/specialfiles.h"
#include "tests/support/testutil.h"

namespace {

class NewsAddressSpecialTest : public bw::test::TempDirTest {};

TEST_F(NewsAddressSpecialTest, AnAddressFileThatIsNoFileGivesTheBuiltInAddressAtOnce) {
    const QString file = path("Brindlewick.url");
    for (const bw::test::Special kind : bw::test::kSpecials) {
        const char* what = bw::test::specialName(kind);
        ASSERT_TRUE(bw::test::makeSpecial(kind, file)) << what;
        bw::test::PipeWatch watch(file);
        EXPECT_EQ(ReadNewsAddress(file), BuiltInNewsAddress()) << what;
        EXPECT_FALSE(watch.blocked()) << what;
    }
    EXPECT_TRUE(prompt.asked().empty());
}

} // namespace
