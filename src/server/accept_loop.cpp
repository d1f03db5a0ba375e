#include "server/accept_loop.h"

#include <chrono>
#include <thread>

#include "server/connection_workers.h"
#include "server/console.h"

namespace {

// Never destroyed: detached connection threads may outlive main.
ConnectionWorkers& workers() {
    static ConnectionWorkers* pool = new ConnectionWorkers;
    return *pool;
}

}  // namespace

void runAcceptLoop(Socket listener, const std::string& origin,
                   const std::atomic<bool>& stopRequested) {
    while (!stopRequested.load()) {
        Socket connection = acceptConnection(listener);
        if (connection == invalidSocket) {
            printErr("accept failed: " + std::to_string(lastSocketError()));
            // A lasting failure (no descriptors left) would otherwise spin a core.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (stopRequested.load()) {
            closeSocket(connection);
            break;
        }
        workers().serve(connection, origin);
    }
}

std::size_t liveConnections() { return workers().busy(); }
