#include "platform/net.h"
#include "platform/native_socket.h"

#include <algorithm>
#include <cstdint>

namespace {

SOCKET handle(Socket socket) { return static_cast<SOCKET>(socket); }

// Waits until the socket is readable (or writable) until the deadline. True
// once it is or select fails (the read or send that follows reports the
// failure), false when time runs out.
bool waitFor(Socket socket, bool forWriting, Deadline deadline) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        // timeval holds longs; a longer wait goes round again.
        constexpr std::int64_t hourMicroseconds = 3600LL * 1000000;
        std::int64_t wait = std::min<std::int64_t>(left.count(), hourMicroseconds);
        timeval timeout{static_cast<long>(wait / 1000000), static_cast<long>(wait % 1000000)};
        fd_set set;
        FD_ZERO(&set);
        FD_SET(handle(socket), &set);
        int ready = ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &timeout);
        if (ready != 0) return true;
    }
}

// Whether a read would not block now (a failure counts: the read reports it).
bool readyNow(Socket socket) {
    timeval noWait{0, 0};
    fd_set set;
    FD_ZERO(&set);
    FD_SET(handle(socket), &set);
    return ::select(0, &set, nullptr, nullptr, &noWait) != 0;
}

}  // namespace

int startNetwork() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
}

// Sockets are not counted against a descriptor limit here.
std::size_t openFileLimit() { return SIZE_MAX; }

// No SO_REUSEADDR here: on Windows it would let another process take the port.
void prepareListener(NativeSocket listener) {
    // A connection reset between select and accept must not leave accept blocked.
    u_long nonBlocking = 1;
    ioctlsocket(listener, FIONBIO, &nonBlocking);
}

std::uint32_t waitForConnections(std::span<const Socket> listeners) {
    fd_set set;
    FD_ZERO(&set);
    const std::size_t count = std::min<std::size_t>(listeners.size(), 32);
    for (std::size_t i = 0; i < count; ++i) FD_SET(handle(listeners[i]), &set);
    if (::select(0, &set, nullptr, nullptr, nullptr) <= 0) return 0;
    std::uint32_t ready = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (FD_ISSET(handle(listeners[i]), &set)) ready |= std::uint32_t{1} << i;
    }
    return ready;
}

Accepted acceptConnection(Socket listener) {
    SOCKET connection = ::accept(handle(listener), nullptr, nullptr);
    if (connection == INVALID_SOCKET) {
        const int error = WSAGetLastError();
        return {invalidSocket, error == WSAEWOULDBLOCK, error};
    }
    // It inherits the listener's mode; the connection code expects a blocking socket.
    u_long blocking = 0;
    ioctlsocket(connection, FIONBIO, &blocking);
    return {static_cast<Socket>(connection)};
}

long receiveWithin(Socket socket, char* buffer, std::size_t capacity, Deadline deadline) {
    if (std::chrono::steady_clock::now() >= deadline) return receiveTimedOut;
    if (!readyNow(socket) && !waitFor(socket, false, deadline)) return receiveTimedOut;
    return ::recv(handle(socket), buffer, static_cast<int>(capacity), 0);
}

bool sendAll(Socket socket, std::string_view head, std::string_view body, Deadline deadline) {
    // A blocking send waits until all is taken, however long the peer takes:
    // non-blocking, a send takes what fits and select waits for room until the deadline.
    u_long nonBlocking = 1;
    if (ioctlsocket(handle(socket), FIONBIO, &nonBlocking) != 0) return false;
    std::string_view parts[2] = {head, body};
    while (!parts[0].empty() || !parts[1].empty()) {
        WSABUF buffers[2];
        DWORD count = 0;
        for (std::string_view part : parts) {
            if (part.empty()) continue;
            buffers[count++] = {static_cast<ULONG>(std::min<std::size_t>(part.size(), 0x40000000)),
                                const_cast<char*>(part.data())};
        }
        DWORD sent = 0;
        if (WSASend(handle(socket), buffers, count, &sent, 0, nullptr, nullptr) != 0) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
            if (!waitFor(socket, true, deadline)) return false;
            continue;
        }
        if (sent == 0) return false;
        // Step past what went out, across the two parts.
        for (std::string_view& part : parts) {
            std::size_t taken = std::min<std::size_t>(sent, part.size());
            part.remove_prefix(taken);
            sent -= static_cast<DWORD>(taken);
        }
    }
    return true;
}

// A select waiting on the socket finds it readable, and the read then ends.
void stopReceiving(Socket socket) { ::shutdown(handle(socket), SD_RECEIVE); }

void shutdownSend(Socket socket) { ::shutdown(handle(socket), SD_SEND); }

void closeSocket(Socket socket) { ::closesocket(handle(socket)); }

int lastSocketError() { return WSAGetLastError(); }
