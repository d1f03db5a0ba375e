#pragma once
// The threads that accept and serve connections, as leader and followers: one
// thread, the leader, waits in accept on the listener and serves what it
// accepts itself, so no connection is handed from thread to thread. It keeps
// the listener while its connections take only processor time, and passes it
// to a follower once it would wait for its peer; a follower that watches it
// takes the listener over once the leader has spent handOverAfter on one
// connection (a scan waiting for a finger). So quick requests are served in
// turn by one thread, with no other thread woken for each, as an event loop
// would; slow ones never hold up the rest for long.
//
// At most `capacity` threads, each serving one connection at most: with all
// of them busy nobody accepts, and further connections wait in the listener's
// backlog, where they hold no thread; the connection deadlines bound how long
// a thread stays busy. A thread left without a role for idleLifetime ends,
// but for the one that called run.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/console.h"
#include "platform/net.h"

class ConnectionWorkers {
public:
    // Handles one connection and closes it, calling the second argument before
    // each wait for the peer.
    using Serve = std::function<void(Socket, const BeforeWaiting&)>;

    // console takes the lines of a failed accept and of a thread that cannot be started.
    ConnectionWorkers(Socket listener, Serve serve, Console& console, std::size_t capacity,
                      std::chrono::milliseconds idleLifetime = std::chrono::seconds(2),
                      std::chrono::milliseconds handOverAfter = std::chrono::milliseconds(5));
    ConnectionWorkers(const ConnectionWorkers&) = delete;
    ConnectionWorkers& operator=(const ConnectionWorkers&) = delete;

    // Accepts and serves, on the calling thread too, until the leader finds
    // stopRequested set after a connection, a failed accept or an idle wait;
    // then returns once every thread has finished its connection and ended.
    void run(const std::atomic<bool>& stopRequested);

private:
    // Each returns false when the thread is to end, else once its role is over.
    void work(bool lasting);
    bool lead(std::unique_lock<std::mutex>& lock, bool lasting);
    bool watch(std::unique_lock<std::mutex>& lock, bool lasting);
    bool follow(std::unique_lock<std::mutex>& lock, bool lasting);
    // The leader of that term, about to wait, gives the listener up.
    void handOver(std::uint64_t term);
    void beginStopping();
    void startThread();

    const Socket listener_;
    const Serve serve_;
    Console& console_;
    const std::size_t capacity_;
    const std::chrono::milliseconds idleLifetime_;
    const std::chrono::milliseconds handOverAfter_;
    const std::atomic<bool>* stopRequested_ = nullptr;
    std::mutex mutex_;
    std::condition_variable roleFree_;  // the listener or the watch wants a thread, or stopping
    std::condition_variable threadEnded_;
    std::size_t threads_ = 0;          // alive, the caller's included
    std::size_t followers_ = 0;        // waiting for a role
    bool leading_ = false;             // a thread holds the listener
    bool leaderServing_ = false;       // and has a connection in hand
    std::uint64_t term_ = 0;           // counts leaderships: a leader whose term is past has been replaced
    std::uint64_t accepted_ = 0;       // connections accepted so far
    bool watching_ = false;            // a follower watches the leader
    bool watcherWanted_ = false;       // the leader serves and nobody watches yet
    bool stopping_ = false;
};
