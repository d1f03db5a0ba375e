// Invariants, all under mutex_:
// - workers_ holds one entry per live worker thread, never more than capacity_;
//   a worker serves one connection at a time and closes it itself.
// - idle_ holds exactly the workers waiting for a connection, the one that
//   finished last at the back; it is handed the next connection, so the others
//   reach idleLifetime and end. An idle worker's `next` is empty until the
//   accept thread hands it a connection.
// - The accept thread accepts only when a worker can take the connection at
//   once (one idle, or room to start one); otherwise connections wait in the
//   listener's backlog, where they hold no thread.
// - At the cap, with a connection waiting, the accept thread ends the served
//   connection that has waited longest without its whole request (`ending`),
//   one at a time; its worker closes it unanswered and takes the new one.
//   `read` is set once a worker's reading is over, and no connection with it
//   set is ended, so the accept thread never touches a socket being closed.
// - Nothing waits on a timer but an idle worker (idleLifetime, then it ends).
#include "server/connection_workers.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>

ConnectionWorkers::ConnectionWorkers(Serve serve, Console& console, std::size_t capacity,
                                     std::chrono::milliseconds idleLifetime)
    : serve_(std::move(serve)), console_(console), capacity_(capacity), idleLifetime_(idleLifetime) {}

void ConnectionWorkers::run(const std::vector<Socket>& listeners, const std::atomic<bool>& stopRequested) {
    for (;;) {
        const std::uint32_t ready = waitForConnections(listeners);
        for (std::size_t i = 0; i < listeners.size(); ++i) {
            if ((ready >> i & 1) == 0) continue;
            {
                std::unique_lock lock(mutex_);
                waitForRoom(lock);
            }
            const Accepted accepted = acceptConnection(listeners[i]);
            if (accepted.connection == invalidSocket) {
                if (accepted.noneWaiting) continue;
                console_.err("accept failed: " + std::to_string(accepted.error));
                // A lasting failure (no descriptors left) would otherwise spin a core.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            } else if (stopRequested) {
                closeSocket(accepted.connection);
                stopWorkers();
                return;
            } else {
                handOver(accepted.connection);
            }
        }
    }
}

void ConnectionWorkers::waitForRoom(std::unique_lock<std::mutex>& lock) {
    auto room = [this] { return !idle_.empty() || workers_.size() < capacity_; };
    if (room()) return;
    endOldestUnread();
    acceptWaiting_ = true;
    roomOrEnd_.wait(lock, room);
    acceptWaiting_ = false;
}

void ConnectionWorkers::endOldestUnread() {
    Worker* oldest = nullptr;
    for (Worker& worker : workers_) {
        if (worker.serving == invalidSocket || worker.read) continue;
        if (worker.ending) return;  // one at a time: that one is on its way out
        if (oldest == nullptr || worker.since < oldest->since) oldest = &worker;
    }
    if (oldest == nullptr) return;  // every request is in: the backlog waits
    oldest->ending = true;
    stopReceiving(oldest->serving);
}

void ConnectionWorkers::handOver(Socket connection) {
    std::unique_lock lock(mutex_);
    const bool reused = !idle_.empty();
    const auto worker = reused ? idle_.back() : workers_.emplace(workers_.end());
    worker->serving = connection;
    worker->since = std::chrono::steady_clock::now();
    worker->read = worker->ending = false;
    if (reused) {
        idle_.pop_back();
        worker->next = connection;
        worker->wake.notify_one();
        return;
    }
    lock.unlock();
    try {
        std::thread(&ConnectionWorkers::work, this, worker, connection).detach();
    } catch (const std::system_error& error) {
        lock.lock();
        workers_.erase(worker);
        lock.unlock();
        console_.err(std::string("Could not start a connection thread: ") + error.what());
        closeSocket(connection);
    }
}

void ConnectionWorkers::work(std::list<Worker>::iterator self, Socket connection) {
    std::unique_lock lock(mutex_, std::defer_lock);
    for (;;) {
        serve_(connection, [this, self] { return readingOver(*self); });
        lock.lock();
        self->serving = invalidSocket;
        idle_.push_back(self);
        if (acceptWaiting_) roomOrEnd_.notify_one();
        self->wake.wait_for(lock, idleLifetime_, [&] { return self->next != invalidSocket || stopping_; });
        connection = std::exchange(self->next, invalidSocket);
        if (connection == invalidSocket) break;
        lock.unlock();
    }
    idle_.erase(std::ranges::find(idle_, self));
    workers_.erase(self);
    if (acceptWaiting_ || stopping_) roomOrEnd_.notify_one();
}

bool ConnectionWorkers::readingOver(Worker& worker) {
    std::lock_guard lock(mutex_);
    worker.read = true;
    return !worker.ending;
}

void ConnectionWorkers::stopWorkers() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    for (const auto& worker : idle_) worker->wake.notify_one();
    roomOrEnd_.wait(lock, [this] { return workers_.empty(); });
}
