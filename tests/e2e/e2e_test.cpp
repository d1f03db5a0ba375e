// The real server process on 127.0.0.1:8080. These cases hold for every build:
// e2e_tests runs them against the Linux binary, windows_tests against
// fingerbridge.exe under wine (serverLaunch() picks which).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "e2e/server_process.h"
#include "support/loopback.h"

namespace {

const std::string banner = "--- RUNNING LOCAL BIOMETRIC CODE ---";
const std::string warning =
    "Warning: any web site can use the scanner; start with --origin <your page's origin> to allow only your page.";

TEST(EndToEnd, AnswersEveryRequestOfTheTable) {
    const std::string origin = "http://app.example:3000";
    ServerProcess server({"--origin", origin});
    server.waitUntilListening();
    EXPECT_EQ(server.outLines(1)[0], "Futronic device connected automatically.");
    runReplyTable(server, origin);
}

TEST(EndToEnd, TakesTheOriginFromTheCommandLine) {
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        {{}, "*", warning},
        {{"foo", "--origin", "a", "bar", "--origin", "--version"}, "--version", ""},  // the last wins, taken as it is
        {{"--origin=x", "--ORIGIN", "y", "-origin", "z", "--origin"}, "*", warning},  // a lone --origin is ignored
    };
    for (const auto& [arguments, origin, line] : cases) {
        ServerProcess server(arguments);
        EXPECT_EQ(server.waitUntilListening(), (std::vector<std::string>{banner, "Allowed Origin: " + origin,
                                                                          "Server is listening for connections on port 8080..."}));
        if (!line.empty()) {
            EXPECT_EQ(server.errLines(1)[0], line);
        }
        std::string reply = sendRequest(8080, "OPTIONS / HTTP/1.1\r\n\r\n");
        EXPECT_NE(reply.find("\r\nAccess-Control-Allow-Origin: " + origin + "\r\n"), std::string::npos) << reply;
    }
    ServerProcess version({"--origin", "--version", "--origin", "https://a.example\x80", "--version"});
    EXPECT_EQ(version.outLines(2), (std::vector<std::string>{"fingerbridge 1.1.0", ""}));  // and nothing more
    EXPECT_EQ(version.exitStatus(), 0);
    // Refused before the banner (the other refusals: OriginCheck).
    ServerProcess refused({"--origin", "https://a.example\x7f"});
    EXPECT_EQ(refused.errLines(1)[0], "Invalid --origin value: it must be printable ASCII.");
    EXPECT_EQ(refused.exitStatus(), 2);
    EXPECT_EQ(refused.outLines(1)[0], "");
}

TEST(EndToEnd, ListensOnBothLoopbacksAndReportsAPortTaken) {
    {
        ServerProcess first;
        first.waitUntilListening();
        if (hasIPv6Loopback()) {
            EXPECT_TRUE(sendRequest(8080, "GET /api/config HTTP/1.1\r\nHost: [::1]:8080\r\n\r\n", true)
                            .starts_with("HTTP/1.1 200 OK\r\n"));
        }
        ServerProcess second;
        EXPECT_EQ(second.outLines(2), (std::vector<std::string>{banner, "Allowed Origin: *"}));
        EXPECT_EQ(second.errLines(2)[1].substr(0, 13), "bind failed: ");
        EXPECT_EQ(second.exitStatus(), 1);
    }
    if (!hasIPv6Loopback()) GTEST_SKIP() << "no ::1 in this network";
    // Wine's server lets go of a killed exe's ports a little later: a bound on waiting.
    auto take = [](const char* host) {
        ListenResult taken;
        for (int tries = 0; tries < 100 && (taken = listenOn(host, "8080")).socket == invalidSocket; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return taken.socket;
    };
    closeSocket(take("127.0.0.1"));  // free, so that only [::1] can stop the server
    // Someone else on [::1]:8080 could stand in for the service at http://localhost:8080/.
    const Socket impostor = take("::1");
    ASSERT_NE(impostor, invalidSocket);
    ServerProcess server;
    EXPECT_EQ(server.errLines(2)[1].substr(0, 13), "bind failed: ");
    EXPECT_EQ(server.exitStatus(), 1);
    closeSocket(impostor);
}

}  // namespace
