#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace bw::test {

// A read-only device over bytes that, like a pipe, has no size known in
// advance and hands out at most chunk bytes per read.
class SequentialDevice : public QIODevice {
public:
    explicit SequentialDevice(QByteArray data, qint64 chunk = 1 << 30) : data_(std::move(data)), chunk_(chunk) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return data_.size() - at_ + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = std::min({max, chunk_, data_.size() - at_});
        std::memcpy(out, data_.constData() + at_, static_cast<std::size_t>(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 chunk_;
    qint64 at_ = 0;
};

} // namespace bw::test
