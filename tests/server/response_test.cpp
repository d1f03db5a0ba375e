#include <gtest/gtest.h>

#include "server/response.h"
#include "support/loopback.h"

namespace {

// The bytes sendResponse puts on a real connection.
std::string buildResponse(std::string_view status, std::string_view contentType, std::string_view body,
                          std::string_view origin) {
    SocketPair pair = makeLoopbackPair();
    sendResponse(pair.server, status, contentType, body, origin);
    closeSocket(pair.server);
    std::string sent = readUntilClosed(pair.client);
    closeSocket(pair.client);
    return sent;
}

TEST(BuildResponse, WritesTheFixedHeadersInOrder) {
    struct Case {
        std::string status, type, body, origin, expected;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK", "text/plain", "OK", "*",
         "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nAccess-Control-Allow-Origin: *\r\n"
         "Content-Length: 2\r\n\r\nOK"},
        {"HTTP/1.1 404 Not Found", "", "", "",
         "HTTP/1.1 404 Not Found\r\nContent-Type: \r\nAccess-Control-Allow-Origin: \r\n"
         "Content-Length: 0\r\n\r\n"},
        {"S", "t", std::string("a\0b", 3), "https://app.example:8443",
         std::string("S\r\nContent-Type: t\r\nAccess-Control-Allow-Origin: https://app.example:8443\r\n"
                     "Content-Length: 3\r\n\r\na\0b", 99)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(buildResponse(c.status, c.type, c.body, c.origin), c.expected) << c.status;
    }
    EXPECT_EQ(buildResponse("HTTP/1.1 200 OK", "text/plain", "OK", "*").size(), 98u);
}

TEST(BuildResponse, LengthDigitsCountBytes) {
    for (std::size_t length : {10u, 123u, 100000u}) {
        std::string reply = buildResponse("HTTP/1.1 200 OK", "x", std::string(length, 'b'), "*");
        EXPECT_NE(reply.find("\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n"),
                  std::string::npos);
        EXPECT_EQ(reply.size() - reply.find("\r\n\r\n") - 4, length);
    }
}

TEST(BuildPreflightResponse, NamesOriginMethodsAndHeaders) {
    std::string reply = buildPreflightResponse("*");
    EXPECT_EQ(reply,
              "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: *\r\n"
              "Access-Control-Allow-Methods: GET, POST, OPTIONS\r\n"
              "Access-Control-Allow-Headers: Content-Type, X-CSRF-Token\r\n"
              "Content-Length: 0\r\n\r\n");
    EXPECT_EQ(reply.size(), 178u);
}

}  // namespace
