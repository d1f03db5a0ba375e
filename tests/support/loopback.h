#pragma once
// Test helpers for talking to the server over real loopback sockets.

#include <atomic>
#include <string>
#include <thread>

#include "platform/net.h"

Socket connectToLoopback(int port);

// Sends the bytes, ends the sending side, and reads until the server closes.
std::string sendRequest(int port, const std::string& request);
std::string readUntilClosed(Socket socket);

// Both ends of a connected TCP pair on loopback.
struct SocketPair {
    Socket server = invalidSocket;
    Socket client = invalidSocket;
};
SocketPair makeLoopbackPair();

// The real accept loop on an ephemeral port, in this process; stopped and
// joined when it goes out of scope.
class TestServer {
public:
    explicit TestServer(std::string origin = "*");
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;
    int port() const { return port_; }

private:
    Socket listener_ = invalidSocket;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread loop_;
};

// Splits a raw HTTP reply into its header block and body.
struct ParsedReply {
    std::string statusLine;
    std::string headers;  // everything before the blank line
    std::string body;
};
ParsedReply parseReply(const std::string& reply);

// A token from /api/config of a running server.
std::string fetchToken(int port);
