#include "app/processrun_ahead.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "engine/codepages.h"
#include "engine/rerichedit.h"
#include "platform/cp1251.h"
#include "platform/delimitedtext.h"
#include "services/fileroutines.h"

namespace {

std::unique_ptr<TRERichEdit> MakeEngine(const TReadAhead::TRule& rule) {
    auto engine = std::make_unique<TRERichEdit>();
    engine->Options.soMaskedSource = rule.Masked;
    engine->Options.soIgnoreMode = rule.IgnoreMode;
    engine->SearchOptions = (rule.MatchCase ? TSearchTypes(stMatchCase) : 0u) |
                            (rule.WholeWord ? TSearchTypes(stWholeWord) : 0u);
    engine->ActionMode.OnFoundActionType = ofatDontChange;
    engine->SetSourceText(rule.Source);
    return engine;
}

} // namespace

bool TReadAhead::MakeRules(const std::vector<const TSRInfo*>& rules, std::vector<TRule>& out) {
    out.clear();
    for (const TSRInfo* info : rules) {
        TRule rule;
        rule.Masked = info->Source.sbAS;
        rule.IgnoreMode = info->Source.sbIgnoreMode;
        rule.MatchCase = info->Source.sbCaseSensitive;
        rule.WholeWord = info->Source.sbWholeWords;
        rule.SampleSize = info->Source.siCharCount;
        try {
            rule.Source = bw::encode1251(info->Source.ssText, nullptr);
            // Compiled once here, so that the workers never meet a failure.
            MakeEngine(rule)->RecompileAll();
        } catch (const std::exception&) {
            out.clear();
            return false;
        }
        for (const QString& name : bw::fromCommaText(info->Source.ssCLBCP)) {
            int row = 0;
            if (SearchCodePageRow(name, row)) // an unknown name finds nothing
                rule.Rows.push_back(row);
        }
        out.push_back(std::move(rule));
    }
    return true;
}

int TReadAhead::DefaultWorkers() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(n);
}

TReadAhead::TReadAhead(QStringList files, std::vector<TRule> rules, std::vector<bool> skip, int workers)
    : TReadAhead(std::move(files), std::move(rules), std::move(skip), workers, TLimits{}) {}

TReadAhead::TReadAhead(QStringList files, std::vector<TRule> rules, std::vector<bool> skip, int workers,
                       TLimits limits)
    : files_(std::move(files)), rules_(std::move(rules)), skip_(std::move(skip)), limits_(limits),
      findings_(std::size_t(files_.size())), stamps_(std::size_t(files_.size())), texts_(std::size_t(files_.size())) {
    for (auto& f : findings_)
        f.store(std::uint8_t(TFinding::Pending), std::memory_order_relaxed);
    workers = std::max(1, workers);
    workers_.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::exception&) {
            break; // the system gives no more threads: fewer do
        }
    }
    if (workers_.empty()) // none at all: every file goes to the loop
        for (auto& f : findings_)
            f.store(std::uint8_t(TFinding::Unknown));
}

TReadAhead::~TReadAhead() {
    Stop();
    for (std::thread& t : workers_)
        t.join();
}

void TReadAhead::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_.store(true);
    }
    budget_.notify_all();
    done_.notify_all();
}

bool TReadAhead::TryHold(std::int64_t bytes, std::int64_t limit) {
    std::int64_t held = held_.load();
    while (held == 0 || held + bytes <= limit)
        if (held_.compare_exchange_weak(held, held + bytes))
            return true;
    return false;
}

bool TReadAhead::Reserve(int k, std::int64_t bytes) {
    // Most often there is room: taken without the lock.
    if (TryHold(bytes, limits_.Budget))
        return true;
    std::unique_lock lock(mutex_);
    // No wait here may hang on the loop while the loop waits for k: the file
    // it waits for goes ahead whatever is held, and texts kept for later
    // files make way for earlier ones.
    bool held = false;
    ++reserving_;
    budget_.wait(lock, [&] {
        if (stop_.load())
            return true;
        const bool front = k <= front_.load();
        MakeRoom(k, bytes, front);
        if (front)
            held_.fetch_add(bytes);
        held = front || TryHold(bytes, limits_.Budget);
        return held;
    });
    --reserving_;
    return held;
}

void TReadAhead::MakeRoom(int k, std::int64_t bytes, bool always) {
    if (held_ + bytes <= limits_.Budget)
        return;
    if (!always) {
        std::int64_t later = 0;
        for (auto it = kept_.upper_bound(k); it != kept_.end(); ++it)
            later += static_cast<std::int64_t>(texts_[std::size_t(*it)].size());
        if (held_ - later + bytes > limits_.Budget)
            return; // texts being searched must end first
    }
    while (held_ + bytes > limits_.Budget && !kept_.empty() && *kept_.rbegin() > k)
        Drop(*kept_.rbegin());
}

void TReadAhead::Drop(int j) {
    kept_.erase(j);
    std::string& text = texts_[std::size_t(j)];
    held_.fetch_sub(static_cast<std::int64_t>(text.size()));
    std::string().swap(text);
    stamps_[std::size_t(j)].Valid = false; // the loop reads the file itself
}

void TReadAhead::Release(std::int64_t bytes) {
    // A worker waiting for room sees what was given back, or is woken here.
    held_.fetch_sub(bytes);
    if (reserving_.load() > 0) {
        { std::lock_guard lock(mutex_); }
        budget_.notify_all();
    }
}

