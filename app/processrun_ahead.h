#pragma once

#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/srinfo.h"
#include "services/filestamp.h"

// Reads the files of a run ahead of its loop on worker threads and searches
// each with every checked rule in every one of the rule's code pages, so that
// the loop can pass over a file in which nothing is found without loading and
// searching it again. Nothing here changes a file or any state of the run.
class TReadAhead {
public:
    enum class TFinding : std::uint8_t {
        Pending, // not looked at yet
        Unknown, // not looked at, or could not be: the loop takes the file as usual
        Finds,   // some rule finds something in some code page
        NoFinds, // no rule finds anything in any of its code pages
    };

    // What the workers need of one checked rule.
    struct TRule {
        bool Masked = false;
        bool IgnoreMode = false;
        bool MatchCase = false;
        bool WholeWord = false;
        std::string Source; // Windows-1251
        std::vector<int> Rows; // conversion rows of the code pages; kNoConversion for none
        int SampleSize = 0;    // leading bytes examined by detection, 0 = all
    };

    // Files larger than this are left to the loop: its own read and search
    // of such a file cost no more than waiting for a worker's, and the
    // workers' copies would only crowd the budget.
    static constexpr std::int64_t kFileLimit = std::int64_t{1} << 20;
    // The texts the workers hold at once, at most: those being searched and
    // those kept for the loop.
    static constexpr std::int64_t kBudget = std::int64_t{64} << 20;

    // Fewer workers than this cannot beat the loop alone.
    static constexpr int kMinWorkers = 3;

    struct TLimits {
        std::int64_t FileLimit = kFileLimit;
        std::int64_t Budget = kBudget;
        // Whether a file read may be saved: its stamp then gets the path it was read from.
        bool ForSaving = true;
    };

    // The rules as the workers take them; nullopt-like empty vector and false
    // when a search pattern does not compile (the loop then meets it).
    static bool MakeRules(const std::vector<const TSRInfo*>& rules, std::vector<TRule>& out);

    // Starts the workers at once. skip[k] set: file k is left to the loop.
    TReadAhead(QStringList files, std::vector<TRule> rules, std::vector<bool> skip, int workers);
    TReadAhead(QStringList files, std::vector<TRule> rules, std::vector<bool> skip, int workers, TLimits limits);
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // Waits for file k, asking keepWaiting every 20 ms whether to go on
    // waiting; Pending when it said no. The stamp is the file's as it was read.
    // From here on file k is never refused room.
    TFinding Wait(int k, TFileStamp& stamp, const std::function<bool()>& keepWaiting);
    // After Wait gave Finds: the file's text as the worker read it, and its
    // stamp, when the worker could keep it within the read-ahead; false when not.
    bool TakeText(int k, std::string& text, TFileStamp& stamp);
    // Ends the workers' work; a file under way ends at its next code page.
    void Stop();

    static int DefaultWorkers();

private:
    void Work();
    TFinding Look(int k, std::string& text, std::string& converted, std::vector<std::unique_ptr<class TRERichEdit>>& engines);
    // Room for file k's texts. Never refused to the lowest file the loop has
    // not had, so that the file the loop waits for can always be read.
    bool Reserve(int k, std::int64_t bytes);
    // Takes `bytes` more when they fit under limit, or when nothing is held.
    bool TryHold(std::int64_t bytes, std::int64_t limit);
    void Release(std::int64_t bytes);
    // With mutex_ held: gives up texts kept for files after k, the last
    // first, until `bytes` more fit the budget; only when that is enough, or
    // as far as it goes when `always`.
    void MakeRoom(int k, std::int64_t bytes, bool always);
    // With mutex_ held: gives up the text kept for file j.
    void Drop(int j);

    const QStringList files_;
    const std::vector<TRule> rules_;
    const std::vector<bool> skip_;
    const TLimits limits_;
    std::vector<std::atomic<std::uint8_t>> findings_;
    std::vector<TFileStamp> stamps_; // written before the finding is published
    std::vector<std::string> texts_; // texts of files with finds, kept for the loop
    std::set<int> kept_;             // the files whose texts are kept
    std::atomic<int> front_{0};      // the lowest file the loop has not had
    std::atomic<int> reserving_{0};  // workers waiting for room (changed under mutex_)
    std::atomic<int> awaited_{-1};   // the file the loop sleeps on, -1 none (set under mutex_)
    std::atomic<int> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable done_;   // a finding was published
    std::condition_variable budget_; // read-ahead was given back
    std::atomic<std::int64_t> held_{0}; // bytes reserved and kept; dropped texts under mutex_
    std::vector<std::thread> workers_;
};
