#include "services/fileroutines.h"
#include "tests/services/failures.h"
#include "tests/support/sequentialdevice.h"
#include "tests/support/testutil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace bw;
using test::ActingPrompt;
using test::FileSizeLimit;

namespace {

const std::string kAwkward("a\0b\rc\r\nd\n\xff\xe0", 12);

} // namespace

class FileRoutinesTest : public test::TempDirTest {};

TEST_F(FileRoutinesTest, TextsRoundTripByteForByte) {
    for (const std::string& text : {std::string(), std::string("x"), kAwkward, std::string(100000, '\0')}) {
        const QString file = path("f.bin");
        ASSERT_TRUE(SaveStringToFile(file, text));
        EXPECT_EQ(readFile(file), text);
        std::string loaded = "stale";
        ASSERT_TRUE(LoadFileToString(file, loaded));
        EXPECT_EQ(loaded, text);
        ASSERT_TRUE(AppendStringToFile(file, text));
        EXPECT_EQ(readFile(file), text + text);
    }
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(FileRoutinesTest, LoadFailuresGiveFalseAndLeaveTheText) {
    writeFile("sub/x", "x");
    std::string text = "kept";
    EXPECT_FALSE(LoadFileToString(path("missing.txt"), text));
    EXPECT_FALSE(LoadFileToString(path("sub"), text));
    EXPECT_FALSE(LoadFileToString(path("sub/x/below"), text));
    EXPECT_FALSE(LoadFileToString(QString(), text));
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(FileRoutinesTest, SaveThroughALinkReplacesReadOnlyTargetKeepingOtherPermissions) {
    const QString target = writeFile("data/ro.txt", "old");
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_TRUE(QFile::link(target, path("link.txt")));
    ASSERT_TRUE(SaveStringToFile(path("link.txt"), "new"));
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(QFileInfo(target).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_EQ(filesIn(path("data")), QStringList({"ro.txt"}));
}

TEST_F(FileRoutinesTest, FailedSaveAsksAndNoGivesFalse) {
    writeFile("plain", "p");
    for (const QString& bad : {path("missing/x.txt"), path("plain/x.txt"), dir_.path(), QString()}) {
        ScriptedPrompt answers{Answer::Yes, Answer::No};
        ScopedPrompt use(answers);
        EXPECT_FALSE(SaveStringToFile(bad, "text")) << bad.toStdString();
        ASSERT_EQ(answers.asked().size(), 2u); // Yes retried, No gave up
        EXPECT_EQ(answers.asked().front().buttons, Buttons::YesNo);
    }
    EXPECT_FALSE(exists(path("missing")));
    EXPECT_EQ(readFile(path("plain")), "p");
}

TEST_F(FileRoutinesTest, SaveThatFailsMidWriteLeavesTheFileWholeAndRetrySucceeds) {
    const QString file = writeFile("doc.txt", "original text");
    const std::string big(64 * 1024, 'z');
    FileSizeLimit limit(1024);
    ActingPrompt answers([&](int call) {
        // While the question is shown the file is still whole.
        EXPECT_EQ(readFile(file), "original text");
        EXPECT_EQ(filesIn(dir_.path()), QStringList({"doc.txt"}));
        if (call == 2)
            limit.lift(); // the cause goes away; the user tries once more
        return Answer::Yes;
    });
    ScopedPrompt use(answers);
    EXPECT_TRUE(SaveStringToFile(file, big));
    EXPECT_EQ(answers.calls, 2);
    EXPECT_EQ(readFile(file), big);
    EXPECT_EQ(filesIn(dir_.path()), QStringList({"doc.txt"}));
}

TEST_F(FileRoutinesTest, FailedAppendCutsBackSoRetryNeverDuplicates) {
    const QString file = writeFile("out.txt", "0123456789");
    const std::string text(40, 'x');
    FileSizeLimit limit(16); // 6 of the 40 bytes fit, then the write fails
    ActingPrompt answers([&](int call) {
        EXPECT_EQ(readFile(file), "0123456789");
        if (call == 2)
            limit.lift();
        return Answer::Yes;
    });
    ScopedPrompt use(answers);
    EXPECT_TRUE(AppendStringToFile(file, text));
    EXPECT_EQ(answers.calls, 2);
    EXPECT_EQ(readFile(file), "0123456789" + text);
}

TEST_F(FileRoutinesTest, AppendCreatesOrClearsReadOnlyAndFailureLeavesNoNewFile) {
    EXPECT_TRUE(AppendStringToFile(path("new.txt"), ""));
    EXPECT_TRUE(exists(path("new.txt")));
    const QString ro = writeFile("ro.txt", "a");
    QFile::setPermissions(ro, QFileDevice::ReadOwner);
    EXPECT_TRUE(AppendStringToFile(ro, "b"));
    EXPECT_EQ(readFile(ro), "ab");
    EXPECT_TRUE(QFileInfo(ro).permissions() & QFileDevice::WriteOwner);
    {
        FileSizeLimit limit(8);
        EXPECT_FALSE(AppendStringToFile(path("fresh.txt"), std::string(100, 'x')));
    }
    EXPECT_FALSE(exists(path("fresh.txt")));
    EXPECT_FALSE(AppendStringToFile(dir_.path(), "x"));
    EXPECT_EQ(prompt.asked().size(), 2u); // each failure asked once; the scripted answer gives up
}

TEST(StreamString, LayoutIsCountThenBytes) {
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    WriteStreamString("", buf);
    WriteStreamString("abcde", buf);
    WriteStreamString(kAwkward, buf);
    WriteStreamString(std::string(300, 'q'), buf);
    EXPECT_EQ(buf.data().left(13), QByteArray("\0\0\0\0\5\0\0\0abcde", 13));
    EXPECT_EQ(buf.data().mid(13 + 4 + 12, 4), QByteArray("\x2c\x01\0\0", 4)); // 300, little-endian

    buf.seek(0);
    std::string s = "x";
    for (const std::string& expected : {std::string(), std::string("abcde"), kAwkward, std::string(300, 'q')}) {
        ReadStreamString(buf, s);
        EXPECT_EQ(s, expected);
    }
    EXPECT_TRUE(buf.atEnd());
}

TEST(StreamString, DamagedCountsRaiseReadErrors) {
    struct Case {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"empty stream", QByteArray()},
        {"count cut short", QByteArray("\5\0", 2)},
        {"negative count", QByteArray("\xff\xff\xff\xff" "abcd", 8)},
        {"count larger than the rest", QByteArray("\6\0\0\0abcde", 9)},
        {"huge count", QByteArray("\xff\xff\xff\x7f" "a", 5)},
    };
    for (const Case& c : cases) {
        for (bool sequential : {false, true}) {
            QByteArray data = c.data;
            test::SequentialDevice pipe(data);
            QBuffer plain(&data);
            plain.open(QIODevice::ReadOnly);
            QIODevice& buf = sequential ? static_cast<QIODevice&>(pipe) : plain;
            std::string s = "kept";
            EXPECT_THROW(ReadStreamString(buf, s), StreamReadError) << c.what << (sequential ? " (sequential)" : "");
            EXPECT_EQ(s, "kept") << c.what;
        }
    }
}

TEST(StreamString, WriteToAStreamThatRefusesRaises) {
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    EXPECT_THROW(WriteStreamString("abc", buf), Error);
}

// Only regular files are read; a named pipe would wait for a writer and a
// device may never end.
TEST_F(FileRoutinesTest, LoadReadsRegularFilesAndLinksToThemOnly) {
    const QString file = writeFile("real.txt", "content");
    ASSERT_TRUE(QFile::link(file, path("link.txt")));
    const QString fifo = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, path("pipe-link")));

    std::string text;
    EXPECT_TRUE(LoadFileToString(path("link.txt"), text));
    EXPECT_EQ(text, "content");
    for (const QString& special : {fifo, path("pipe-link"), QStringLiteral("/dev/zero"), QStringLiteral("/dev/null")}) {
        text = "kept";
        // Run aside, so that a read that waits fails the test instead of hanging it.
        auto load = std::async(std::launch::async, [&] { return LoadFileToString(special, text); });
        if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << special.toStdString() << " blocked the load";
            // Let the waiting open through: a writer that comes and goes.
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        EXPECT_FALSE(load.get()) << special.toStdString();
        EXPECT_EQ(text, "kept") << special.toStdString();
    }
}

