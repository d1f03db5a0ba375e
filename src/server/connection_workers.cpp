#include "server/connection_workers.h"

#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

ConnectionWorkers::ConnectionWorkers(Socket listener, Serve serve, Console& console, std::size_t capacity,
                                     std::chrono::milliseconds idleLifetime, std::chrono::milliseconds handOverAfter)
    : listener_(listener), serve_(std::move(serve)), console_(console), capacity_(capacity),
      idleLifetime_(idleLifetime), handOverAfter_(handOverAfter) {}

void ConnectionWorkers::run(const std::atomic<bool>& stopRequested) {
    stopRequested_ = &stopRequested;
    setAcceptWait(listener_, idleLifetime_);
    {
        std::lock_guard lock(mutex_);
        ++threads_;
    }
    work(true);
    std::unique_lock lock(mutex_);
    threadEnded_.wait(lock, [this] { return threads_ == 0; });
}

void ConnectionWorkers::work(bool lasting) {
    std::unique_lock lock(mutex_);
    for (bool going = true; going && !stopping_;) {
        if (!leading_) {
            going = lead(lock, lasting);
        } else if (watcherWanted_) {
            going = watch(lock, lasting);
        } else {
            going = follow(lock, lasting);
        }
    }
    --threads_;
    threadEnded_.notify_all();
}

bool ConnectionWorkers::lead(std::unique_lock<std::mutex>& lock, bool lasting) {
    leading_ = true;
    const std::uint64_t term = ++term_;
    while (term_ == term) {
        leaderServing_ = false;
        lock.unlock();
        const Accepted accepted = acceptConnection(listener_);
        lock.lock();
        if (stopping_ || stopRequested_->load()) {
            if (accepted.connection != invalidSocket) closeSocket(accepted.connection);
            beginStopping();
            return false;
        }
        if (accepted.connection == invalidSocket) {
            if (!accepted.timedOut) {
                lock.unlock();
                console_.err("accept failed: " + std::to_string(accepted.error));
                // A lasting failure (no descriptors left) would otherwise spin a core.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                lock.lock();
            } else if (!lasting && followers_ > 0) {
                // Idle: the listener goes to a follower (in the end the caller's thread), this thread ends.
                leading_ = false;
                ++term_;
                roleFree_.notify_one();
                return false;
            }
            continue;
        }
        leaderServing_ = true;
        ++accepted_;
        bool startWatcher = false;
        if (!watching_ && !watcherWanted_) {
            watcherWanted_ = true;
            if (followers_ > 0) {
                roleFree_.notify_one();
            } else if (threads_ < capacity_) {
                ++threads_;
                startWatcher = true;
            }
        }
        lock.unlock();
        if (startWatcher) startThread();
        serve_(accepted.connection, [this, term] { handOver(term); });
        lock.lock();
    }
    return true;
}

void ConnectionWorkers::handOver(std::uint64_t term) {
    std::unique_lock lock(mutex_);
    if (term_ != term || stopping_) return;  // replaced already
    leading_ = false;
    leaderServing_ = false;
    ++term_;
    if (followers_ > 0 || watching_) {
        roleFree_.notify_one();
        return;
    }
    if (threads_ >= capacity_) return;  // the cap: new connections wait in the backlog
    ++threads_;
    lock.unlock();
    startThread();
}

bool ConnectionWorkers::watch(std::unique_lock<std::mutex>& lock, bool lasting) {
    watching_ = true;
    watcherWanted_ = false;
    std::uint64_t seenTerm = term_;
    std::uint64_t seenAccepted = accepted_;
    bool seenServing = leaderServing_;
    Clock::time_point lastBusy = Clock::now();
    for (;;) {
        if (roleFree_.wait_for(lock, handOverAfter_, [this] { return stopping_ || !leading_; })) break;
        if (leaderServing_ && seenServing && term_ == seenTerm && accepted_ == seenAccepted) {
            // One connection has held the leader for handOverAfter at least: the listener is taken over.
            leading_ = false;
            leaderServing_ = false;
            ++term_;
            break;
        }
        if (leaderServing_ || accepted_ != seenAccepted) {
            lastBusy = Clock::now();
        } else if (Clock::now() - lastBusy >= idleLifetime_) {
            // Nothing to watch: the next connection asks for a watcher again.
            watching_ = false;
            return lasting;
        }
        seenTerm = term_;
        seenAccepted = accepted_;
        seenServing = leaderServing_;
    }
    watching_ = false;
    return true;
}

bool ConnectionWorkers::follow(std::unique_lock<std::mutex>& lock, bool lasting) {
    auto roleOrStop = [this] { return stopping_ || !leading_ || watcherWanted_; };
    ++followers_;
    bool called = true;
    if (lasting) {
        roleFree_.wait(lock, roleOrStop);
    } else {
        called = roleFree_.wait_for(lock, idleLifetime_, roleOrStop);
    }
    --followers_;
    return called;
}

void ConnectionWorkers::beginStopping() {
    // Only the leader accepts, and it is the one stopping: the others wait on a role.
    stopping_ = true;
    roleFree_.notify_all();
}

void ConnectionWorkers::startThread() {
    try {
        std::thread(&ConnectionWorkers::work, this, false).detach();
    } catch (const std::exception& error) {
        {
            std::lock_guard lock(mutex_);
            --threads_;
        }
        console_.err(std::string("Could not start a connection thread: ") + error.what());
    }
}
