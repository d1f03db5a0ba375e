#pragma once
// The threads that serve connections. Every connection gets a thread of its own
// at once: an idle one when there is one, else a new one, so there is no limit
// and no queue in which a slow client could hold up another. A thread that has
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
    ConnectionWorkers(Serve serve, Console& console,
                      std::chrono::milliseconds idleLifetime = std::chrono::seconds(2));
    // Waits for every thread to finish its connection and end.
    ~ConnectionWorkers();
    ConnectionWorkers(const ConnectionWorkers&) = delete;
    ConnectionWorkers& operator=(const ConnectionWorkers&) = delete;

    // Hands the connection to a thread. When no thread can be started the
    // connection is closed unanswered and the failure printed; the caller goes on.
    void serve(Socket connection);

    // Threads alive, busy or idle.
    std::size_t threads() const;

private:
    void work(Socket first);

    const Serve serve_;
    Console& console_;
    const std::chrono::milliseconds idleLifetime_;
    mutable std::mutex mutex_;
    std::condition_variable jobArrived_;
    std::condition_variable threadEnded_;
    bool stopping_ = false;
    std::deque<Socket> jobs_;
    std::size_t unclaimedIdle_ = 0;  // idle threads no queued job is meant for
    std::size_t threads_ = 0;
};
