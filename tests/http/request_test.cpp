#include <gtest/gtest.h>

#include "http/request.h"

namespace {

// When reading stops: the declared length read like strtol from exactly
// "Content-Length: ", and the limits that keep a connection's memory bounded.
TEST(Request, KnowsWhenARequestIsWholeOrTooLarge) {
    const std::string post = "POST / HTTP/1.1\r\n";
    const std::pair<std::string, RequestState> cases[] = {
        {post + "\r\n", RequestState::complete},
        {post + "Content-Length: 4\r\n\r\nab", RequestState::needMore},
        {post + "Content-Length: 4\r\n\r\nabcdef", RequestState::complete},
        {post + "Content-Length:  \t+3xyz\r\n\r\nab", RequestState::needMore},
        {post + "Content-Length: x3\r\n\r\n", RequestState::complete},
        {post + "content-length: 3\r\n\r\n", RequestState::complete},   // the name is case-sensitive
        {post + "Content-Length:3\r\n\r\n", RequestState::complete},    // and needs its space
        {post + "Content-Length: -4\r\n\r\n", RequestState::complete},
        {post + "Content-Length: 1048576\r\n\r\n", RequestState::needMore},
        {post + "Content-Length: 1048577\r\n\r\n", RequestState::tooLarge},
        {post + "Content-Length: 99999999999999999999999\r\n\r\n", RequestState::tooLarge},
        {std::string(65535, 'x'), RequestState::needMore},
        {std::string(65536, 'x'), RequestState::tooLarge},
        {std::string(65533, 'x') + "\r\n\r\n", RequestState::tooLarge},
    };
    for (const auto& [text, state] : cases) {
        EXPECT_EQ(parseRequest(text).state, state) << text.substr(0, 60);
        // Three bytes at a time, the terminator split across reads, the assembler agrees.
        RequestAssembler assembler;
        for (std::size_t i = 0; i < text.size() && assembler.state() == RequestState::needMore; i += 3) {
            assembler.append(text.data() + i, std::min<std::size_t>(3, text.size() - i));
        }
        EXPECT_EQ(assembler.state(), state) << text.substr(0, 60);
    }
}

}  // namespace
