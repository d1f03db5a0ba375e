#include "support/loopback.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "server/accept_loop.h"

Socket connectToLoopback(int port) {
    int client = ::socket(AF_INET, SOCK_STREAM, 0);
    if (client < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(client);
        throw std::runtime_error("connect failed");
    }
    // A server that never answers fails the test instead of hanging it.
    setIoTimeout(static_cast<Socket>(client), 20);
    return static_cast<Socket>(client);
}

std::string readUntilClosed(Socket socket) {
    std::string received;
    char buffer[65536];
    for (;;) {
        long got = receiveSome(socket, buffer, sizeof buffer);
        if (got <= 0) break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
}

std::string sendRequest(int port, const std::string& request) {
    Socket client = connectToLoopback(port);
    sendAll(client, request.data(), request.size());
    shutdownSend(client);  // no more to come: an incomplete request is served as it stands
    std::string reply = readUntilClosed(client);
    closeSocket(client);
    return reply;
}

SocketPair makeLoopbackPair() {
    // A plain listener: the server's own would hold the connection back until
    // its first bytes arrive, and the test sends only after accepting.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("listen failed");
    }
    SocketPair pair;
    pair.client = connectToLoopback(ntohs(address.sin_port));
    pair.server = acceptConnection(static_cast<Socket>(listener));
    ::close(listener);
    return pair;
}

TestServer::TestServer(std::string origin) {
    startNetwork();
    ListenResult listening = listenOn("127.0.0.1", "0");
    if (listening.socket == invalidSocket) throw std::runtime_error("listen failed");
    listener_ = listening.socket;
    port_ = localPort(listener_);
    loop_ = std::thread([this, origin = std::move(origin)] { runAcceptLoop(listener_, origin, stop_); });
}

TestServer::~TestServer() {
    stop_ = true;
    // One more connection wakes the loop so it sees the flag.
    try {
        closeSocket(connectToLoopback(port_));
    } catch (const std::exception&) {
    }
    loop_.join();
    closeSocket(listener_);
    // Connection threads are detached; let them finish before the test's state goes.
    for (int waited = 0; liveConnections() > 0 && waited < 3000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ParsedReply parseReply(const std::string& reply) {
    ParsedReply parsed;
    std::size_t end = reply.find("\r\n\r\n");
    parsed.headers = reply.substr(0, end);
    parsed.body = end == std::string::npos ? "" : reply.substr(end + 4);
    parsed.statusLine = reply.substr(0, reply.find("\r\n"));
    return parsed;
}

std::string fetchToken(int port) {
    std::string body = parseReply(sendRequest(port, "GET /api/config HTTP/1.1\r\n\r\n")).body;
    const std::string key = "{\"csrfToken\": \"";
    if (body.rfind(key, 0) != 0) throw std::runtime_error("no token in " + body);
    return body.substr(key.size(), body.size() - key.size() - 2);
}
