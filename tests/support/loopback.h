#pragma once
// Talking to a server over real loopback sockets, as a client would: blocking
// sockets with a time-out, so a server that never answers fails the test
// instead of hanging it.

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "platform/net.h"
#include "server/accept_loop.h"

// A connection to 127.0.0.1 (or ::1 with ipv6) on the port; throws when refused.
Socket connectToLoopback(int port, bool ipv6 = false);
// Whether the loopback takes IPv6 connections here (a namespace may have no ::1).
bool hasIPv6Loopback();
// Reads and writes give up after that long.
void setIoTimeout(Socket socket, int seconds);
void sendText(Socket socket, std::string_view text);
// Whether bytes or the end arrive within the wait.
bool waitReadable(Socket socket, std::chrono::milliseconds wait);

// Sends the bytes, ends the sending side, and reads until the server closes.
std::string sendRequest(int port, const std::string& request, bool ipv6 = false);
std::string readUntilClosed(Socket socket);
// A fresh token from the server's /api/config.
std::string tokenFrom(int port);
// The body of the reply to `requestLine` ("GET /api/status") carrying the token.
std::string bodyOf(int port, const std::string& requestLine, const std::string& token);

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
