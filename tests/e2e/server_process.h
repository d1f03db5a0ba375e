#pragma once
// The real fingerbridge binary, started from the build folder, with its
// console read line by line. Port 8080 is one per machine: while a ServerProcess
// lives it holds an exclusive lock on portLockFile, which every suite that
// starts a server on 8080 (browser, Windows) takes too.

#include <string>
#include <sys/types.h>
#include <vector>

inline constexpr const char* portLockFile = "/tmp/fingerbridge-port8080.lock";

class ServerProcess {
public:
    enum class PortLock { take, alreadyHeld };
    // Console lines are kept for nextOutLine/nextErrLine, or discarded by a
    // server under long load, whose console would otherwise fill up and stall it.
    enum class Console { read, discard };
    explicit ServerProcess(const std::vector<std::string>& arguments = {}, PortLock lock = PortLock::take,
                           Console console = Console::read);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The next line of standard output or standard error; "" after the time-out.
    std::string nextOutLine(int timeoutMs = 10000) { return nextLine(out_, outBuffer_, timeoutMs); }
    std::string nextErrLine(int timeoutMs = 10000) { return nextLine(err_, errBuffer_, timeoutMs); }

    pid_t pid() const { return pid_; }
    // Whether the process is still running (not exited or killed).
    bool running() const;

    // Reads standard output up to and including the listening line
    // (with Console::discard: waits until the port answers).
    std::vector<std::string> waitUntilListening();

private:
    static std::string nextLine(int fd, std::string& buffer, int timeoutMs);

    int portLock_ = -1;
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool discarding_ = false;
    std::string outBuffer_;
    std::string errBuffer_;
};
