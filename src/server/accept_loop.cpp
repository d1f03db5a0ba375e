#include "server/accept_loop.h"

#include <chrono>
#include <thread>

#include "server/connection.h"
#include "server/console.h"

namespace {

std::atomic<std::size_t> liveConnectionCount{0};

void serveAndCount(Socket connection, std::string origin) {
    ConnectionHandler(connection, std::move(origin));
    --liveConnectionCount;
}

// Starts the connection's thread; when no thread can be had, the connection is
// closed unanswered and the loop goes on.
void handOver(Socket connection, const std::string& origin) {
    ++liveConnectionCount;
    try {
        std::thread(serveAndCount, connection, std::string(origin)).detach();
    } catch (const std::exception& error) {
        --liveConnectionCount;
        printErr(std::string("Could not start a connection thread: ") + error.what());
        shutdownSend(connection);
        closeSocket(connection);
    }
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
        handOver(connection, origin);
    }
}

std::size_t liveConnections() { return liveConnectionCount.load(); }
