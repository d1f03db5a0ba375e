#include "server/accept_loop.h"

#include <algorithm>
#include <chrono>
#include <thread>

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
        [&services, &limits](Socket connection) { ConnectionHandler(services, connection, limits); },
        services.console, std::min(limits.maxConnections, connectionsTheDescriptorsAllow()));
    while (!stopRequested.load()) {
        // Further connections wait in the listener's backlog until one closes.
        workers.waitForFreeSlot();
        Socket connection = acceptConnection(listener);
        if (connection == invalidSocket) {
            services.console.err("accept failed: " + std::to_string(lastSocketError()));
            // A lasting failure (no descriptors left) would otherwise spin a core.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (stopRequested.load()) {
            closeSocket(connection);
            break;
        }
        workers.serve(connection);
    }
}
