#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "scanner/simulated_scanner.h"
#include "server/respond.h"
#include "support/console_lines.h"
#include "support/reply_table.h"

namespace {

const std::string origin = "https://app.example/\"\\";  // as given, JSON-escaped in /api/status

// A JSON string of any bytes: each outside printable ASCII, and the quote and backslash, as \u00XX.
std::string jsonText(std::string_view bytes) {
    std::string text = "\"";
    for (unsigned char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        text += c < 0x20 || c > 0x7E || c == '"' || c == '\\' ? std::string(escaped) : std::string(1, static_cast<char>(c));
    }
    return text + "\"";
}

// respond() with the simulated scanner, as the Linux binary runs it; each request and reply go to
// FINGERBRIDGE_REPLY_LOG, when set, as a JSON pair to check against docs/openapi.yaml.
struct InProcess : ServerUnderTest {
    std::string exchange(const std::string& request) override {
        ReplyBytes reply = respond(services, request);
        log += (log.empty() ? "[[" : ",\n[") + jsonText(request) + ", " + jsonText(reply.head + reply.body) + "]";
        return reply.head + reply.body;
    }
    ~InProcess() override {
        if (const char* file = std::getenv("FINGERBRIDGE_REPLY_LOG")) std::ofstream(file) << log << "]\n";
    }
    std::string log;
    std::vector<std::string> outLines(std::size_t count) override { return take(console.out, count); }
    std::vector<std::string> errLines(std::size_t count) override { return take(console.err, count); }

    ConsoleLines console;
    Services services{simulatedScannerLibrary(), console.sink(), maxLiveTokens,
                      std::get<AllowedOrigins>(parseAllowedOrigins(origin))};

    // The first count lines not taken yet, "" for each missing one.
    static std::vector<std::string> take(std::vector<std::string>& lines, std::size_t count) {
        lines.resize(std::max(lines.size(), count));
        std::vector<std::string> taken(lines.begin(), lines.begin() + static_cast<long>(count));
        lines.erase(lines.begin(), lines.begin() + static_cast<long>(count));
        return taken;
    }
};

TEST(Respond, AnswersEveryRequestOfTheTable) {
    InProcess server;
    server.services.scanner.start(server.services.console);
    ASSERT_EQ(server.outLines(1), std::vector<std::string>{"Futronic device connected automatically."});
    runReplyTable(server, origin);
    // Nothing printed beyond what the table expects.
    EXPECT_EQ(server.outLines(1), std::vector<std::string>{""});
    EXPECT_EQ(server.errLines(1), std::vector<std::string>{""});
}

}  // namespace