namespace {

// Runs a check in a child process that may not write the folder (root, who
// may write anywhere, becomes "nobody" there). The child ends with 0 when the
// check holds.
void inLockedFolder(const QString& folder, const std::function<bool()>& check) {
    EXPECT_EXIT(
        {
            if (::geteuid() == 0) {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    std::_Exit(3);
            } else {
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            }
            std::_Exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace

// A file we may write in a folder we may not: no temporary file can be made,
// so the text is written in place; a write that does not take is asked about
// again with the text still in hand.
TEST_F(FileRoutinesTest, WritableFileInALockedFolderIsSavedInPlace) {
    const QString folder = path("locked");
    const QString file = writeFile("locked/doc.txt", "old text");
    const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                     QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(dir_.path(), all);
    QFile::setPermissions(folder, all & ~QFileDevice::WriteOwner);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                                    QFileDevice::WriteOther);

    inLockedFolder(folder, [&] {
        ScriptedPrompt none;
        ScopedPrompt use(none);
        return SaveStringToFile(file, "new") && readFile(file) == "new" && none.asked().empty() &&
               filesIn(folder) == QStringList({"doc.txt"});
    });
    inLockedFolder(folder, [&] {
        FileSizeLimit limit(4);
        ActingPrompt answers([&](int call) {
            limit.lift();
            return call == 1 ? Answer::Yes : Answer::No;
        });
        ScopedPrompt use(answers);
        return SaveStringToFile(file, "longer text") && answers.calls == 1 && readFile(file) == "longer text";
    });
    inLockedFolder(folder, [&] {
        ScriptedPrompt no{Answer::No};
        ScopedPrompt use(no);
        return !SaveStringToFile(folder + "/new.txt", "x") && no.asked().size() == 1 && !exists(folder + "/new.txt");
    });
    QFile::setPermissions(folder, all);
}

// A save that would cross the file-size limit fails like any other write
// instead of ending the program.
TEST_F(FileRoutinesTest, SaveOverTheFileSizeLimitFailsAndAsksAgain) {
    const QString file = writeFile("doc.txt", "original");
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit r{};
            ::getrlimit(RLIMIT_FSIZE, &r);
            r.rlim_cur = 1024;
            ::setrlimit(RLIMIT_FSIZE, &r);
            ScriptedPrompt no{Answer::No};
            ScopedPrompt use(no);
            const bool saved = SaveStringToFile(file, std::string(4096, 'x'));
            const bool appended = AppendStringToFile(file, std::string(4096, 'y'));
            std::_Exit(!saved && !appended && no.asked().size() == 2 && readFile(file) == "original" &&
                               filesIn(dir_.path()) == QStringList({"doc.txt"})
                           ? 0
                           : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
