#include <gtest/gtest.h>

#include "server/request.h"

namespace {

TEST(CutRequestLine, TakesTheFirstTwoSpaceSeparatedFields) {
    struct Case {
        std::string text, method, path;
    };
    const Case cases[] = {
        {"GET /x HTTP/1.1\r\n\r\n", "GET", "/x"},
        {"GET /api/demoscan/single?finger=1 HTTP/1.1\r\n", "GET", "/api/demoscan/single?finger=1"},
        {"NOSPACE", "NOSPACE", "/"},
        {"GET /only-one-space", "GET", "/"},
        {"GET  HTTP/1.1\r\n\r\n", "GET", ""},  // adjacent spaces: empty path
        {"GET\r\nHost: a b\r\n\r\n", "GET\r\nHost:", "a"},  // cut from the whole text
        {"OPTIONS", "OPTIONS", "/"},
        {" /lead x", "", "/lead"},
    };
    for (const Case& c : cases) {
        RequestLine line = cutRequestLine(c.text);
        EXPECT_EQ(line.method, c.method) << c.text;
        EXPECT_EQ(line.path, c.path) << c.text;
    }
}

TEST(GetHeaderValue, FindsTheFirstExactKeyAndTrims) {
    const std::string block =
        "GET / HTTP/1.1\r\nX-CSRF-Token: \t abc def \t\r\nX-Empty: \t \r\nx-lower: no\r\nLast: end";
    struct Case {
        std::string name, value;
    };
    const Case cases[] = {
        {"X-CSRF-Token", "abc def"}, {"X-Empty", ""}, {"X-Lower", ""}, {"x-lower", "no"},
        {"Last", "end"},             {"Missing", ""}, {"CSRF-Token", "abc def"},  // bytes, not names
    };
    for (const Case& c : cases) EXPECT_EQ(getHeaderValue(block, c.name), c.value) << c.name;
    EXPECT_EQ(getHeaderValue("X-CSRF-Token:abc", "X-CSRF-Token"), "");  // no space after the colon
}

TEST(ParseContentLength, ReadsLikeStrtol) {
    struct Case {
        std::string block;
        std::int64_t length;
    };
    const Case cases[] = {
        {"POST / HTTP/1.1\r\nContent-Length: 42", 42},
        {"POST / HTTP/1.1\r\nContent-Length: 12abc\r\nX: 1", 12},
        {"POST / HTTP/1.1\r\nContent-Length:  \t+7\r\n", 7},
        {"POST / HTTP/1.1\r\nContent-Length: -5\r\n", -5},
        {"POST / HTTP/1.1\r\nContent-Length: abc\r\n", 0},
        {"POST / HTTP/1.1\r\ncontent-length: 42\r\n", 0},
        {"POST / HTTP/1.1\r\nContent-Length:42\r\n", 0},
        {"POST / HTTP/1.1\r\n", 0},
        {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n", INT64_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(parseContentLength(c.block), c.length) << c.block;
}

TEST(HeaderBlockAndBody, SplitAtTheFirstBlankLine) {
    EXPECT_EQ(headerBlockOf("GET / HTTP/1.1\r\nA: b\r\n\r\nbody\r\n\r\nmore"), "GET / HTTP/1.1\r\nA: b");
    EXPECT_EQ(bodyOf("GET / HTTP/1.1\r\nA: b\r\n\r\nbody\r\n\r\nmore"), "body\r\n\r\nmore");
    EXPECT_EQ(headerBlockOf("GET / HTTP/1.1\r\n"), "");
    EXPECT_EQ(bodyOf("GET / HTTP/1.1\r\n"), "");
}

using State = RequestAssembler::State;

// Feeds the pieces one append each and returns the state after each.
std::vector<State> feed(RequestAssembler& request, const std::vector<std::string>& pieces) {
    std::vector<State> states;
    for (const std::string& piece : pieces) {
        request.append(piece.data(), piece.size());
        states.push_back(request.state());
    }
    return states;
}

TEST(RequestAssembler, CompletesWhenHeadersAndDeclaredBodyArrive) {
    struct Case {
        std::vector<std::string> pieces;
        std::vector<State> states;
    };
    const Case cases[] = {
        {{"GET / HTTP/1.1\r\n\r\n"}, {State::complete}},
        {{"GET / HT", "TP/1.1\r\n\r", "\n"}, {State::needMore, State::needMore, State::complete}},
        {{"POST /v HTTP/1.1\r\nContent-Length: 5\r\n\r\nab", "cde"}, {State::needMore, State::complete}},
        {{"POST /v HTTP/1.1\r\nContent-Length: -5\r\n\r\n"}, {State::complete}},
        {{"POST /v HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n"}, {State::needMore}},
        {{"POST /v HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n"}, {State::tooLarge}},
        {{"POST /v HTTP/1.1\r\nContent-Length: 99999999999999\r\n\r\n"}, {State::tooLarge}},
        {{"POST /v HTTP/1.1\r\n", "Content-Length: 2\r\n\r\nxyz"}, {State::needMore, State::complete}},
    };
    for (const Case& c : cases) {
        RequestAssembler request;
        EXPECT_EQ(feed(request, c.pieces), c.states) << c.pieces.front();
    }
}

TEST(RequestAssembler, BoundsTheHeaderBlock) {
    RequestAssembler endless;
    std::string filler(readChunkSize, 'x');
    while (endless.state() == State::needMore && endless.text().size() < 2 * maxHeaderBytes) {
        endless.append(filler.data(), filler.size());
    }
    EXPECT_EQ(endless.state(), State::tooLarge);
    EXPECT_EQ(endless.text().size(), maxHeaderBytes);

    RequestAssembler lateEnd;
    std::string headers = "GET / HTTP/1.1\r\nX: " + std::string(maxHeaderBytes, 'y') + "\r\n\r\n";
    lateEnd.append(headers.data(), headers.size());
    EXPECT_EQ(lateEnd.state(), State::tooLarge);

    RequestAssembler justFits;
    std::string fits = "GET / HTTP/1.1\r\nX: ";
    fits += std::string(maxHeaderBytes - fits.size() - 4, 'z') + "\r\n\r\n";
    justFits.append(fits.data(), fits.size());
    EXPECT_EQ(justFits.state(), State::complete);
}

TEST(RequestAssembler, FindsATerminatorSplitAcrossEveryPair) {
    const std::string request = "GET /split HTTP/1.1\r\nA: b\r\n\r\n";
    for (std::size_t cut = 1; cut < request.size(); ++cut) {
        RequestAssembler assembler;
        assembler.append(request.data(), cut);
        assembler.append(request.data() + cut, request.size() - cut);
        EXPECT_EQ(assembler.state(), State::complete) << cut;
    }
}

}  // namespace
