#pragma once

#include <atomic>
#include <vector>

#include "platform/net.h"
#include "server/connection_limits.h"
#include "server/services.h"

// Accepts connections on the listeners on the calling thread and serves each
// on a worker thread (see ConnectionWorkers), at most limits.maxConnections at
// once (fewer when the descriptor limit calls for it; call after startNetwork),
// until a connection comes with stopRequested set; then waits for the
// connections being served. The server never sets it.
void runAcceptLoop(Services& services, const std::vector<Socket>& listeners, const std::atomic<bool>& stopRequested,
                   const ConnectionLimits& limits = {});
