#pragma once
// The threads that serve connections: at most `capacity` at once, each on a
// thread of its own from its accept on (an idle one when there is one, else a
// new one). The accept loop waits for a free slot before it accepts, so further
// connections wait in the listener's backlog, where they hold no thread; the
// connection deadlines bound how long a slot stays taken. A thread that has
// served its connection waits a short while for the next before it ends, which
// spares a thread start per request under load.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/console.h"
#include "platform/net.h"

class ConnectionWorkers {
public:
    using Serve = std::function<void(Socket)>;

    // serve handles one connection and closes it; console takes the line of a
    // thread that cannot be started.
    ConnectionWorkers(Serve serve, Console& console, std::size_t capacity,
                      std::chrono::milliseconds idleLifetime = std::chrono::seconds(2));
    // Waits for every thread to finish its connection and end.
    ~ConnectionWorkers();
    ConnectionWorkers(const ConnectionWorkers&) = delete;
    ConnectionWorkers& operator=(const ConnectionWorkers&) = delete;

    // Returns once fewer than capacity connections are being served.
    void waitForFreeSlot();

    // Hands the connection to a thread; only after waitForFreeSlot, from one
    // thread. When no thread can be started the connection is closed
    // unanswered and the failure printed; the caller goes on.
    void serve(Socket connection);

    // Threads alive, busy or idle.
    std::size_t threads() const;

private:
    void work(Socket first);

    const Serve serve_;
    Console& console_;
    const std::size_t capacity_;
    const std::chrono::milliseconds idleLifetime_;
    mutable std::mutex mutex_;
    std::condition_variable jobArrived_;
    std::condition_variable threadEnded_;
    std::condition_variable slotFreed_;
    std::size_t busy_ = 0;  // connections handed over and not yet closed
    bool stopping_ = false;
    std::deque<Socket> jobs_;
    std::size_t unclaimedIdle_ = 0;  // idle threads no queued job is meant for
    std::size_t threads_ = 0;
};
