#include "support/loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

Socket connectToLoopback(int port) {
    int client = ::socket(AF_INET, SOCK_STREAM, 0);
    if (client < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
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
    long got;
    while ((got = receiveSome(socket, buffer, sizeof buffer)) > 0) received.append(buffer, static_cast<std::size_t>(got));
    // "" means closed unanswered: a server still holding on fails the test instead.
    if (got < 0 && errno == EAGAIN) throw std::runtime_error("neither answered nor closed in time");
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

TestServer::TestServer(Services& services, ConnectionLimits limits) {
    startNetwork();
    ListenResult listening = listenOn("127.0.0.1", "0");
    if (listening.socket == invalidSocket) throw std::runtime_error("listen failed");
    listener_ = listening.socket;
    port_ = localPort(listener_);
    loop_ = std::thread([this, &services, limits] { runAcceptLoop(services, listener_, stop_, limits); });
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
}
