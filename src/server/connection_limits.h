#pragma once
// What one client can make the server hold, and for how long; tests hand in
// small values.

#include <chrono>
#include <cstddef>

struct ConnectionLimits {
    // From the accept: the header block must be in by the first, the whole
    // request by the second, or the connection closes unanswered.
    std::chrono::milliseconds headerDeadline = std::chrono::seconds(15);
    std::chrono::milliseconds requestDeadline = std::chrono::seconds(30);
    // From the first send: the peer must have taken the whole reply by then.
    std::chrono::milliseconds sendDeadline = std::chrono::seconds(30);
    // Connections served at once, each on a thread with the default stack:
    // fewer on 32-bit builds, whose address space holds fewer stacks. The
    // descriptor limit may lower it further (runAcceptLoop).
    std::size_t maxConnections = sizeof(void*) >= 8 ? 1024 : 256;
};
