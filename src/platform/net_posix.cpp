#include "platform/net.h"
#include "platform/native_socket.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <cerrno>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

int fd(Socket socket) { return static_cast<int>(socket); }

// Waits for the events until the deadline. True once they come or poll fails
// (the read or send that follows reports the failure), false when time runs out.
bool waitFor(Socket socket, short events, Deadline deadline) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd entry{fd(socket), events, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(std::min<std::int64_t>(left.count(), INT_MAX)));
        if (ready > 0 || (ready < 0 && errno != EINTR)) return true;
    }
}

}  // namespace

int startNetwork() {
    // A peer that vanishes mid-reply must never end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // Every connection holds a descriptor, and the connection cap follows the
    // limit, so take all the descriptors the system allows.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    return 0;
}

void prepareListener(NativeSocket listener) {
    // The server closes every connection first, leaving TIME_WAIT entries behind;
    // without this a restart could not bind the port for a minute.
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    fcntl(listener, F_SETFL, fcntl(listener, F_GETFL) | O_NONBLOCK);
#ifdef TCP_DEFER_ACCEPT
    // Linux: hand over connections once their first bytes are in, so a
    // connection thread starts with a request to read instead of a wait.
    int deferSeconds = 1;
    setsockopt(listener, IPPROTO_TCP, TCP_DEFER_ACCEPT, &deferSeconds, sizeof deferSeconds);
#endif
}

std::size_t openFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    return static_cast<std::size_t>(limit.rlim_cur);
}

std::uint32_t waitForConnections(std::span<const Socket> listeners) {
    pollfd entries[32];
    const std::size_t count = std::min<std::size_t>(listeners.size(), 32);
    for (std::size_t i = 0; i < count; ++i) entries[i] = {fd(listeners[i]), POLLIN, 0};
    while (::poll(entries, count, -1) < 0) {
        if (errno != EINTR) return 0;
    }
    std::uint32_t ready = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].revents != 0) ready |= std::uint32_t{1} << i;
    }
    return ready;
}

Accepted acceptConnection(Socket listener) {
    // Linux hands the connection over blocking, whatever the listener's mode.
    int connection = ::accept(fd(listener), nullptr, nullptr);
    if (connection >= 0) return {static_cast<Socket>(connection)};
    const int error = errno;
    return {invalidSocket, error == EAGAIN || error == EWOULDBLOCK || error == EINTR, error};
}

long receiveWithin(Socket socket, char* buffer, std::size_t capacity, Deadline deadline) {
    for (;;) {
        if (std::chrono::steady_clock::now() >= deadline) return receiveTimedOut;
        // Bytes are mostly in already (TCP_DEFER_ACCEPT): read first, wait only when there are none.
        ssize_t received = ::recv(fd(socket), buffer, capacity, MSG_DONTWAIT);
        if (received >= 0) return static_cast<long>(received);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        if (!waitFor(socket, POLLIN, deadline)) return receiveTimedOut;
    }
}

bool sendAll(Socket socket, std::string_view head, std::string_view body, Deadline deadline) {
    iovec parts[2] = {{const_cast<char*>(head.data()), head.size()},
                      {const_cast<char*>(body.data()), body.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    std::size_t remaining = head.size() + body.size();
    while (remaining > 0) {
        // Never blocks: a peer that stops reading is waited for only until the deadline.
        // MSG_MORE holds a last partial segment back; the shutdown after sends it with the FIN.
        ssize_t sent = ::sendmsg(fd(socket), &message, MSG_NOSIGNAL | MSG_DONTWAIT | MSG_MORE);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitFor(socket, POLLOUT, deadline)) return false;
            continue;
        }
        if (sent <= 0) return false;
        remaining -= static_cast<std::size_t>(sent);
        // Step past what went out, across the two parts.
        while (sent > 0 && message.msg_iovlen > 0) {
            iovec& first = message.msg_iov[0];
            std::size_t taken = std::min(static_cast<std::size_t>(sent), first.iov_len);
            first.iov_base = static_cast<char*>(first.iov_base) + taken;
            first.iov_len -= taken;
            sent -= static_cast<ssize_t>(taken);
            if (first.iov_len == 0) {
                ++message.msg_iov;
                --message.msg_iovlen;
            }
        }
    }
    return true;
}

// Linux wakes a poll waiting on the socket; the peer is told nothing yet.
void stopReceiving(Socket socket) { ::shutdown(fd(socket), SHUT_RD); }

void shutdownSend(Socket socket) { ::shutdown(fd(socket), SHUT_WR); }

void closeSocket(Socket socket) { ::close(fd(socket)); }

int lastSocketError() { return errno; }
