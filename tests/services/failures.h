#pragma once

#include <csignal>
#include <functional>
#include <sys/resource.h>

#include "platform/prompt.h"

namespace bw::test {

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

} // namespace bw::test
