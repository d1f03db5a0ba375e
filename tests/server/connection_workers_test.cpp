#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "server/connection_workers.h"
#include "support/loopback.h"

namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000 && !condition(); ++i) std::this_thread::sleep_for(10ms);
    return condition();
}

std::string configRequest() { return "GET /api/config HTTP/1.1\r\n\r\n"; }

TEST(ConnectionWorkers, ReusesAnIdleThreadForTheNextConnection) {
    ConnectionWorkers workers(10s);
    for (int i = 0; i < 5; ++i) {
        SocketPair pair = makeLoopbackPair();
        sendAll(pair.client, configRequest().data(), configRequest().size());
        workers.serve(pair.server, "*");
        EXPECT_EQ(parseReply(readUntilClosed(pair.client)).statusLine, "HTTP/1.1 200 OK");
        closeSocket(pair.client);
        ASSERT_TRUE(waitFor([&] { return workers.busy() == 0; }));
    }
    EXPECT_EQ(workers.threads(), 1u);
}

TEST(ConnectionWorkers, GivesEverySlowConnectionAThreadOfItsOwn) {
    ConnectionWorkers workers(50ms);
    // Ten clients that send nothing yet would hold up an eleventh in any bounded pool.
    std::vector<SocketPair> silent;
    for (int i = 0; i < 10; ++i) {
        silent.push_back(makeLoopbackPair());
        workers.serve(silent.back().server, "*");
    }
    SocketPair answered = makeLoopbackPair();
    sendAll(answered.client, configRequest().data(), configRequest().size());
    workers.serve(answered.server, "*");
    EXPECT_EQ(parseReply(readUntilClosed(answered.client)).statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(workers.threads(), 11u);
    for (SocketPair& pair : silent) closeSocket(pair.client);
    closeSocket(answered.client);
    // Idle threads end once their lifetime has passed.
    EXPECT_TRUE(waitFor([&] { return workers.threads() == 0; }));
    EXPECT_EQ(workers.busy(), 0u);
}

}  // namespace
