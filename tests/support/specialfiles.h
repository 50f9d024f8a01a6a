#pragma once

// Things that are not regular files, put where a reader expects one, and a
// guard that keeps a reader that waits on a named pipe from hanging a test.

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace bw::test {

enum class Special { Pipe, Socket, Device, LinkLoop };

inline constexpr Special kSpecials[] = {Special::Pipe, Special::Socket, Special::Device, Special::LinkLoop};

inline const char* specialName(Special kind) {
    switch (kind) {
    case Special::Pipe:
        return "named pipe";
    case Special::Socket:
        return "socket";
    case Special::Device:
        return "device";
    case Special::LinkLoop:
        return "link loop";
    }
    return "?";
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
// than the limit is let through (a writer comes and goes, so it reads an empty
// file and goes on): the test then fails on blocked() instead of hanging.
class PipeWatch {
public:
    explicit PipeWatch(const QString& pipe, std::chrono::milliseconds limit = std::chrono::seconds(3))
        : pipe_(QFile::encodeName(pipe)), thread_([this, limit] { run(limit); }) {}
    PipeWatch(const PipeWatch&) = delete;
    PipeWatch& operator=(const PipeWatch&) = delete;
    ~PipeWatch() { finish(); }

    // Stops watching; true when a reader had to be let through.
    bool blocked() {
        finish();
        return released_;
    }

private:
    void run(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, limit, [this] { return stop_; }))
            return;
        while (!stop_) {
            lock.unlock();
            const int fd = ::open(pipe_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                released_ = true;
                ::close(fd);
            }
            lock.lock();
            wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stop_; });
        }
    }

    void finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    QByteArray pipe_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> released_{false};
    std::thread thread_;
};

} // namespace bw::test
