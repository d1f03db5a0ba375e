// The real server process on 127.0.0.1:8080. These cases hold for every build:
// e2e_tests runs them against the Linux binary, windows_tests against
// fingerbridge.exe under wine (serverLaunch() picks which).
#include <gtest/gtest.h>

#include "e2e/server_process.h"
#include "support/loopback.h"

namespace {

const std::string banner = "--- RUNNING LOCAL BIOMETRIC CODE ---";

TEST(EndToEnd, AnswersEveryRequestOfTheTable) {
    const std::string origin = "http://app.example:3000";
    ServerProcess server({"--origin", origin});
    server.waitUntilListening();
    EXPECT_EQ(server.nextOutLine(), "Futronic device connected automatically.");
    runReplyTable(server, origin);
}

TEST(EndToEnd, TakesTheOriginFromTheCommandLine) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "*"},
        {{"foo", "--origin", "a", "bar", "--origin", "--origin"}, "--origin"},  // the last wins, taken as it is
        {{"--origin=x", "--ORIGIN", "y", "-origin", "z", "--origin"}, "*"},     // a lone --origin is ignored
        {{"--origin", ""}, ""},
    };
    for (const auto& [arguments, origin] : cases) {
        ServerProcess server(arguments);
        EXPECT_EQ(server.waitUntilListening(), (std::vector<std::string>{banner, "Allowed Origin: " + origin,
                                                                 "Server is listening for connections on port 8080..."}));
        std::string reply = sendRequest(8080, "OPTIONS / HTTP/1.1\r\n\r\n");
        EXPECT_NE(reply.find("\r\nAccess-Control-Allow-Origin: " + origin + "\r\n"), std::string::npos) << reply;
    }
}

TEST(EndToEnd, ReportsAPortTakenAndExits) {
    ServerProcess first;
    first.waitUntilListening();
    ServerProcess second;
    EXPECT_EQ(second.outLines(2), (std::vector<std::string>{banner, "Allowed Origin: *"}));
    EXPECT_TRUE(second.nextErrLine().starts_with("bind failed: "));
    EXPECT_EQ(second.exitStatus(), 1);
}

}  // namespace
