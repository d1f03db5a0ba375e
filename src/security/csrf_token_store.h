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

#include "platform/net.h"

// Nanoseconds since the monotonic clock's epoch.
using MonotonicNanos = std::int64_t;
using MonotonicClock = std::function<MonotonicNanos()>;

inline constexpr MonotonicNanos tokenLifetimeNanos = 86'400'000'000'000;

MonotonicNanos steadyClockNanos();

// The token text for 32 values of 0 to 255 drawn from an MT19937 engine seeded
// with the low 32 bits of seed: each in lowercase hex without leading zeros.
std::string makeTokenText(std::uint32_t seed);

// Issued tokens and their creation times, safe to use from any thread.
class CsrfTokenStore {
public:
    explicit CsrfTokenStore(MonotonicClock clock = steadyClockNanos);

    // Purges tokens older than the lifetime, makes and stores a new one.
    std::string issue();

    // True for a stored token younger than the lifetime. An expired token is erased.
    bool accept(std::string_view token);

    std::size_t size() const;

private:
    void purgeExpired(MonotonicNanos now);

    MonotonicClock clock_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, MonotonicNanos> created_;
    // Tokens in the order issued (creation times never decrease), so a purge
    // stops at the first live one instead of walking every token.
    std::deque<std::pair<MonotonicNanos, std::string>> issueOrder_;
};

// The process-wide store.
CsrfTokenStore& processTokenStore();

// Issues a token from the process-wide store and prints it.
std::string generateCsrfToken();

// Answers /api/config with a new token.
void handleConfig(Socket socket, const std::string& allowedOrigin);

// The gate on protected requests. On refusal it prints the failure line, sends
// the 403 reply, shuts the socket down and closes it, and returns false.
bool checkCsrfToken(Socket socket, const std::string& path, std::string_view headerBlock,
                    const std::string& allowedOrigin);
