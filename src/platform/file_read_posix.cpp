#include "platform/file_read.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

namespace {

constexpr int openFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

// Whether a relative name, read as '/'-separated segments, never climbs above
// where it starts.
bool staysBelow(std::string_view name) {
    if (name.starts_with('/') || name.find('\0') != std::string_view::npos) return false;
    long depth = 0;
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view segment = name.substr(start, end - start);
        if (segment == "..") {
            if (--depth < 0) return false;
        } else if (!segment.empty() && segment != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

// A file reached with no link on its way lies where its name says: under the
// folder, for a name that stays below it. Linux opens so in one step
// (RESOLVE_NO_SYMLINKS); -1 when a link is on the way or that cannot be had,
// and the location is then looked up.
int openWithoutLinks(const std::string& path, std::string_view name) {
#ifdef SYS_openat2
    if (!staysBelow(name)) return -1;
    open_how how{};
    how.flags = openFlags;
    how.resolve = RESOLVE_NO_SYMLINKS;
    return static_cast<int>(::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how));
#else
    (void)path;
    (void)name;
    return -1;
#endif
}

// The absolute name with every link resolved, or "" when there is none.
std::string resolved(const std::string& name) {
    std::unique_ptr<char, decltype(&std::free)> path(::realpath(name.c_str(), nullptr), &std::free);
    return path ? std::string(path.get()) : std::string();
}

// Where the opened file lies, links resolved, or "" when unknown. Linux names
// it in one step, the link of its descriptor in /proc (that folder opened once,
// which spares finding it each time); elsewhere the name is resolved and must
// still lead to the file that was opened.
std::string locationOf(int fd, const std::string& name, const struct stat& opened) {
    static const int descriptors = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    char link[PATH_MAX];
    const ssize_t length =
        descriptors < 0 ? -1 : ::readlinkat(descriptors, std::to_string(fd).c_str(), link, sizeof link);
    if (length > 0 && length < static_cast<ssize_t>(sizeof link) && link[0] == '/') {
        return std::string(link, static_cast<std::size_t>(length));
    }
    std::string target = resolved(name);
    struct stat named{};
    const bool same = !target.empty() && ::stat(target.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
                      named.st_ino == opened.st_ino;
    return same ? target : std::string();
}

bool liesUnder(std::string_view target, std::string_view root) {
    return !root.empty() && target.size() > root.size() && target.starts_with(root) && target[root.size()] == '/';
}

}  // namespace

bool Folder::contains(const std::string& location) {
    if (location.empty()) return false;
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (now - resolvedAt_ < std::chrono::seconds(1) && liesUnder(location, resolved_)) return true;
    resolved_ = resolved(path_);
    resolvedAt_ = now;
    return liesUnder(location, resolved_);
}

std::optional<FileInside> FileInside::open(Folder& folder, const std::string& name) {
    // Without O_NONBLOCK, opening a FIFO that has no writer waits for one.
    const std::string path = folder.path() + name;
    int fd = openWithoutLinks(path, name);
    const bool linkFree = fd >= 0;
    if (!linkFree) fd = ::open(path.c_str(), openFlags);
    if (fd < 0) return std::nullopt;
    struct stat opened{};
    // A regular file, still linked (a deleted one has no location), lying under the folder.
    const bool servable = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_nlink > 0 &&
                          (linkFree || folder.contains(locationOf(fd, path, opened)));
    if (!servable) {
        ::close(fd);
        return std::nullopt;
    }
    const FileVersion version{static_cast<std::uint64_t>(opened.st_dev), static_cast<std::uint64_t>(opened.st_ino),
                              static_cast<std::int64_t>(opened.st_size),
                              static_cast<std::int64_t>(opened.st_mtim.tv_sec) * 1'000'000'000 + opened.st_mtim.tv_nsec};
    return FileInside(fd, version);
}

FileInside::~FileInside() {
    if (handle_ != none) ::close(static_cast<int>(handle_));
}

std::string FileInside::readAll(std::size_t maxBytes) {
    std::string bytes;
    bytes.reserve(std::min(static_cast<std::size_t>(version_.size), maxBytes));
    char chunk[65536];
    while (bytes.size() < maxBytes) {
        ssize_t got = ::read(static_cast<int>(handle_), chunk, std::min(sizeof chunk, maxBytes - bytes.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // a read error keeps what was read so far
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}
