#pragma once
// The native socket headers and the few names that differ between them; only
// the platform layer includes this.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using NativeSocket = SOCKET;
inline constexpr NativeSocket invalidNativeSocket = INVALID_SOCKET;
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
using NativeSocket = int;
inline constexpr NativeSocket invalidNativeSocket = -1;
#endif

// Options a listener needs before bind on this platform.
void prepareListener(NativeSocket listener);
