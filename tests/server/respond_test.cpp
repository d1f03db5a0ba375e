#include <gtest/gtest.h>

#include "scanner/simulated_scanner.h"
#include "server/respond.h"
#include "support/console_lines.h"
#include "support/reply_table.h"

namespace {

// respond() with the simulated scanner, as the Linux binary runs it.
struct InProcess : ServerUnderTest {
    std::string exchange(const std::string& request) override {
        ReplyBytes reply = respond(services, request);
        return reply.head + reply.body;
    }
    std::vector<std::string> outLines(std::size_t count) override { return take(console.out, count); }
    std::vector<std::string> errLines(std::size_t count) override { return take(console.err, count); }

    ConsoleLines console;
    Services services{simulatedScannerLibrary(), console.sink(), maxLiveTokens,
                      std::get<AllowedOrigins>(parseAllowedOrigins("https://app.example"))};

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
    runReplyTable(server, "https://app.example");
    // Nothing printed beyond what the table expects.
    EXPECT_EQ(server.outLines(1), std::vector<std::string>{""});
    EXPECT_EQ(server.errLines(1), std::vector<std::string>{""});
}

}  // namespace
