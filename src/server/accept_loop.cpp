#include "server/accept_loop.h"

#include <algorithm>

#include "server/connection.h"
#include "server/connection_workers.h"

namespace {

// A connection holds its socket and may hold a file too; 64 descriptors stay
// for the listener, the console, the scanner library and the like.
std::size_t connectionsTheDescriptorsAllow() {
    constexpr std::size_t reserved = 64;
    const std::size_t limit = openFileLimit();
    return limit >= reserved + 2 ? (limit - reserved) / 2 : 1;
}

}  // namespace

void runAcceptLoop(Services& services, Socket listener,
                   const std::atomic<bool>& stopRequested, const ConnectionLimits& limits) {
    ConnectionWorkers workers(
        listener,
        [&services, &limits](Socket connection, const BeforeWaiting& beforeWaiting) {
            ConnectionHandler(services, connection, limits, beforeWaiting);
        },
        services.console, std::min(limits.maxConnections, connectionsTheDescriptorsAllow()));
    workers.run(stopRequested);
}
