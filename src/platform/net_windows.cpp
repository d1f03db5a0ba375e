#include "platform/net.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

SOCKET handle(Socket socket) { return static_cast<SOCKET>(socket); }

}  // namespace

int startNetwork() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
}

ListenResult listenOn(const std::string& host, const std::string& service) {
    ListenResult result;
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || found == nullptr) {
        result.failedStep = "getaddrinfo";
        result.errorCode = rc;
        return result;
    }
    SOCKET listener = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (listener == INVALID_SOCKET) {
        result.failedStep = "socket";
        result.errorCode = WSAGetLastError();
        freeaddrinfo(found);
        return result;
    }
    // No SO_REUSEADDR here: on Windows it would let another process take the port.
    rc = ::bind(listener, found->ai_addr, static_cast<int>(found->ai_addrlen));
    int bindError = WSAGetLastError();
    freeaddrinfo(found);
    if (rc == SOCKET_ERROR) {
        result.failedStep = "bind";
        result.errorCode = bindError;
        closesocket(listener);
        return result;
    }
    if (::listen(listener, SOMAXCONN) == SOCKET_ERROR) {
        result.failedStep = "listen";
        result.errorCode = WSAGetLastError();
        closesocket(listener);
        return result;
    }
    result.socket = static_cast<Socket>(listener);
    return result;
}

int localPort(Socket socket) {
    sockaddr_in address{};
    int length = sizeof address;
    if (getsockname(handle(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(address.sin_port);
}

Socket acceptConnection(Socket listener) {
    SOCKET connection = ::accept(handle(listener), nullptr, nullptr);
    return connection == INVALID_SOCKET ? invalidSocket : static_cast<Socket>(connection);
}

void setIoTimeout(Socket socket, int seconds) {
    DWORD milliseconds = static_cast<DWORD>(seconds) * 1000;
    const char* value = reinterpret_cast<const char*>(&milliseconds);
    setsockopt(handle(socket), SOL_SOCKET, SO_RCVTIMEO, value, sizeof milliseconds);
    setsockopt(handle(socket), SOL_SOCKET, SO_SNDTIMEO, value, sizeof milliseconds);
}

long receiveSome(Socket socket, char* buffer, std::size_t capacity) {
    return ::recv(handle(socket), buffer, static_cast<int>(capacity), 0);
}

bool sendAll(Socket socket, const char* data, std::size_t length) {
    while (length > 0) {
        int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
        int sent = ::send(handle(socket), data, chunk, 0);
        if (sent == SOCKET_ERROR || sent == 0) return false;
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool sendAll(Socket socket, std::string_view head, std::string_view body) {
    // Winsock's gather send takes both parts in one call; partial sends are rare
    // on blocking sockets, and then the rest goes out part by part.
    WSABUF parts[2] = {{static_cast<ULONG>(head.size()), const_cast<char*>(head.data())},
                       {static_cast<ULONG>(body.size()), const_cast<char*>(body.data())}};
    DWORD sent = 0;
    if (head.size() + body.size() <= 0x7FFFFFFF &&
        WSASend(handle(socket), parts, 2, &sent, 0, nullptr, nullptr) == 0) {
        if (sent >= head.size() + body.size()) return true;
    } else {
        sent = 0;
    }
    if (sent < head.size()) {
        if (!sendAll(socket, head.data() + sent, head.size() - sent)) return false;
        return sendAll(socket, body.data(), body.size());
    }
    std::size_t bodySent = sent - head.size();
    return sendAll(socket, body.data() + bodySent, body.size() - bodySent);
}

void shutdownSend(Socket socket) { ::shutdown(handle(socket), SD_SEND); }

void closeSocket(Socket socket) { ::closesocket(handle(socket)); }

int lastSocketError() { return WSAGetLastError(); }
