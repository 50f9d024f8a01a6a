#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// State of the processing window shared across the program: what the window is
// doing, the standing answers of the user, and the texts it hands to callers.

// Ranges of a text shown in the marking colour: start and length.
using TMarkedRanges = std::vector<std::pair<std::int32_t, std::int32_t>>;

enum TProcessMode { pmSelect, pmView, pmFind, pmReplace, pmEdit };
enum TProcessAnswer { ansYesToFile, ansYesToAll, ansNoToFile, ansNoToAll };

// A small set over an enumeration of at most 32 values.
template <typename E>
class TSmallSet {
public:
    constexpr TSmallSet() = default;
    constexpr TSmallSet(std::initializer_list<E> items) {
        for (E e : items) Include(e);
    }
    constexpr bool Contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr void Include(E e) { bits_ |= bit(e); }
    constexpr void Exclude(E e) { bits_ &= ~bit(e); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Clear() { bits_ = 0; }
    constexpr bool operator==(const TSmallSet&) const = default;

private:
    static constexpr std::uint32_t bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
    std::uint32_t bits_ = 0;
};

using TProcessModes = TSmallSet<TProcessMode>;
using TProcessAnswers = TSmallSet<TProcessAnswer>;

// Modal results of the window, numbered as the platform numbers them.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrYes = 6,
    mrNo = 7,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// What the window is doing; the run empties it for every rule.
extern TProcessModes ProcessModes;
// Standing answers; the run empties them for every rule.
extern TProcessAnswers ProcessAnswers;
// The bytes that were selected when the window was last hidden in select mode.
extern std::string SelectedText;
// The raw bytes of the file shown or processed; select and view mode convert from it.
extern std::string CurrentFileText;
