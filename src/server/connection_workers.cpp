// Invariants, all under mutex_:
// - workers_ holds one entry per live worker thread, never more than capacity_;
//   a worker serves one connection at a time and closes it itself.
// - idle_ holds exactly the workers waiting for a connection, the one that
//   finished last at the back; it is handed the next connection, so the others
//   reach idleLifetime and end. An idle worker's `serving` is empty until the
//   accept thread hands it a connection.
// - The accept thread accepts only when a worker can take the connection at
//   once (one idle, or room to start one); otherwise connections wait in the
//   listener's backlog, where they hold no thread.
// - At the cap, with a connection waiting, the accept thread ends the served
//   connection that has waited longest without its whole request (`ending`),
//   one at a time, by stopping its reading. Its worker closes it unanswered
//   and takes the new one; but when the request turns out whole (its worker
//   had not read it yet), it is served, and the accept thread looks again.
//   The accept thread sets `serving` and `since` when it hands a connection
//   over; the worker sets `read` once its reading is over, before it answers
//   or closes, and no connection with `read` set is ended, so the accept
//   thread never touches a socket that may be closed.
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
    while (idle_.empty() && workers_.size() >= capacity_) {
        // One at a time: the one being ended frees its worker, or proves whole and is served.
        if (std::ranges::none_of(workers_, &Worker::ending)) endOldestUnread();
        acceptWaiting_ = true;
        roomOrEnd_.wait(lock);
        acceptWaiting_ = false;
    }
}

void ConnectionWorkers::endOldestUnread() {
    Worker* oldest = nullptr;
    for (Worker& worker : workers_) {
        if (worker.serving == invalidSocket || worker.read) continue;
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
        serve_(connection, [this, self](bool whole) { return readingOver(*self, whole); });
        lock.lock();
        self->serving = invalidSocket;
        idle_.push_back(self);
        if (acceptWaiting_) roomOrEnd_.notify_one();
        self->wake.wait_for(lock, idleLifetime_, [&] { return self->serving != invalidSocket || stopping_; });
        connection = self->serving;
        if (connection == invalidSocket) break;
        lock.unlock();
    }
    idle_.erase(std::ranges::find(idle_, self));
    workers_.erase(self);
    if (acceptWaiting_ || stopping_) roomOrEnd_.notify_one();
}

bool ConnectionWorkers::readingOver(Worker& worker, bool whole) {
    std::lock_guard lock(mutex_);
    worker.read = true;
    if (!worker.ending) return true;
    if (!whole) return false;
    worker.ending = false;  // all in after all: served, and the accept thread chooses again
    if (acceptWaiting_) roomOrEnd_.notify_one();
    return true;
}

void ConnectionWorkers::stopWorkers() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    for (const auto& worker : idle_) worker->wake.notify_one();
    roomOrEnd_.wait(lock, [this] { return workers_.empty(); });
}
