#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <set>
#include <thread>

#include "security/csrf_token_store.h"

namespace {

constexpr MonotonicNanos hour = 3'600'000'000'000;

// A clock the test moves by hand.
struct FakeClock {
    std::shared_ptr<std::atomic<MonotonicNanos>> now = std::make_shared<std::atomic<MonotonicNanos>>(1'000);
    MonotonicClock function() const {
        return [now = now] { return now->load(); };
    }
    void advance(MonotonicNanos by) { *now += by; }
};

TEST(TokenText, IsTheHexOfTheTopByteOfThirtyTwoDraws) {
    for (std::uint32_t seed : {0u, 1u, 5489u, 0xFFFFFFFFu, 123456789u}) {
        std::mt19937 engine(seed);
        std::string expected;
        for (int i = 0; i < 32; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(engine() >> 24));
            expected += hex;
        }
        std::string token = makeTokenText(seed);
        EXPECT_EQ(token, expected) << seed;
        EXPECT_GE(token.size(), 32u);
        EXPECT_LE(token.size(), 64u);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
    }
    // The first output of MT19937 seeded with 5489 is 3499211612 (0xd091bb5c): its top byte is d0.
    EXPECT_EQ(makeTokenText(5489).substr(0, 2), "d0");
}

TEST(CsrfTokenStore, AcceptsIssuedTokensUntilTheyAreADayOld) {
    FakeClock clock;
    CsrfTokenStore store(clock.function());
    std::string token = store.issue();
    struct Step {
        MonotonicNanos advance;
        bool accepted;
    };
    // The token was stored at the third clock reading of issue(), which is `now`.
    const Step steps[] = {
        {0, true}, {hour, true}, {22 * hour, true}, {hour - 1, true},  // 24 h less 1 ns
        {1, false},  // exactly 24 h: expired and erased
        {-10, false},  // gone for good, even if it were younger
    };
    for (const Step& step : steps) {
        clock.advance(step.advance);
        EXPECT_EQ(store.accept(token), step.accepted) << clock.now->load();
    }
    EXPECT_EQ(store.size(), 0u);
}

TEST(CsrfTokenStore, RefusesEmptyAndUnknownTokens) {
    FakeClock clock;
    CsrfTokenStore store(clock.function());
    std::string token = store.issue();
    for (const std::string& bad : {std::string(), std::string("0"), token + "0", token.substr(1)}) {
        EXPECT_FALSE(store.accept(bad)) << bad;
    }
    EXPECT_TRUE(store.accept(token));
}

TEST(CsrfTokenStore, PurgesOnlyTokensOlderThanADay) {
    FakeClock clock;
    CsrfTokenStore store(clock.function());
    std::string oldest = store.issue();
    clock.advance(hour);
    std::string younger = store.issue();
    clock.advance(23 * hour);  // oldest is exactly 24 h old: kept by the purge
    store.issue();
    EXPECT_EQ(store.size(), 3u);
    clock.advance(1);  // now older than 24 h
    store.issue();
    EXPECT_EQ(store.size(), 3u);
    EXPECT_FALSE(store.accept(oldest));
    EXPECT_TRUE(store.accept(younger));
}

TEST(CsrfTokenStore, ReissuedTokenKeepsItsNewTime) {
    // Readings 2^32 ns apart seed the engine alike, so the same text is issued again.
    constexpr MonotonicNanos sameSeedStep = MonotonicNanos{1} << 32;
    FakeClock clock;
    CsrfTokenStore store(clock.function());
    std::string token = store.issue();
    clock.advance(16764 * sameSeedStep);  // a little over 20 hours
    EXPECT_EQ(store.issue(), token);
    EXPECT_EQ(store.size(), 1u);
    clock.advance(5 * hour);  // 25 h after the first issue, 5 h after the second
    store.issue();            // the purge passes over the first issue's time
    EXPECT_TRUE(store.accept(token));
}

TEST(CsrfTokenStore, ManyThreadsIssueAndCheckSafely) {
    CsrfTokenStore store;
    std::vector<std::thread> threads;
    std::atomic<int> accepted{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (store.accept(store.issue())) ++accepted;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(accepted.load(), 1600);
}

}  // namespace
