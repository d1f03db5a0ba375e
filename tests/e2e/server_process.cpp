#include "e2e/server_process.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/loopback.h"

extern char** environ;

namespace {

// The test's environment with the launch's variables added or replaced.
std::vector<std::string> childEnvironment(const ServerLaunch& launch) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string variable = *entry;
        bool replaced = false;
        for (const auto& [name, value] : launch.environment) {
            replaced = replaced || variable.rfind(name + "=", 0) == 0;
        }
        if (!replaced) variables.push_back(std::move(variable));
    }
    for (const auto& [name, value] : launch.environment) variables.push_back(name + "=" + value);
    return variables;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& arguments, PortLock lock)
    : ServerProcess(serverLaunch(), arguments, lock) {}

ServerProcess::ServerProcess(const ServerLaunch& launch, const std::vector<std::string>& arguments,
                             PortLock lock)
    : launch_(launch) {
    if (lock == PortLock::take) {
        portLock_ = open(portLockFile, O_CREAT | O_RDWR | O_CLOEXEC, 0666);
        if (portLock_ < 0 || flock(portLock_, LOCK_EX) != 0) throw std::runtime_error("port lock failed");
    }
    // Everything the child needs is built before fork: after it, only exec.
    std::vector<std::string> argumentTexts{launch.program};
    argumentTexts.insert(argumentTexts.end(), launch.leadingArguments.begin(), launch.leadingArguments.end());
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts = childEnvironment(launch);
    std::vector<char*> argv = pointersTo(argumentTexts);
    std::vector<char*> envp = pointersTo(environmentTexts);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // A test that dies without its destructors must not leave a server on the port.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int console = launch.discardConsole ? open("/dev/null", O_WRONLY) : -1;
        dup2(launch.discardConsole ? console : outPipe[1], STDOUT_FILENO);
        dup2(launch.discardConsole ? console : errPipe[1], STDERR_FILENO);
        if (chdir(launch.workingDirectory.c_str()) != 0) _exit(126);
        execve(launch.program.c_str(), argv.data(), envp.data());
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end + 1);
            buffer.erase(0, end + 1);
            if (line.ends_with(launch_.lineEnd)) line.resize(line.size() - launch_.lineEnd.size());
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return "";
        char chunk[4096];
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) return "";
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

bool ServerProcess::running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

std::vector<std::string> ServerProcess::waitUntilListening() {
    std::vector<std::string> lines;
    if (launch_.discardConsole) {
        for (int attempt = 0; attempt < launch_.lineTimeoutMs / 10; ++attempt) {
            try {
                closeSocket(connectToLoopback(8080));
                break;
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
