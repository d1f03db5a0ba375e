#pragma once
// The accept thread and the workers that serve what it accepts. The thread
// that calls run only accepts; each connection is served by a worker thread,
// reused from one connection to the next, so a capture that waits for a finger
// holds its own worker only.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <vector>

#include "platform/console.h"
#include "platform/net.h"

class ConnectionWorkers {
public:
    // Serves one connection and closes it, calling the second argument once its
    // reading is over, with whether the request is whole, and answering only
    // when that returns true.
    using Serve = std::function<void(Socket, const std::function<bool(bool)>&)>;

    // At most `capacity` workers; one idle for idleLifetime ends. console
    // takes the lines of a failed accept and of a worker that cannot be started.
    ConnectionWorkers(Serve serve, Console& console, std::size_t capacity,
                      std::chrono::milliseconds idleLifetime = std::chrono::seconds(2));
    ConnectionWorkers(const ConnectionWorkers&) = delete;
    ConnectionWorkers& operator=(const ConnectionWorkers&) = delete;

    // Accepts on the listeners and hands each connection to a worker, until a
    // connection comes with stopRequested set; then returns once every worker
    // has finished its connection and ended.
    void run(const std::vector<Socket>& listeners, const std::atomic<bool>& stopRequested);

private:
    struct Worker {
        std::condition_variable wake;
        Socket serving = invalidSocket;  // handed over and being served; none while idle
        std::chrono::steady_clock::time_point since;  // accepted
        bool read = false;    // its reading is over
        bool ending = false;  // being ended by the accept thread
    };

    void waitForRoom(std::unique_lock<std::mutex>& lock);
    void endOldestUnread();
    void handOver(Socket connection);
    void work(std::list<Worker>::iterator self, Socket connection);
    bool readingOver(Worker& worker, bool whole);
    void stopWorkers();

    const Serve serve_;
    Console& console_;
    const std::size_t capacity_;
    const std::chrono::milliseconds idleLifetime_;
    std::mutex mutex_;
    // The accept thread waits here for a free worker, a connection it ended that
    // was whole after all, or the last worker's end.
    std::condition_variable roomOrEnd_;
    std::list<Worker> workers_;
    std::vector<std::list<Worker>::iterator> idle_;
    bool acceptWaiting_ = false;
    bool stopping_ = false;
};
