#pragma once

#include <atomic>
#include <string>

#include "platform/net.h"
#include "server/services.h"

// Accepts connections on the listener and serves each on a thread of its own,
// until stopRequested is set and one more connection (or accept failure) wakes
// the loop; then waits for the connections being served. The server never
// sets it.
void runAcceptLoop(Services& services, Socket listener, const std::string& origin,
                   const std::atomic<bool>& stopRequested);
