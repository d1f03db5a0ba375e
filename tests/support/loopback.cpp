#include "support/loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int fd(Socket socket) { return static_cast<int>(socket); }

}  // namespace

Socket connectToLoopback(int port, bool ipv6) {
    int client = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    if (client < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    sockaddr_in6 address6{AF_INET6, htons(static_cast<uint16_t>(port)), 0, in6addr_loopback, 0};
    const int connected = ipv6 ? ::connect(client, reinterpret_cast<sockaddr*>(&address6), sizeof address6)
                               : ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (connected != 0) {
        ::close(client);
        throw std::runtime_error("connect failed");
    }
    setIoTimeout(static_cast<Socket>(client), 20);
    return static_cast<Socket>(client);
}

bool hasIPv6Loopback() {
    const ListenResult probe = listenOn("::1", "0");
    if (probe.socket != invalidSocket) closeSocket(probe.socket);
    return probe.socket != invalidSocket;
}

void setIoTimeout(Socket socket, int seconds) {
    timeval timeout{};
    timeout.tv_sec = seconds;
    setsockopt(fd(socket), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd(socket), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

void sendText(Socket socket, std::string_view text) {
    while (!text.empty()) {
        ssize_t sent = ::send(fd(socket), text.data(), text.size(), MSG_NOSIGNAL);
        if (sent <= 0) return;  // the server has gone: the reply read next tells
        text.remove_prefix(static_cast<std::size_t>(sent));
    }
}

bool waitReadable(Socket socket, std::chrono::milliseconds wait) {
    pollfd entry{fd(socket), POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(wait.count())) > 0;
}

std::string readUntilClosed(Socket socket) {
    std::string received;
    char buffer[65536];
    ssize_t got;
    while ((got = ::recv(fd(socket), buffer, sizeof buffer, 0)) > 0) received.append(buffer, static_cast<std::size_t>(got));
    // "" means closed unanswered: a server still holding on fails the test instead.
    if (got < 0 && errno == EAGAIN) throw std::runtime_error("neither answered nor closed in time");
    return received;
}

std::string sendRequest(int port, const std::string& request, bool ipv6) {
    Socket client = connectToLoopback(port, ipv6);
    sendText(client, request);
    shutdownSend(client);  // no more to come: an incomplete request is served as it stands
    std::string reply = readUntilClosed(client);
    closeSocket(client);
    return reply;
}

std::string tokenFrom(int port) {
    const std::string config = sendRequest(port, "GET /api/config HTTP/1.1\r\n\r\n");  // ...{"csrfToken": "..."}
    return config.substr(config.rfind(' ') + 2, config.size() - config.rfind(' ') - 4);
}

std::string bodyOf(int port, const std::string& requestLine, const std::string& token) {
    const std::string reply = sendRequest(port, requestLine + " HTTP/1.1\r\nX-CSRF-Token: " + token + "\r\n\r\n");
    return reply.substr(std::min(reply.size(), reply.find("\r\n\r\n") + 4));
}

TestServer::TestServer(Services& services, ConnectionLimits limits) {
    startNetwork();
    ListenResult listening = listenOn("127.0.0.1", "0");
    if (listening.socket == invalidSocket) throw std::runtime_error("listen failed");
    listener_ = listening.socket;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd(listener_), reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    loop_ = std::thread([this, &services, limits] { runAcceptLoop(services, {listener_}, stop_, limits); });
}

TestServer::~TestServer() {
    stop_ = true;
    // One more connection wakes the loop so it sees the flag; a byte, so the
    // listener hands it over at once (it waits for the first bytes).
    try {
        Socket wake = connectToLoopback(port_);
        sendText(wake, "\n");
        closeSocket(wake);
    } catch (const std::exception&) {
    }
    loop_.join();
    closeSocket(listener_);
}
