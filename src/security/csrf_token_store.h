#pragma once
// CSRF tokens: issued by /api/config, required in X-CSRF-Token on protected
// requests, valid for 24 hours from issue.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

// Nanoseconds since the monotonic clock's epoch.
using MonotonicNanos = std::int64_t;
using MonotonicClock = std::function<MonotonicNanos()>;

inline constexpr MonotonicNanos tokenLifetimeNanos = 86'400'000'000'000;
inline constexpr std::size_t unlimitedTokens = std::numeric_limits<std::size_t>::max();

MonotonicNanos steadyClockNanos();

// The token text for 32 values of 0 to 255 drawn from an MT19937 engine seeded
// with the low 32 bits of seed: each in lowercase hex without leading zeros.
std::string makeTokenText(std::uint32_t seed);

// Issued tokens and their creation times, safe to use from any thread.
class CsrfTokenStore {
public:
    explicit CsrfTokenStore(MonotonicClock clock = steadyClockNanos, std::size_t capacity = unlimitedTokens);

    // Purges tokens older than the lifetime, makes and stores a new one; at
    // capacity the oldest live token makes room.
    std::string issue();

    // True for a stored token younger than the lifetime. An expired token is erased.
    bool accept(std::string_view token);

    std::size_t size() const;

private:
    void purgeExpired(MonotonicNanos now);
    void dropOldest();

    MonotonicClock clock_;
    std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, MonotonicNanos> created_;
    // Tokens in the order issued (creation times never decrease), so a purge
    // stops at the first live one instead of walking every token.
    std::deque<std::pair<MonotonicNanos, std::string>> issueOrder_;
};
