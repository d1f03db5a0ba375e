#include "platform/net.h"
#include "platform/native_socket.h"

namespace {

SOCKET handle(Socket socket) { return static_cast<SOCKET>(socket); }

}  // namespace

int startNetwork() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
}

// No SO_REUSEADDR here: on Windows it would let another process take the port.
void prepareListener(NativeSocket) {}

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
