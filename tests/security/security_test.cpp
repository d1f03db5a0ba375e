#include <gtest/gtest.h>

#include "security/csrf_token_store.h"
#include "security/host_check.h"

namespace {

constexpr MonotonicNanos hour = 3'600'000'000'000;

TEST(TokenStore, AcceptsATokenUntilItIsADayOldThenForgetsIt) {
    MonotonicNanos now = 1'000;  // a clock the test moves by hand
    CsrfTokenStore store([&now] { return now; });
    const std::string token = store.issue();
    EXPECT_TRUE(token.size() >= 32 && token.size() <= 64 && token.find_first_not_of("0123456789abcdef") == std::string::npos)
        << token;
    const std::pair<MonotonicNanos, bool> steps[] = {
        {0, true}, {23 * hour, true}, {hour - 1, true},  // 24 h less 1 ns
        {1, false},                                      // exactly 24 h: expired and erased
        {-10, false},                                    // gone for good, even were it younger
    };
    for (const auto& [advance, accepted] : steps) {
        now += advance;
        EXPECT_EQ(store.accept(token), accepted) << now;
    }
    EXPECT_FALSE(store.accept(""));
    EXPECT_FALSE(store.accept(token.substr(1)));
}

TEST(HostCheck, AllowsOnlyLoopbackNames) {
    const std::pair<std::string, bool> hosts[] = {
        {"127.0.0.1", true},       {"127.0.0.1:8080", true}, {"LocalHost:8080", true}, {"[::1]:8080", true},
        {"localhost", true},       {"rebind.example", false}, {"localhost.example", false},
        {"127.0.0.1:80a", false},  {"127.0.0.2", false},      {"", false},
    };
    for (const auto& [host, allowed] : hosts) EXPECT_EQ(isLoopbackHost(host), allowed) << host;
    EXPECT_EQ(findForeignHost("GET / HTTP/1.1\r\nhost:  evil.example \r\nX: 1"), "evil.example");
    EXPECT_EQ(findForeignHost("GET / HTTP/1.1\r\nHost: localhost\r\nHOST: evil.example"), "evil.example");
    EXPECT_EQ(findForeignHost("GET /Host: evil HTTP/1.1\r\nX-Host: evil.example"), std::nullopt);
}

}  // namespace
