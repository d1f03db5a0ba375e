#pragma once

#include <string>

#include "platform/net.h"
#include "server/services.h"

// Time after which a silent or stalled peer counts as gone.
inline constexpr int connectionIoTimeoutSeconds = 30;

// Serves the one request of an accepted connection: reads it, sends what
// respond answers, then shuts the connection down and closes it. Never throws.
void ConnectionHandler(Services& services, Socket socket, const std::string& origin);
