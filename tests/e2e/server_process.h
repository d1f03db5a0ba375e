#pragma once
// A real fingerbridge server process on 127.0.0.1:8080, with its console read
// line by line. Port 8080 is one per machine: while a ServerProcess lives it
// holds an exclusive lock on portLockFile, which every suite that starts a
// server on 8080 (browser, Windows) takes too.

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

inline constexpr const char* portLockFile = "/tmp/fingerbridge-port8080.lock";

// How to start a server: the Linux binary, or fingerbridge.exe under wine.
struct ServerLaunch {
    std::string program;
    std::vector<std::string> leadingArguments;  // before the server's own, e.g. the exe for wine
    std::string workingDirectory;               // the server finds ../frontend/ from here
    std::vector<std::pair<std::string, std::string>> environment;  // added to the test's own
    std::string lineEnd = "\n";                 // how the server's console ends a line
    int lineTimeoutMs = 10000;                  // the longest wait for one console line
    // A server under long load has its console discarded: unread, it would fill
    // up and stall the server.
    bool discardConsole = false;
};

// The launch a test program's shared end-to-end cases run against; each
// program that compiles those cases defines it once.
ServerLaunch serverLaunch();

class ServerProcess {
public:
    enum class PortLock { take, alreadyHeld };
    explicit ServerProcess(const std::vector<std::string>& arguments = {}, PortLock lock = PortLock::take);
    ServerProcess(const ServerLaunch& launch, const std::vector<std::string>& arguments,
                  PortLock lock = PortLock::take);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The next line of standard output or standard error without its line end,
    // "" after the time-out. A line that does not end as the launch says it
    // should is returned with its "\n", so that it compares unequal.
    std::string nextOutLine() { return nextLine(out_, outBuffer_, launch_.lineTimeoutMs); }
    std::string nextErrLine() { return nextLine(err_, errBuffer_, launch_.lineTimeoutMs); }
    std::string nextOutLine(int timeoutMs) { return nextLine(out_, outBuffer_, timeoutMs); }
    std::string nextErrLine(int timeoutMs) { return nextLine(err_, errBuffer_, timeoutMs); }

    pid_t pid() const { return pid_; }
    // Whether the process is still running (not exited or killed).
    bool running() const;

    // Reads standard output up to and including the listening line (with a
    // discarded console: waits until the port answers, and returns no lines).
    std::vector<std::string> waitUntilListening();

private:
    std::string nextLine(int fd, std::string& buffer, int timeoutMs);

    ServerLaunch launch_;
    int portLock_ = -1;
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errBuffer_;
};
