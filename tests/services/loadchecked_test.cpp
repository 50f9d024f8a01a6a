#include "services/fileroutines.h"
#include "tests/support/testutil.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

using bw::test::TempDirTest;

namespace {

class LoadCheckedTest : public TempDirTest {};

// One opening of the file says what it is: read and stamped, not a file,
// too large or unreadable; the text is touched only when it was read.
TEST_F(LoadCheckedTest, OutcomesAndTheTextLeftAlone) {
    const QString file = writeFile("a.txt", "abc");
    QFile::link(file, path("link.txt"));
    QFile::link(path("none.txt"), path("broken.txt"));
    QDir().mkpath(path("folder"));
    ::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600);
    const QString locked = writeFile("locked.txt", "x");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    const bool rootReads = ::geteuid() == 0;

    struct Case {
        QString path;
        std::uint64_t max;
        TLoadOutcome outcome;
    };
    const Case cases[] = {
        {file, 3, TLoadOutcome::Loaded},           {path("link.txt"), 10, TLoadOutcome::Loaded},
        {file, 2, TLoadOutcome::TooLarge},         {path("none.txt"), 10, TLoadOutcome::NotAFile},
        {path("broken.txt"), 10, TLoadOutcome::NotAFile}, {path("folder"), 10, TLoadOutcome::NotAFile},
        {path("pipe"), 10, TLoadOutcome::NotAFile}, {QString(), 10, TLoadOutcome::NotAFile},
        {locked, 10, rootReads ? TLoadOutcome::Loaded : TLoadOutcome::Unreadable},
    };
    for (const Case& c : cases) {
        std::string text = "before";
        TFileStamp stamp;
        EXPECT_EQ(LoadFileChecked(c.path, text, stamp, c.max), c.outcome) << c.path.toStdString();
        if (c.outcome == TLoadOutcome::Loaded) {
            EXPECT_TRUE(stamp.Valid);
            EXPECT_TRUE(FileMatchesStamp(c.path, stamp));
            EXPECT_EQ(stamp, TakeFileStamp(c.path));
        } else {
            EXPECT_EQ(text, "before") << c.path.toStdString();
        }
    }
    std::string text;
    TFileStamp stamp;
    ASSERT_EQ(LoadFileChecked(file, text, stamp, 10), TLoadOutcome::Loaded);
    EXPECT_EQ(text, "abc");
    writeFile("a.txt", "abcd");
    EXPECT_FALSE(FileMatchesStamp(file, stamp));
}

// The buffer files are read into changes places with the caller's text:
// texts of one file after another come out whole, whatever came before.
TEST_F(LoadCheckedTest, FilesOfEverySizeOneAfterAnother) {
    const std::size_t sizes[] = {5, 100000, 0, 3, 70000, 1};
    std::string text;
    for (std::size_t n : sizes) {
        const std::string bytes(n, char('a' + n % 26));
        const QString p = writeFile(QStringLiteral("f%1.txt").arg(n), bytes);
        TFileStamp stamp;
        ASSERT_EQ(LoadFileChecked(p, text, stamp, 1 << 20), TLoadOutcome::Loaded);
        EXPECT_EQ(text, bytes);
        std::string plain = "x";
        ASSERT_TRUE(LoadFileToString(p, plain));
        EXPECT_EQ(plain, bytes);
    }
}

} // namespace
