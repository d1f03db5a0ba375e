#pragma once
// The one socket layer: every difference between POSIX sockets and Winsock lives
// behind these functions (net_posix.cpp, net_windows.cpp).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Wide enough for a POSIX descriptor and a Winsock SOCKET alike.
using Socket = std::uintptr_t;
inline constexpr Socket invalidSocket = ~Socket{0};

// Starts the socket layer (WSAStartup 2.2 on Windows). Returns the start-up
// result code: 0 on success.
int startNetwork();

// The outcome of opening the listening socket: the socket, or the name of the
// step that failed and the error code it left.
struct ListenResult {
    Socket socket = invalidSocket;
    std::string failedStep;
    int errorCode = 0;
};

// How many descriptors the process may hold open (read after startNetwork,
// which raises it); the largest value where sockets have no such limit.
std::size_t openFileLimit();

// Resolves host/service (IPv4, TCP, passive), binds the first result and
// listens with the system's largest backlog. Service "0" picks a free port.
ListenResult listenOn(const std::string& host, const std::string& service);

// The local port a bound socket ended up on (for listeners on service "0").
int localPort(Socket socket);

using Deadline = std::chrono::steady_clock::time_point;

// Makes acceptConnection on this listener give up after `wait` without a
// connection, so that a thread idle that long can end. Set once, before any
// thread waits on it.
void setAcceptWait(Socket listener, std::chrono::milliseconds wait);

// What a wait for a connection ended with: the connection; or none, because
// the wait set by setAcceptWait ran out or because accept failed with `error`.
struct Accepted {
    Socket connection = invalidSocket;
    bool timedOut = false;
    int error = 0;
};

// Waits for the next connection.
Accepted acceptConnection(Socket listener);

// Gives blocking reads and writes a time-out (a client's socket: the server
// bounds its connections with deadlines instead).
void setIoTimeout(Socket socket, int seconds);

// Waits until a read would not block: bytes, the peer's end, or a failure the
// read then reports. False when the deadline passes first.
bool waitReadable(Socket socket, Deadline deadline);

// Reads at most capacity bytes. Returns the count read, 0 when the peer closed,
// and a negative value on failure or time-out.
long receiveSome(Socket socket, char* buffer, std::size_t capacity);

// Called before a wait, so that the caller can let others go on meanwhile.
using BeforeWaiting = std::function<void()>;

// Reads at most capacity bytes, waiting for some until the deadline: the count
// read, 0 when the peer closed, receiveTimedOut once the deadline has passed
// (bytes waiting or not), another negative value on failure.
inline constexpr long receiveTimedOut = -2;
long receiveWithin(Socket socket, char* buffer, std::size_t capacity, Deadline deadline,
                   const BeforeWaiting& beforeWaiting = {});

// Writes all length bytes, with as many blocking sends as it takes. Returns
// false when the peer has gone or a send fails; never raises a signal.
bool sendAll(Socket socket, const char* data, std::size_t length);

// Writes head then body as one stream, without joining them first (one gather
// send when the peer keeps up). Returns false when the peer has gone, a send
// fails or the whole has not left by the deadline; never raises a signal.
// Where the system allows, the last bytes wait for the shutdownSend that is to
// follow at once, so that they and the end travel in one segment.
bool sendAll(Socket socket, std::string_view head, std::string_view body, Deadline deadline,
             const BeforeWaiting& beforeWaiting = {});

// Ends the sending side (SD_SEND / SHUT_WR).
void shutdownSend(Socket socket);

void closeSocket(Socket socket);

// The socket layer's last error code (WSAGetLastError / errno).
int lastSocketError();
