#pragma once
// Talking to a server over real loopback sockets.

#include <atomic>
#include <string>
#include <thread>

#include "platform/net.h"
#include "server/accept_loop.h"

Socket connectToLoopback(int port);

// Sends the bytes, ends the sending side, and reads until the server closes.
std::string sendRequest(int port, const std::string& request);
std::string readUntilClosed(Socket socket);

// The real accept loop on an ephemeral port, in this process; stopped and
// joined, its connections finished, when it goes out of scope.
class TestServer {
public:
    explicit TestServer(Services& services, ConnectionLimits limits = {});
    ~TestServer();
    int port() const { return port_; }

private:
    Socket listener_ = invalidSocket;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread loop_;
};
