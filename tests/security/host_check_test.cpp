#include <gtest/gtest.h>

#include "security/host_check.h"

namespace {

TEST(HostCheck, AllowsOnlyLoopbackNames) {
    struct Case {
        std::string value;
        bool allowed;
    };
    const Case cases[] = {
        {"127.0.0.1", true},     {"127.0.0.1:8080", true},     {"localhost", true},
        {"LOCALHOST:8080", true}, {"[::1]", true},              {"[::1]:8080", true},
        {"localhost:", true},     {"evil.example", false},      {"localhost.evil.example", false},
        {"127.0.0.1.nip.io", false}, {"127.0.0.2", false},      {"", false},
        {"localhost:80:80", false}, {"localhost:abc", false},   {"[::2]", false},
        {"[::1]x", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isLoopbackHost(c.value), c.allowed) << c.value;
}

TEST(HostCheck, FindsForeignHostHeaderLines) {
    struct Case {
        std::string block;
        std::optional<std::string> foreign;
    };
    const Case cases[] = {
        {"GET / HTTP/1.1\r\nHost: localhost:8080", std::nullopt},
        {"GET / HTTP/1.1\r\nhost:\tevil.example \r\nX: 1", std::string("evil.example")},
        {"GET / HTTP/1.1\r\nHOST: 127.0.0.1\r\nHost: evil.example", std::string("evil.example")},
        {"GET / HTTP/1.1\r\nX-Forwarded-Host: evil.example", std::nullopt},  // not at a line start
        {"GET / HTTP/1.1\r\nUser-Agent: x\r\n", std::nullopt},
        {"GET /host:evil HTTP/1.1", std::nullopt},  // the request line is no header
        {"", std::nullopt},
        {"GET / HTTP/1.1\r\nHost:", std::string("")},
    };
    for (const Case& c : cases) EXPECT_EQ(findForeignHost(c.block), c.foreign) << c.block;
}

}  // namespace
