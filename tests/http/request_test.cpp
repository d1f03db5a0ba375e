#include <gtest/gtest.h>

#include "http/request.h"

namespace {

TEST(Request, ReadsTheDeclaredLength) {
    const std::pair<std::string, std::int64_t> cases[] = {
        {"POST / HTTP/1.1\r\nContent-Length: 12", 12},
        {"POST / HTTP/1.1\r\nContent-Length: 12abc\r\nX: 1", 12},
        {"POST / HTTP/1.1\r\nContent-Length:  \t+7", 7},
        {"POST / HTTP/1.1\r\nContent-Length: -5", -5},
        {"POST / HTTP/1.1\r\nContent-Length: x12", 0},
        {"POST / HTTP/1.1\r\ncontent-length: 12", 0},    // the name is case-sensitive
        {"POST / HTTP/1.1\r\nContent-Length:12", 0},     // and needs its space
        {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999", INT64_MAX},
    };
    for (const auto& [block, length] : cases) EXPECT_EQ(parseContentLength(block), length) << block;
}

TEST(Request, FindsHeaderValuesAndCutsTheRequestLine) {
    const std::string block = "GET /a HTTP/1.1\r\nX-CSRF-Token: \t a b \t\r\nEmpty: \r\nLast: end";
    EXPECT_EQ(getHeaderValue(block, "X-CSRF-Token"), "a b");
    EXPECT_EQ(getHeaderValue(block, "Empty"), "");
    EXPECT_EQ(getHeaderValue(block, "Last"), "end");
    EXPECT_EQ(getHeaderValue(block, "x-csrf-token"), "");
    const std::tuple<std::string, std::string, std::string> lines[] = {
        {"GET /a?b HTTP/1.1\r\n", "GET", "/a?b"},
        {"GET  HTTP/1.1", "GET", ""},
        {"GET /only-one-space", "GET", "/"},
        {"NOSPACE", "NOSPACE", "/"},
        {"POST\r\nX: a b c", "POST\r\nX:", "a"},  // the whole text is cut, not its first line
    };
    for (const auto& [text, method, path] : lines) {
        RequestLine line = cutRequestLine(text);
        EXPECT_EQ(line.method, method) << text;
        EXPECT_EQ(line.path, path) << text;
    }
}

TEST(Request, KnowsWhenARequestIsWholeOrTooLarge) {
    const std::pair<std::string, RequestState> cases[] = {
        {"GET / HTTP/1.1\r\n", RequestState::needMore},
        {"GET / HTTP/1.1\r\n\r\n", RequestState::complete},
        {"POST / HTTP/1.1\r\nContent-Length: 4\r\n\r\nab", RequestState::needMore},
        {"POST / HTTP/1.1\r\nContent-Length: 4\r\n\r\nabcdef", RequestState::complete},
        {"POST / HTTP/1.1\r\nContent-Length: -4\r\n\r\n", RequestState::complete},
        {"POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n", RequestState::needMore},
        {"POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n", RequestState::tooLarge},
        {std::string(65535, 'x'), RequestState::needMore},
        {std::string(65536, 'x'), RequestState::tooLarge},
        {std::string(65533, 'x') + "\r\n\r\n", RequestState::tooLarge},
    };
    for (const auto& [text, state] : cases) {
        EXPECT_EQ(requestState(text), state) << text.substr(0, 60);
        // Byte by byte, the terminator split across reads, the assembler agrees.
        RequestAssembler assembler;
        for (std::size_t i = 0; i < text.size() && assembler.state() == RequestState::needMore; i += 3) {
            assembler.append(text.data() + i, std::min<std::size_t>(3, text.size() - i));
        }
        EXPECT_EQ(assembler.state(), state) << text.substr(0, 60);
    }
}

}  // namespace
