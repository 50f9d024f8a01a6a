#include "services/filestamp.h"

#include <QFile>
#include <functional>
#include <utime.h>

#include "tests/support/testutil.h"

using bw::test::TempDirTest;

namespace {

using FileStampTest = TempDirTest;

// Whatever another program may do to a file after it was read shows in the
// stamp; a link followed at reading time is judged by its target.
TEST_F(FileStampTest, EveryChangeOfTheFileBreaksTheStamp) {
    const struct {
        const char* what;
        std::function<void(const QString&)> act;
        bool matches;
    } cases[] = {
        {"left alone", [](const QString&) {}, true},
        {"same size, new time",
         [this](const QString& p) {
             writeFile("f.txt", "YYYY");
             struct utimbuf times {};
             times.actime = times.modtime = 1000000000;
             ::utime(QFile::encodeName(p).constData(), &times);
         },
         false},
        {"grown", [this](const QString&) { writeFile("f.txt", "xxxx+"); }, false},
        {"removed", [](const QString& p) { QFile::remove(p); }, false},
        {"replaced by a new file",
         [this](const QString& p) {
             const QString other = writeFile("other.txt", "xxxx");
             QFile::remove(p);
             QFile::rename(other, p);
         },
         false},
        {"a link to another file swapped in",
         [this](const QString& p) {
             const QString other = writeFile("elsewhere/f.txt", "xxxx");
             QFile::remove(p);
             QFile::link(other, p);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString p = writeFile("f.txt", "xxxx");
        QFile::remove(path("other.txt"));
        std::string text;
        TFileStamp stamp;
        ASSERT_TRUE(LoadFileStamped(p, text, stamp));
        EXPECT_EQ(text, "xxxx");
        c.act(p);
        EXPECT_EQ(FileMatchesStamp(p, stamp), c.matches);
        QFile::remove(p);
    }

    // Through a link: the target is what was read.
    const QString target = writeFile("target.txt", "t");
    QFile::link(target, path("link.txt"));
    std::string text;
    TFileStamp stamp;
    ASSERT_TRUE(LoadFileStamped(path("link.txt"), text, stamp));
    EXPECT_EQ(stamp, TakeFileStamp(target));
    EXPECT_TRUE(FileMatchesStamp(path("link.txt"), stamp));

    EXPECT_FALSE(TakeFileStamp(path("missing")).Valid);
    EXPECT_FALSE(TakeFileStamp(path("")).Valid); // a folder
    EXPECT_FALSE(FileMatchesStamp(path("missing"), TFileStamp{}));
}

} // namespace
