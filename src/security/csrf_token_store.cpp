#include "security/csrf_token_store.h"

MonotonicNanos steadyClockNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

std::string tokenTextOf(const std::uint8_t (&numbers)[32]) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string token;
    token.reserve(64);
    for (std::uint8_t value : numbers) {
        if (value >= 16) token.push_back(hexDigits[value >> 4]);
        token.push_back(hexDigits[value & 15]);
    }
    return token;
}

}  // namespace

CsrfTokenStore::CsrfTokenStore(MonotonicClock clock, RandomBytes random, std::size_t capacity)
    : clock_(std::move(clock)), random_(std::move(random)), capacity_(capacity) {}

std::string CsrfTokenStore::issue() {
    std::lock_guard lock(mutex_);
    purgeExpired(clock_());
    if (created_.size() >= capacity_) dropOldest();
    std::uint8_t numbers[32];
    random_(numbers, sizeof numbers);
    std::string token = tokenTextOf(numbers);
    MonotonicNanos createdAt = clock_();
    created_[token] = createdAt;
    issueOrder_.emplace_back(createdAt, token);
    return token;
}

void CsrfTokenStore::purgeExpired(MonotonicNanos now) {
    while (!issueOrder_.empty() && now - issueOrder_.front().first > tokenLifetimeNanos) {
        const auto& [issuedAt, token] = issueOrder_.front();
        // A token issued again since, or already erased by a check, has no entry of this time.
        auto found = created_.find(token);
        if (found != created_.end() && found->second == issuedAt) created_.erase(found);
        issueOrder_.pop_front();
    }
}

void CsrfTokenStore::dropOldest() {
    while (!issueOrder_.empty()) {
        auto [issuedAt, token] = std::move(issueOrder_.front());
        issueOrder_.pop_front();
        auto found = created_.find(token);
        if (found != created_.end() && found->second == issuedAt) {
            created_.erase(found);
            return;
        }
    }
}

bool CsrfTokenStore::accept(std::string_view token) {
    if (token.empty()) return false;
    std::lock_guard lock(mutex_);
    auto found = created_.find(std::string(token));
    if (found == created_.end()) return false;
    if (clock_() - found->second < tokenLifetimeNanos) return true;
    created_.erase(found);
    return false;
}

std::size_t CsrfTokenStore::size() const {
    std::lock_guard lock(mutex_);
    return created_.size();
}
