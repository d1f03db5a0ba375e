#include "platform/file_read.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The absolute name with every link resolved, or "" when there is none.
std::string resolved(const std::string& name) {
    std::unique_ptr<char, decltype(&std::free)> path(::realpath(name.c_str(), nullptr), &std::free);
    return path ? std::string(path.get()) : std::string();
}

}  // namespace

std::string readFileInside(const std::string& folder, const std::string& name) {
    // Without O_NONBLOCK, opening a FIFO that has no writer waits for one.
    int fd = ::open((folder + name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    const std::string root = resolved(folder);
    const std::string target = resolved(folder + name);
    struct stat opened{};
    struct stat named{};
    // The resolved name must lie under the folder and still be the file that was opened.
    const bool servable = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && !root.empty() &&
                          target.starts_with(root + "/") && ::stat(target.c_str(), &named) == 0 &&
                          named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
    std::string bytes;
    if (servable) {
        bytes.reserve(static_cast<std::size_t>(opened.st_size));
        char chunk[65536];
        for (;;) {
            ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;  // a read error keeps what was read so far
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return bytes;
}
