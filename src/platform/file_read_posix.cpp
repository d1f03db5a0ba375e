#include "platform/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string readWholeFile(const std::string& name) {
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string bytes;
    struct stat info{};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
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
