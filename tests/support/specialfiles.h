#pragma once

// Things that are not regular files, put where a reader expects one, a guard
// that keeps a reader that waits on a named pipe from hanging a test, and a
// table runner that reads each such thing with each reader.

#include <QDir>
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/prompt.h"

namespace bw::test {

enum class Special { Pipe, Socket, Device, LinkLoop };

inline constexpr Special kSpecials[] = {Special::Pipe, Special::Socket, Special::Device, Special::LinkLoop};

inline const char* specialName(Special kind) {
    const char* names[] = {"named pipe", "socket", "device", "link loop"};
    return names[int(kind)];
}

// Puts the thing at path, which must be free (a leftover is removed first).
// The device is a link to /dev/null, which never blocks and reads as empty;
// the loop is a link to itself.
inline bool makeSpecial(Special kind, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    switch (kind) {
    case Special::Pipe:
        return ::mkfifo(name.constData(), 0600) == 0;
    case Special::Socket: {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (std::size_t(name.size()) >= sizeof addr.sun_path)
            return false;
        std::memcpy(addr.sun_path, name.constData(), std::size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        const bool ok = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
        ::close(fd);
        return ok;
    }
    case Special::Device:
        return ::symlink("/dev/null", name.constData()) == 0;
    case Special::LinkLoop:
        return ::symlink(name.constData(), name.constData()) == 0;
    }
    return false;
}

// While one lives, a reader that waits on the named pipe at path for longer
// than three seconds is let through (a writer comes and goes, so it reads an
// empty file and goes on): the test then fails on blocked() instead of hanging.
class PipeWatch {
public:
    explicit PipeWatch(const QString& pipe) : pipe_(QFile::encodeName(pipe)), thread_([this] { run(); }) {}
    ~PipeWatch() { blocked(); }

    // Stops watching; true when a reader had to be let through.
    bool blocked() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return released_;
    }

private:
    void run() {
        for (int waited = 0; !stop_; waited += 5) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const int fd = waited < 3000 ? -1 : ::open(pipe_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                released_ = true;
                ::close(fd);
            }
        }
    }

    QByteArray pipe_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
};

// A reader of a named file, for a table run against every kind above.
struct SpecialReader {
    const char* name;
    QString file;               // where the thing is put
    std::function<bool()> read; // reads it; true when it gave up and kept what it had
    bool tells = false;         // asks one question naming the file (else asks none)
};

// Puts each kind in turn at each reader's file and reads it: the read comes
// back at once, gives up, and asks what the row says.
inline void readEachSpecial(const ScriptedPrompt& prompt, const std::vector<SpecialReader>& readers) {
    for (const SpecialReader& r : readers) {
        for (const Special kind : kSpecials) {
            const std::string what = std::string(r.name) + " / " + specialName(kind);
            ASSERT_TRUE(makeSpecial(kind, r.file)) << what;
            const std::size_t before = prompt.asked().size();
            PipeWatch watch(r.file);
            bool gaveUp = false;
            EXPECT_NO_THROW(gaveUp = r.read()) << what;
            EXPECT_TRUE(gaveUp) << what;
            EXPECT_FALSE(watch.blocked()) << what;
            const std::size_t asked = prompt.asked().size() - before;
            EXPECT_EQ(asked, r.tells ? 1u : 0u)
                << what << (asked ? ": " + prompt.asked().back().text.toStdString() : std::string());
            if (r.tells && asked > 0) {
                EXPECT_TRUE(prompt.asked()[before].text.contains(QDir::toNativeSeparators(r.file))) << what;
            }
        }
    }
}

} // namespace bw::test
