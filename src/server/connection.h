#pragma once

#include "platform/net.h"
#include "server/connection_limits.h"
#include "server/services.h"

// Serves the one request of an accepted connection: reads it within the
// deadlines, sends what respond answers, then shuts the connection down and
// closes it. Calls beforeWaiting before each wait for the peer. Never throws.
void ConnectionHandler(Services& services, Socket socket, const ConnectionLimits& limits = {},
                       const BeforeWaiting& beforeWaiting = {});
