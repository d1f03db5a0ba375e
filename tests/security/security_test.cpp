#include <gtest/gtest.h>

#include "security/csrf_token_store.h"
#include "security/host_check.h"
#include "security/origin_check.h"
#include "support/console_lines.h"

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

TEST(TokenStore, WritesRandomNumbersAsHexAndDropsTheOldestAtCapacity) {
    int issued = 0;
    // The issue's number, then 15, 16, 255, 0 over again: no leading zeros, no separators.
    auto fixed = [&issued](std::uint8_t* bytes, std::size_t length) {
        static constexpr std::uint8_t pattern[] = {15, 16, 255, 0};
        for (std::size_t i = 0; i < length; ++i) bytes[i] = i == 0 ? static_cast<std::uint8_t>(issued) : pattern[(i - 1) % 4];
        ++issued;
    };
    CsrfTokenStore store(steadyClockNanos, fixed, 2);
    const std::string first = store.issue();
    EXPECT_EQ(first, "0f10ff0f10ff0f10ff0f10ff0f10ff0f10ff0f10ff0f10ff");
    store.issue(), store.issue();
    EXPECT_EQ(store.size(), 2u);
    EXPECT_FALSE(store.accept(first));
}

TEST(OriginCheck, ParsesTheSettingChoosesTheReplyOriginAndRefusesOtherSites) {
    const std::pair<std::string, std::string> refused[] = {
        {"https://a.example\n", "Invalid --origin value: it must be printable ASCII."},
        {"https://\xc3\xa4.example", "Invalid --origin value: it must be printable ASCII."},
        {"https://a.example,", "Invalid --origin value: a list must name origins, with no empty entry and no *."},
        {"https://a.example, *", "Invalid --origin value: a list must name origins, with no empty entry and no *."},
    };
    for (const auto& [value, line] : refused) EXPECT_EQ(std::get<std::string>(parseAllowedOrigins(value)), line);
    const auto list = std::get<AllowedOrigins>(parseAllowedOrigins("https://a.example , https://b.example"));
    const auto one = std::get<AllowedOrigins>(parseAllowedOrigins(" https://a.example"));
    const auto any = std::get<AllowedOrigins>(parseAllowedOrigins("*"));
    const std::string get = "GET /api/config HTTP/1.1\r\n";
    // Setting, request headers, the reply's origin, the refusal's line ("" when allowed).
    const std::tuple<const AllowedOrigins*, std::string, std::string, std::string> cases[] = {
        {&list, "origin: https://b.example", "https://b.example", ""},
        {&list, "Origin: https://c.example", "https://a.example", "(Origin: 'https://c.example')"},
        {&list, "", "https://a.example", ""},
        {&one, "Origin:\thttps://a.example ", " https://a.example", ""},
        {&one, "Origin: http://127.0.0.1:8080\r\nSec-Fetch-Site: cross-site", " https://a.example", ""},
        {&one, "Origin: null", " https://a.example", "(Origin: 'null')"},
        {&one, "Sec-Fetch-Site: same-site", " https://a.example", "(Sec-Fetch-Site: 'same-site')"},
        {&one, "Sec-Fetch-Site: none\r\nSec-Fetch-Site: cross-site", " https://a.example", ""},
        {&any, "Origin: https://c.example\r\nOrigin: null", "*", ""},
    };
    for (const auto& [origins, headers, replyTo, line] : cases) {
        ConsoleLines console;
        const std::string text = get + headers + "\r\n\r\n";
        const Request request = parseRequest(text);
        EXPECT_EQ(replyOrigin(*origins, request), replyTo) << headers;
        EXPECT_EQ(checkOrigin(*origins, console.console, request).has_value(), !line.empty()) << headers;
        EXPECT_EQ(console.err, line.empty() ? std::vector<std::string>{}
                                            : std::vector<std::string>{"Origin check FAILED for /api/config " + line});
    }
}

TEST(HostCheck, AllowsOnlyLoopbackNames) {
    const std::pair<std::string, bool> hosts[] = {
        {"127.0.0.1", true}, {"127.0.0.1:8080", true}, {"LocalHost:8080", true}, {"[::1]:8080", true},
        {"rebind.example", false}, {"localhost.example", false}, {"127.0.0.1:80a", false}, {"", false},
    };
    for (const auto& [host, allowed] : hosts) EXPECT_EQ(isLoopbackHost(host), allowed) << host;
    // Every Host header counts, named in any case at a line start.
    for (const auto& [headers, refused] : {std::pair{"host:  evil.example \r\nX: 1", true},
                                           {"Host: localhost\r\nHOST: evil.example", true},
                                           {"X-Host: evil.example\r\nHost : evil.example", false}}) {
        ConsoleLines console;
        EXPECT_EQ(checkHost(console.console, parseRequest(std::string("GET / HTTP/1.1\r\n") + headers + "\r\n\r\n")).has_value(), refused);
        EXPECT_EQ(console.err, refused ? std::vector<std::string>{"Host check FAILED for / (Host: 'evil.example')"}
                                       : std::vector<std::string>{}) << headers;
    }
}

}  // namespace
