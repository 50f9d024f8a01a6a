#include "services/fileroutines.h"
#include "tests/support/testutil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>

using namespace bw;

namespace {

// Makes writes beyond a file size fail, even for root (who is not stopped by
// permission bits): the system refuses to grow any file past the limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &r);
    }
    void lift() { setrlimit(RLIMIT_FSIZE, &old_); }
    ~FileSizeLimit() {
        lift();
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// A prompt that runs a step of the test when asked.
class ActingPrompt : public Prompt {
public:
    explicit ActingPrompt(std::function<Answer(int call)> act) : act_(std::move(act)) {}
    Answer ask(const QString&, const QString&, Buttons, Icon) override { return act_(++calls); }
    int calls = 0;

private:
    std::function<Answer(int)> act_;
};

// Bytes that can only be read in order, like a pipe: no size, no seeking.
class Pipe : public QIODevice {
public:
    explicit Pipe(QByteArray data) : data_(std::move(data)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return data_.size() - at_ + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = qMin(max, data_.size() - at_);
        std::memcpy(out, data_.constData() + at_, static_cast<std::size_t>(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 at_ = 0;
};

const std::string kAwkward("a\0b\rc\r\nd\n\xff\xe0", 12);

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

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
    writeFile("plain", "p");
    EXPECT_FALSE(AppendStringToFile(path("plain/below.txt"), "x"));
    EXPECT_FALSE(AppendStringToFile(path("missing/x.txt"), "x"));
    EXPECT_FALSE(AppendStringToFile(dir_.path(), "x"));
    EXPECT_EQ(prompt.asked().size(), 4u); // each failure asked once; the scripted answer gives up
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
        {"most negative count", QByteArray("\0\0\0\x80", 4)},
        {"count larger than the rest", QByteArray("\6\0\0\0abcde", 9)},
        {"huge count", QByteArray("\xff\xff\xff\x7f" "a", 5)},
        {"count at the very end", QByteArray("\1\0\0\0", 4)},
    };
    for (const Case& c : cases) {
        for (bool sequential : {false, true}) {
            QByteArray data = c.data;
            Pipe pipe(data);
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
