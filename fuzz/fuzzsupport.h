#pragma once

// Shared by the fuzz targets: a check that stops the fuzzer with a message,
// a prompt that answers without recording, a scratch folder, and the split
// of one input into parts.

#include "platform/prompt.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace bw::fuzz {

// Stops the run (a finding) when cond is false.
#define BW_FUZZ_CHECK(cond, what)                                                          \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "fuzz check failed: %s (%s) at %s:%d\n", what, #cond,      \
                         __FILE__, __LINE__);                                              \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// Answers every question with the fallback (No, Abort, Ok) and keeps nothing,
// so that millions of inputs do not pile up a record of questions.
class SilentPrompt : public Prompt {
public:
    Answer ask(const QString&, const QString&, Buttons buttons, Icon) override {
        return ScriptedPrompt::fallback(buttons);
    }
};

inline void installSilentPrompt() {
    static SilentPrompt silent;
    setPrompt(&silent);
}

// A folder of this process's own, removed when it ends; path ends in '/'.
inline const QString& scratchDir() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bw-fuzz-XXXXXX"));
    static const QString path = dir.path() + QLatin1Char('/');
    return path;
}

// Removes every file in the scratch folder but those named in keep.
inline void clearScratch(const QStringList& keep = {}) {
    QDir dir(scratchDir());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!keep.contains(name))
            dir.remove(name);
}

// Splits data at its first count - 1 zero bytes into count parts; the last
// part keeps the rest (zero bytes included). Missing parts are empty.
inline std::vector<std::string> splitParts(std::string_view data, std::size_t count) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < count) {
        const std::size_t zero = data.find('\0');
        if (zero == std::string_view::npos)
            break;
        parts.emplace_back(data.substr(0, zero));
        data.remove_prefix(zero + 1);
    }
    parts.emplace_back(data);
    parts.resize(count);
    return parts;
}

inline std::string_view bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace bw::fuzz
