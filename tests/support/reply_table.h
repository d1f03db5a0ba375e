#pragma once
// The one request -> reply table, run in-process through respond(), against
// the Linux binary and against the exe under wine. Replies and console lines
// are exact, but for "{token}" (a token's 32 to 64 hex digits), "{digits}",
// "{base64}" and "{quality}" (0 to 100), which stand for text that varies from
// run to run.

#include <string>
#include <vector>

// A server as the table sees it: a request in, the reply's bytes out, and the
// console lines it printed since the last call.
class ServerUnderTest {
public:
    virtual ~ServerUnderTest() = default;
    virtual std::string exchange(const std::string& request) = 0;
    virtual std::vector<std::string> outLines(std::size_t count) = 0;
    virtual std::vector<std::string> errLines(std::size_t count) = 0;
};

// Runs every case against a server started with --origin origin; "{token}" in
// a request stands for a token the table fetches first. Failures are reported
// through GoogleTest, each with its case's name.
void runReplyTable(ServerUnderTest& server, const std::string& origin);
