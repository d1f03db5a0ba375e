#include "e2e/server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "support/loopback.h"

ServerProcess::ServerProcess(const std::vector<std::string>& arguments, PortLock lock, Console console)
    : discarding_(console == Console::discard) {
    if (lock == PortLock::take) {
        portLock_ = open(portLockFile, O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        if (portLock_ < 0 || flock(portLock_, LOCK_EX) != 0) throw std::runtime_error("port lock failed");
    }
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        int sink = discarding_ ? open("/dev/null", O_WRONLY) : -1;
        dup2(discarding_ ? sink : outPipe[1], STDOUT_FILENO);
        dup2(discarding_ ? sink : errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        if (chdir(FINGERBRIDGE_BUILD_DIR) != 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(FINGERBRIDGE_BINARY)};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(FINGERBRIDGE_BINARY, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
    if (portLock_ >= 0) close(portLock_);  // releases the port lock
}

std::string ServerProcess::nextLine(int fd, std::string& buffer, int timeoutMs) {
    for (;;) {
        std::size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return line;
        }
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, timeoutMs) <= 0) return "";
        char chunk[4096];
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) return "";
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

std::vector<std::string> ServerProcess::waitUntilListening() {
    std::vector<std::string> lines;
    if (discarding_) {
        for (int i = 0; i < 1000; ++i) {
            try {
                closeSocket(connectToLoopback(8080));
                return lines;
            } catch (const std::exception&) {
                usleep(10000);
            }
        }
        return lines;
    }
    for (int i = 0; i < 3; ++i) {
        lines.push_back(nextOutLine());
        if (lines.back().starts_with("Server is listening")) break;
    }
    return lines;
}

bool ServerProcess::running() const {
    return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0;
}
