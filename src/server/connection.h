#pragma once

#include <string>
#include <string_view>

#include "platform/net.h"

// Time after which a silent or stalled peer counts as gone.
inline constexpr int connectionIoTimeoutSeconds = 30;

// Serves the one request of an accepted connection, then shuts the connection
// down and closes it. Never throws.
void ConnectionHandler(Socket socket, std::string origin);

// Paths that need a valid CSRF token: "/api/..." except exactly "/api/config",
// and the two verify paths.
bool isProtectedPath(std::string_view path);
