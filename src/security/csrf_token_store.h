#pragma once
// CSRF tokens: issued by /api/config, required in X-CSRF-Token on protected
// requests, valid for 24 hours from issue.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/random_source.h"

// Nanoseconds since the monotonic clock's epoch.
using MonotonicNanos = std::int64_t;
using MonotonicClock = std::function<MonotonicNanos()>;

// Fills a buffer with unpredictable bytes.
using RandomBytes = std::function<void(std::uint8_t*, std::size_t)>;

inline constexpr MonotonicNanos tokenLifetimeNanos = 86'400'000'000'000;
// Each live token holds about 270 bytes for a day: a flood of /api/config
// requests must not grow the store without end.
inline constexpr std::size_t maxLiveTokens = 100'000;

MonotonicNanos steadyClockNanos();

// Issued tokens and their creation times, safe to use from any thread.
class CsrfTokenStore {
public:
    explicit CsrfTokenStore(MonotonicClock clock = steadyClockNanos, RandomBytes random = fillRandom,
                            std::size_t capacity = maxLiveTokens);

    // Purges tokens older than the lifetime, makes and stores a new one: 32
    // random numbers of 0 to 255, each in lowercase hex without leading zeros.
    // At capacity the oldest live token makes room.
    std::string issue();

    // True for a stored token younger than the lifetime. An expired token is erased.
    bool accept(std::string_view token);

    std::size_t size() const;

private:
    void purgeExpired(MonotonicNanos now);
    void dropOldest();

    MonotonicClock clock_;
    RandomBytes random_;
    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, MonotonicNanos> created_;
    // Tokens in the order issued (creation times never decrease), so a purge
    // stops at the first live one instead of walking every token.
    std::deque<std::pair<MonotonicNanos, std::string>> issueOrder_;
};
