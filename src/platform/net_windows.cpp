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
void prepareListener(NativeSocket) {}

int localPort(Socket socket) {
    sockaddr_in address{};
    int length = sizeof address;
    if (getsockname(handle(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(address.sin_port);
}

void setAcceptWait(Socket listener, std::chrono::milliseconds wait) {
    // accept ignores it here; acceptConnection reads it back as its wait.
    DWORD milliseconds = static_cast<DWORD>(wait.count());
    setsockopt(handle(listener), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
               sizeof milliseconds);
    // A connection reset between select and accept must not leave accept
    // blocked past the wait.
    u_long nonBlocking = 1;
    ioctlsocket(handle(listener), FIONBIO, &nonBlocking);
}

Accepted acceptConnection(Socket listener) {
    DWORD milliseconds = 0;
    int size = sizeof milliseconds;
    getsockopt(handle(listener), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&milliseconds), &size);
    const auto wait = milliseconds > 0 ? std::chrono::milliseconds(milliseconds) : std::chrono::hours(24 * 365);
    const Deadline deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        SOCKET connection = ::accept(handle(listener), nullptr, nullptr);
        if (connection != INVALID_SOCKET) {
            // It inherits the listener's mode; the connection code expects a blocking socket.
            u_long blocking = 0;
            ioctlsocket(connection, FIONBIO, &blocking);
            return {static_cast<Socket>(connection)};
        }
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) return {invalidSocket, false, error};
        if (!waitFor(listener, false, deadline)) return {invalidSocket, true, 0};
    }
}

void setIoTimeout(Socket socket, int seconds) {
    DWORD milliseconds = static_cast<DWORD>(seconds) * 1000;
    const char* value = reinterpret_cast<const char*>(&milliseconds);
    setsockopt(handle(socket), SOL_SOCKET, SO_RCVTIMEO, value, sizeof milliseconds);
    setsockopt(handle(socket), SOL_SOCKET, SO_SNDTIMEO, value, sizeof milliseconds);
}

bool waitReadable(Socket socket, Deadline deadline) { return waitFor(socket, false, deadline); }

long receiveSome(Socket socket, char* buffer, std::size_t capacity) {
    return ::recv(handle(socket), buffer, static_cast<int>(capacity), 0);
}

long receiveWithin(Socket socket, char* buffer, std::size_t capacity, Deadline deadline,
                   const BeforeWaiting& beforeWaiting) {
    if (std::chrono::steady_clock::now() >= deadline) return receiveTimedOut;
    if (!readyNow(socket)) {
        if (beforeWaiting) beforeWaiting();
        if (!waitFor(socket, false, deadline)) return receiveTimedOut;
    }
    return receiveSome(socket, buffer, capacity);
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

bool sendAll(Socket socket, std::string_view head, std::string_view body, Deadline deadline,
             const BeforeWaiting& beforeWaiting) {
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
            if (beforeWaiting) beforeWaiting();
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

void shutdownSend(Socket socket) { ::shutdown(handle(socket), SD_SEND); }

void closeSocket(Socket socket) { ::closesocket(handle(socket)); }

int lastSocketError() { return WSAGetLastError(); }
