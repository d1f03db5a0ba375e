#pragma once
// The one socket layer: every difference between POSIX sockets and Winsock lives
// behind these functions (net_posix.cpp, net_windows.cpp).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Wide enough for a POSIX descriptor and a Winsock SOCKET alike.
using Socket = std::uintptr_t;
inline constexpr Socket invalidSocket = ~Socket{0};

// Starts the socket layer (WSAStartup 2.2 on Windows). Returns the start-up
// result code: 0 on success.
int startNetwork();

// The outcome of opening a listening socket: the socket, or the name of the
// step that failed and the error code it left.
struct ListenResult {
    Socket socket = invalidSocket;
    std::string failedStep;
    int errorCode = 0;
    // The failure says this machine has no such address or family (no IPv6
    // loopback), not that something else holds the port.
    bool addressUnavailable = false;
};

// Resolves host/service (IPv4, or IPv6 for a host with a colon; TCP, passive),
// binds the first result and listens with the system's largest backlog, for
// acceptConnection. Service "0" picks a free port.
ListenResult listenOn(const std::string& host, const std::string& service);

// How many descriptors the process may hold open (read after startNetwork,
// which raises it); the largest value where sockets have no such limit.
std::size_t openFileLimit();

// Waits, with no time-out, until a connection waits on one of the listeners
// (at most 32). Returns a bit per listener with one waiting, bit i for
// listeners[i]; 0 when the wait failed.
std::uint32_t waitForConnections(std::span<const Socket> listeners);

// What an accept ended with: the connection, or none, because none was
// waiting any more or because accept failed with `error`.
struct Accepted {
    Socket connection = invalidSocket;
    bool noneWaiting = false;
    int error = 0;
};

// Takes the next waiting connection of a listener from listenOn, without waiting.
Accepted acceptConnection(Socket listener);

using Deadline = std::chrono::steady_clock::time_point;

// Reads at most capacity bytes, waiting for some until the deadline: the count
// read, 0 when the peer closed, receiveTimedOut
// once the deadline has passed (bytes waiting or not), another negative value
// on failure.
inline constexpr long receiveTimedOut = -2;
long receiveWithin(Socket socket, char* buffer, std::size_t capacity, Deadline deadline);

// Writes head then body as one stream, without joining them first (one gather
// send when the peer keeps up). Returns false when the peer has gone, a send
// fails or the whole has not left by the deadline; never raises a signal.
// Where the system allows, the last bytes wait for the shutdownSend that is to
// follow at once, so that they and the end travel in one segment.
bool sendAll(Socket socket, std::string_view head, std::string_view body, Deadline deadline);

// Ends the receiving side from any thread: a read waiting on it, or the next,
// ends at once (0, or a failure on Windows). The socket stays open for its
// owner to close.
void stopReceiving(Socket socket);

// Ends the sending side (SD_SEND / SHUT_WR).
void shutdownSend(Socket socket);

void closeSocket(Socket socket);
