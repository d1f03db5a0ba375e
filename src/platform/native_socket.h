#pragma once
// The native socket headers and the few names that differ between them; only
// the platform layer includes this.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using NativeSocket = SOCKET;
inline constexpr NativeSocket invalidNativeSocket = INVALID_SOCKET;
inline constexpr int familyUnsupportedError = WSAEAFNOSUPPORT;
inline constexpr int addressNotAvailableError = WSAEADDRNOTAVAIL;
#else
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
using NativeSocket = int;
inline constexpr NativeSocket invalidNativeSocket = -1;
inline constexpr int familyUnsupportedError = EAFNOSUPPORT;
inline constexpr int addressNotAvailableError = EADDRNOTAVAIL;
#endif

// The socket layer's last error code (WSAGetLastError / errno).
int lastSocketError();

// Options a listener needs before bind on this platform; it is also made
// non-blocking, so that an accept never waits.
void prepareListener(NativeSocket listener);
