#include "server/connection_workers.h"

#include <thread>

#include "server/connection.h"
#include "server/console.h"

ConnectionWorkers::ConnectionWorkers(std::chrono::milliseconds idleLifetime)
    : idleLifetime_(idleLifetime) {}

ConnectionWorkers::~ConnectionWorkers() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    jobArrived_.notify_all();
    threadEnded_.wait(lock, [this] { return threads_ == 0; });
}

void ConnectionWorkers::serve(Socket connection, std::string origin) {
    std::unique_lock lock(mutex_);
    ++busy_;
    if (unclaimedIdle_ > 0) {
        // An idle thread is waiting and no other job is meant for it.
        --unclaimedIdle_;
        jobs_.emplace_back(connection, std::move(origin));
        lock.unlock();
        // Woken outside the lock, the thread does not wait for it at once.
        jobArrived_.notify_one();
        return;
    }
    ++threads_;
    lock.unlock();
    try {
        std::thread(&ConnectionWorkers::work, this, Job{connection, std::move(origin)}).detach();
    } catch (const std::exception& error) {
        lock.lock();
        --threads_;
        --busy_;
        lock.unlock();
        printErr(std::string("Could not start a connection thread: ") + error.what());
        shutdownSend(connection);
        closeSocket(connection);
    }
}

void ConnectionWorkers::work(Job job) {
    for (;;) {
        ConnectionHandler(job.first, std::move(job.second));
        std::unique_lock lock(mutex_);
        --busy_;
        ++unclaimedIdle_;
        jobArrived_.wait_for(lock, idleLifetime_, [this] { return !jobs_.empty() || stopping_; });
        if (jobs_.empty()) {
            // Timed out or stopping with nothing queued: no job is meant for this thread.
            --unclaimedIdle_;
            --threads_;
            threadEnded_.notify_all();
            return;
        }
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
}

std::size_t ConnectionWorkers::busy() const {
    std::lock_guard lock(mutex_);
    return busy_;
}

std::size_t ConnectionWorkers::threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
}