void TReadAhead::Work() {
    std::vector<std::unique_ptr<TRERichEdit>> engines;
    try {
        for (const TRule& rule : rules_)
            engines.push_back(MakeEngine(rule));
    } catch (...) {
        engines.clear();
    }
    std::string text, converted;
    for (;;) {
        const int k = next_.fetch_add(1);
        if (k >= files_.size() || stop_.load())
            break;
        TFinding finding = TFinding::Unknown;
        if (!engines.empty() && !skip_[std::size_t(k)]) {
            try {
                finding = Look(k, text, converted, engines);
            } catch (...) {
                finding = TFinding::Unknown;
            }
            // Kept, however large, for the next file: fresh memory would
            // have to be zeroed again.
            text.clear();
            converted.clear();
        }
        // The loop is woken only when it waits for this very file; it says
        // so before it looks at the finding, so one of the two sees the other.
        findings_[std::size_t(k)].store(std::uint8_t(finding));
        if (awaited_.load() == k) {
            { std::lock_guard lock(mutex_); }
            done_.notify_all();
        }
    }
}

TReadAhead::TFinding TReadAhead::Look(int k, std::string& text, std::string& converted,
                                      std::vector<std::unique_ptr<TRERichEdit>>& engines) {
    const QString& path = files_[k];
    const TFileStamp before = TakeFileStamp(path);
    if (!before.Valid || before.Size > limits_.FileLimit)
        return TFinding::Unknown;
    // Text and converted text; a file that grew since is refused below.
    const std::int64_t reserved = 2 * before.Size;
    if (!Reserve(k, reserved))
        return TFinding::Unknown;
    struct Give {
        TReadAhead& self;
        std::int64_t bytes;
        ~Give() { self.Release(bytes); }
    } give{*this, reserved};
    // A file with finds keeps its text for the loop while the read-ahead has room.
    const auto keep = [&](std::string& text, const TFileStamp& stamp) {
        std::lock_guard lock(mutex_);
        const auto size = static_cast<std::int64_t>(text.size());
        MakeRoom(k, size - give.bytes, false);
        std::int64_t held = held_.load();
        do {
            if (held - give.bytes + size > limits_.Budget)
                return;
        } while (!held_.compare_exchange_weak(held, held + size));
        stamps_[std::size_t(k)] = stamp;
        texts_[std::size_t(k)].swap(text);
        kept_.insert(k);
    };

    TFileStamp stamp;
    if (LoadFileChecked(path, text, stamp, std::uint64_t(before.Size), limits_.ForSaving) != TLoadOutcome::Loaded ||
        !stamp.Valid)
        return TFinding::Unknown;
    for (std::size_t r = 0; r < rules_.size(); ++r) {
        TRERichEdit& engine = *engines[r];
        for (int row : rules_[r].Rows) {
            if (stop_.load())
                return TFinding::Unknown;
            const bool plain = row == kNoConversion;
            if (plain) {
                engine.LoadFromString(std::move(text));
            } else {
                TConversionContext ctx;
                ctx.DetectSampleSize = rules_[r].SampleSize;
                engine.LoadFromString(ConvertText(text, row, ctx));
            }
            const bool finds = engine.FindsAnything();
            std::string back = engine.TakeText();
            if (plain)
                text.swap(back);
            else
                converted.swap(back);
            if (finds) {
                keep(text, stamp);
                return TFinding::Finds;
            }
        }
    }
    stamps_[std::size_t(k)] = stamp;
    return TFinding::NoFinds;
}

bool TReadAhead::TakeText(int k, std::string& text, TFileStamp& stamp) {
    if (k < 0 || k >= files_.size() || findings_[std::size_t(k)].load() != std::uint8_t(TFinding::Finds))
        return false;
    std::int64_t size = 0;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        std::string& kept = texts_[std::size_t(k)];
        if (kept.empty() && stamps_[std::size_t(k)].Size != 0)
            return false;
        if (!stamps_[std::size_t(k)].Valid)
            return false;
        size = static_cast<std::int64_t>(kept.size());
        text.swap(kept);
        std::string().swap(kept);
        stamp = stamps_[std::size_t(k)];
        stamps_[std::size_t(k)].Valid = false;
        kept_.erase(k);
        held_.fetch_sub(size);
        wake = reserving_.load() > 0;
    }
    if (wake)
        budget_.notify_all();
    return true;
}

TReadAhead::TFinding TReadAhead::Wait(int k, TFileStamp& stamp, const std::function<bool()>& keepWaiting) {
    if (k < 0 || k >= files_.size())
        return TFinding::Unknown;
    auto& finding = findings_[std::size_t(k)];
    // A worker waiting for room sees the new front, or is woken here.
    if (k > front_.load()) {
        front_.store(k);
        if (reserving_.load() > 0) {
            { std::lock_guard lock(mutex_); }
            budget_.notify_all();
        }
    }
    for (;;) {
        if (finding.load() == std::uint8_t(TFinding::Pending)) {
            std::unique_lock lock(mutex_);
            awaited_.store(k);
            done_.wait_for(lock, std::chrono::milliseconds(20), [&] {
                return finding.load() != std::uint8_t(TFinding::Pending) || stop_.load();
            });
            awaited_.store(-1);
        }
        const auto f = TFinding(finding.load());
        if (f != TFinding::Pending) {
            if (f == TFinding::NoFinds)
                stamp = stamps_[std::size_t(k)];
            return f;
        }
        if (stop_.load() || !keepWaiting())
            return TFinding::Pending;
    }
}
