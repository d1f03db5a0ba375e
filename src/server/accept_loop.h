#pragma once

#include <atomic>

#include "platform/net.h"
#include "server/connection_limits.h"
#include "server/services.h"

// Accepts connections on the listener and serves each on the thread that
// accepted it (this one among them; see ConnectionWorkers), at most
// limits.maxConnections at once (fewer when the descriptor limit calls for it;
// call after startNetwork), until stopRequested is set and one more connection
// (or accept failure, or two idle seconds) wakes the accepting thread; then
// waits for the connections being served. The server never sets it.
void runAcceptLoop(Services& services, Socket listener, const std::atomic<bool>& stopRequested,
                   const ConnectionLimits& limits = {});
