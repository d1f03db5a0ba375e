#include "server/connection_workers.h"

#include <string>
#include <thread>

ConnectionWorkers::ConnectionWorkers(Serve serve, Console& console, std::size_t capacity,
                                     std::chrono::milliseconds idleLifetime)
    : serve_(std::move(serve)), console_(console), capacity_(capacity), idleLifetime_(idleLifetime) {}

ConnectionWorkers::~ConnectionWorkers() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    jobArrived_.notify_all();
    threadEnded_.wait(lock, [this] { return threads_ == 0; });
}

void ConnectionWorkers::waitForFreeSlot() {
    std::unique_lock lock(mutex_);
    slotFreed_.wait(lock, [this] { return busy_ < capacity_; });
}

void ConnectionWorkers::serve(Socket connection) {
    std::unique_lock lock(mutex_);
    ++busy_;
    if (unclaimedIdle_ > 0) {
        // An idle thread is waiting and no other job is meant for it.
        --unclaimedIdle_;
        jobs_.push_back(connection);
        lock.unlock();
        // Woken outside the lock, the thread does not wait for it at once.
        jobArrived_.notify_one();
        return;
    }
    ++threads_;
    lock.unlock();
    try {
        std::thread(&ConnectionWorkers::work, this, connection).detach();
    } catch (const std::exception& error) {
        lock.lock();
        --threads_;
        --busy_;
        lock.unlock();
        console_.err(std::string("Could not start a connection thread: ") + error.what());
        shutdownSend(connection);
        closeSocket(connection);
    }
}

void ConnectionWorkers::work(Socket connection) {
    for (;;) {
        serve_(connection);
        std::unique_lock lock(mutex_);
        --busy_;
        slotFreed_.notify_one();
        ++unclaimedIdle_;
        jobArrived_.wait_for(lock, idleLifetime_, [this] { return !jobs_.empty() || stopping_; });
        if (jobs_.empty()) {
            // Timed out or stopping with nothing queued: no job is meant for this thread.
            --unclaimedIdle_;
            --threads_;
            threadEnded_.notify_all();
            return;
        }
        connection = jobs_.front();
        jobs_.pop_front();
    }
}

std::size_t ConnectionWorkers::threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
}
