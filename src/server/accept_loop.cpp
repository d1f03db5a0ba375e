#include "server/accept_loop.h"

#include <chrono>
#include <thread>

#include "server/connection.h"
#include "server/connection_workers.h"

void runAcceptLoop(Services& services, Socket listener, const std::string& origin,
                   const std::atomic<bool>& stopRequested) {
    ConnectionWorkers workers(
        [&services, &origin](Socket connection) { ConnectionHandler(services, connection, origin); },
        services.console);
    while (!stopRequested.load()) {
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
