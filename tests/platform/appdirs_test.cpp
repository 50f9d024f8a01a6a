#include "platform/appdirs.h"
#include "tests/support/testutil.h"

#include <QDir>

using namespace bw;

class AppDirsTest : public test::TempDirTest {};

TEST_F(AppDirsTest, HomeFollowsTheEnvironmentAndAppDirIsTheExecutableFolder) {
    const QString home = path("portable/home");
    qputenv("BRINDLEWICK_HOME", home.toLocal8Bit());
    EXPECT_EQ(homeDir(), QDir(home).absolutePath() + "/");
    EXPECT_TRUE(QDir(home).exists());
    EXPECT_EQ(appDir(), test::binDir().replace(QDir::separator(), QLatin1Char('/')));
}
