#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/net.h"

// Accepts connections on the listener and serves each on a thread of its own
// with its own copy of origin, until stopRequested is set and one more
// connection (or accept failure) wakes the loop. The server never sets it.
void runAcceptLoop(Socket listener, const std::string& origin,
                   const std::atomic<bool>& stopRequested);

// Connections being served, in this process.
std::size_t liveConnections();
