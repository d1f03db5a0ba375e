#pragma once
// The real fingerbridge binary, started from the build folder, with its
// console read line by line.

#include <string>
#include <sys/types.h>
#include <vector>

class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& arguments = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The next line of standard output or standard error; "" after the time-out.
    std::string nextOutLine(int timeoutMs = 10000) { return nextLine(out_, outBuffer_, timeoutMs); }
    std::string nextErrLine(int timeoutMs = 10000) { return nextLine(err_, errBuffer_, timeoutMs); }

    // Reads standard output up to and including the listening line.
    std::vector<std::string> waitUntilListening();

private:
    static std::string nextLine(int fd, std::string& buffer, int timeoutMs);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string errBuffer_;
};
