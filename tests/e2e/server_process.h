#pragma once
// A real fingerbridge server process on 127.0.0.1:8080, with its console read
// line by line. The suites that use it run in a network of their own
// (support/own_network_main.cpp).

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "support/reply_table.h"

// How to start a server: the Linux binary, or fingerbridge.exe under wine.
struct ServerLaunch {
    std::string program = {};
    std::vector<std::string> leadingArguments = {};  // before the server's own, e.g. the exe for wine
    std::string workingDirectory = {};               // the server finds ../frontend/ from here
    std::vector<std::pair<std::string, std::string>> environment = {};  // added to the test's own
    std::string lineEnd = "\n";                 // how the server's console ends a line
    int lineTimeoutMs = 10000;                  // the longest wait for one console line
    int outPipeBytes = 0;                       // above 0: standard output's pipe shrunk to this, see fillOutput
};

// The launch the shared cases run against, defined once per test program.
ServerLaunch serverLaunch();

class ServerProcess : public ServerUnderTest {
public:
    explicit ServerProcess(const std::vector<std::string>& arguments = {}, const ServerLaunch& launch = serverLaunch());
    ~ServerProcess() override;
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Standard output up to and including the listening line. Throws, with what
    // the server printed, when it ends or falls silent first.
    std::vector<std::string> waitUntilListening();

    // The exit status, once the process has ended.
    int exitStatus();
    // Writes `line` into standard output's pipe until it is full, so the server's next write blocks.
    void fillOutput(const std::string& line);

    std::string exchange(const std::string& request) override;
    // The next lines without their line ends, "" for each after the time-out. A line
    // that does not end as the launch says keeps its "\n", so that it compares unequal.
    std::vector<std::string> outLines(std::size_t count) override { return lines(out_, outBuffer_, count); }
    std::vector<std::string> errLines(std::size_t count) override { return lines(err_, errBuffer_, count); }

private:
    std::string nextLine(int fd, std::string& buffer);
    std::vector<std::string> lines(int fd, std::string& buffer, std::size_t count);

    ServerLaunch launch_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int out_ = -1;
    int err_ = -1;
    int outFill_ = -1;  // standard output's writing end, kept for fillOutput
    std::string outBuffer_;
    std::string errBuffer_;
};
