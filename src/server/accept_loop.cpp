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

void runAcceptLoop(Services& services, const std::vector<Socket>& listeners, const std::atomic<bool>& stopRequested,
                   const ConnectionLimits& limits) {
    ConnectionWorkers workers(
        [&services, &limits](Socket connection, const std::function<bool(bool)>& readingOver) {
            ConnectionHandler(services, connection, limits, readingOver);
        },
        services.console, std::min(limits.maxConnections, connectionsTheDescriptorsAllow()));
    workers.run(listeners, stopRequested);
}
