#include <gtest/gtest.h>

#include <thread>

#include "support/loopback.h"

namespace {

TEST(SendAll, DeliversHeadAndLargeBodyAsOneStream) {
    for (std::size_t bodySize : {std::size_t{0}, std::size_t{1}, std::size_t{8} << 20}) {
        SocketPair pair = makeLoopbackPair();
        std::string head = "head:";
        std::string body(bodySize, '\0');
        for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 31 + i / 4096);
        bool sent = false;
        // The reader starts late, so the writer fills the socket buffers and must resume.
        std::thread writer([&] {
            sent = sendAll(pair.server, head, body);
            closeSocket(pair.server);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::string received = readUntilClosed(pair.client);
        writer.join();
        closeSocket(pair.client);
        EXPECT_TRUE(sent);
        EXPECT_EQ(received.size(), head.size() + body.size());
        EXPECT_TRUE(received == head + body) << bodySize;
    }
}

TEST(SendAll, ReportsAPeerThatHasGone) {
    SocketPair pair = makeLoopbackPair();
    closeSocket(pair.client);
    std::string body(8 << 20, 'x');
    EXPECT_FALSE(sendAll(pair.server, "head", body));  // and no SIGPIPE ends the test
    closeSocket(pair.server);
}

}  // namespace
