#include "e2e/server_process.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/loopback.h"

extern char** environ;

namespace {

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& arguments, const ServerLaunch& launch)
    : launch_(launch) {
    // Everything the child needs is built before fork: after it, only exec.
    std::vector<std::string> argumentTexts{launch.program};
    argumentTexts.insert(argumentTexts.end(), launch.leadingArguments.begin(), launch.leadingArguments.end());
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts;
    for (char** entry = environ; *entry != nullptr; ++entry) environmentTexts.emplace_back(*entry);
    // getenv finds a name's first entry, so the launch's own come first.
    for (const auto& [name, value] : launch.environment) {
        environmentTexts.insert(environmentTexts.begin(), name + "=" + value);
    }
    std::vector<char*> argv = pointersTo(argumentTexts);
    std::vector<char*> envp = pointersTo(environmentTexts);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (launch.outPipeBytes > 0 && fcntl(outPipe[0], F_SETPIPE_SZ, launch.outPipeBytes) < 0) {
        throw std::runtime_error("F_SETPIPE_SZ failed");
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // A test that dies without its destructors must not leave a server behind.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        if (chdir(launch.workingDirectory.c_str()) != 0) _exit(126);
        execve(launch.program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    if (launch.outPipeBytes > 0) outFill_ = outPipe[1]; else close(outPipe[1]);
    close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
}

ServerProcess::~ServerProcess() {
    if (!exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
    close(outFill_);
}

void ServerProcess::fillOutput(const std::string& line) {
    const std::string whole = line + "\n";  // at most PIPE_BUF, so each write is all or nothing
    // A description of its own: O_NONBLOCK on the shared one would reach the server's standard output.
    int fill = open(("/proc/self/fd/" + std::to_string(outFill_)).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    while (write(fill, whole.data(), whole.size()) > 0) {}
    close(fill);
}

std::string ServerProcess::nextLine(int fd, std::string& buffer) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(launch_.lineTimeoutMs);
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

std::vector<std::string> ServerProcess::waitUntilListening() {
    std::vector<std::string> lines;
    while (lines.size() < 3) {
        lines.push_back(nextLine(out_, outBuffer_));
        if (lines.back().starts_with("Server is listening")) return lines;
        if (lines.back().empty()) break;
    }
    std::string printed;
    for (const std::string& line : lines) printed += line + "\n";
    for (std::string line; !(line = nextLine(err_, errBuffer_)).empty();) printed += line + "\n";
    throw std::runtime_error("the server did not start listening; it printed:\n" + printed);
}

int ServerProcess::exitStatus() {
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::exchange(const std::string& request) { return sendRequest(8080, request); }

std::vector<std::string> ServerProcess::lines(int fd, std::string& buffer, std::size_t count) {
    std::vector<std::string> lines;
    while (lines.size() < count) lines.push_back(nextLine(fd, buffer));
    return lines;
}
