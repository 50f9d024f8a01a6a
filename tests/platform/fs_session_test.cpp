#include "platform/fs.h"
#include "tests/support/testutil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

using namespace bw;

namespace {

class FsSessionTest : public bw::test::TempDirTest {
protected:
    QString oldFile(const QString& name) {
        const QString p = writeFile(name, "left");
        QFile f(p);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(QDateTime::fromString("2001-01-01T00:00:00", Qt::ISODate), QFileDevice::FileModificationTime);
        return p;
    }
    static bool save(const QString& file, const char* text) {
        return replaceFile(file, [text](FileWriter& out) { return out.write(text, qint64(std::strlen(text))); });
    }
};

// Within a session each file's own stale temporaries still go when it is
// saved, those of files not saved stay, and saves of the same folder after
// the first find what the first read.
TEST_F(FsSessionTest, StaleTemporariesGoAsTheirFilesAreSaved) {
    const QString a = writeFile("f/a.txt", "a");
    const QString b = writeFile("f/b.txt", "b");
    oldFile("f/.a.txt.1f.tmp");
    oldFile("f/.b.txt.2e.tmp");
    oldFile("f/.b.txt.3d.tmp");
    oldFile("f/.c.txt.4c.tmp");
    {
        const ReplaceSession session;
        ASSERT_TRUE(save(a, "A"));
        EXPECT_FALSE(exists(path("f/.a.txt.1f.tmp")));
        EXPECT_TRUE(exists(path("f/.b.txt.2e.tmp")));
        oldFile("f/.a.txt.5b.tmp"); // left by a save killed meanwhile: for a later session
        ASSERT_TRUE(save(b, "B"));
        ASSERT_TRUE(save(a, "AA"));
        EXPECT_FALSE(exists(path("f/.b.txt.2e.tmp")));
        EXPECT_FALSE(exists(path("f/.b.txt.3d.tmp")));
        EXPECT_TRUE(exists(path("f/.a.txt.5b.tmp")));
    }
    EXPECT_TRUE(exists(path("f/.c.txt.4c.tmp")));
    EXPECT_EQ(readFile(a), "AA");
    EXPECT_EQ(readFile(b), "B");
    ASSERT_TRUE(save(a, "A3")); // no session: the folder is read again
    EXPECT_FALSE(exists(path("f/.a.txt.5b.tmp")));
    EXPECT_EQ(QDir(path("f")).entryList(QDir::Files | QDir::Hidden), (QStringList{".c.txt.4c.tmp", "a.txt", "b.txt"}));
}

} // namespace
