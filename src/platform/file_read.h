#pragma once
// Reading a whole file as raw bytes, only a regular disk file and only inside a
// given folder. On Windows the file is opened with full sharing (read, write,
// delete), so an editor holding it open does not stop a read.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

// What tells one version of a file from another: which file it is (device and
// inode; on Windows volume serial and file index), its size and its last
// modification time in nanoseconds.
struct FileVersion {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanos = 0;
    bool operator==(const FileVersion&) const = default;
};

// A folder that files are read from, named relative to the working directory
// or absolute, with its resolved location (links followed) kept between reads
// where the platform looks it up: for a second, and looked up again at once
// when a file seems to lie outside, so a moved folder or a new working
// directory never refuses a file that lies inside.
class Folder {
public:
    explicit Folder(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    friend class FileInside;
    bool contains(const std::string& location);

    const std::string path_;
    std::mutex mutex_;
    std::string resolved_;
    std::chrono::steady_clock::time_point resolvedAt_;
};

// A file opened for reading that passed the checks below; closed when dropped.
class FileInside {
public:
    // folder + name, when it can be opened and is a regular disk file whose
    // resolved location (links followed) is inside the resolved folder; nothing
    // otherwise (missing, a directory, a device or FIFO, refused by the file
    // system, outside). Never waits for a device or a FIFO's writer.
    static std::optional<FileInside> open(Folder& folder, const std::string& name);

    FileInside(FileInside&& other) noexcept : handle_(other.handle_), version_(other.version_) { other.handle_ = none; }
    FileInside& operator=(FileInside&&) = delete;
    ~FileInside();

    // As it was when opened.
    const FileVersion& version() const { return version_; }

    // The bytes from the start, at most maxBytes; a read error keeps what was read so far.
    std::string readAll(std::size_t maxBytes = SIZE_MAX);

private:
    static constexpr std::intptr_t none = -1;
    FileInside(std::intptr_t handle, const FileVersion& version) : handle_(handle), version_(version) {}

    std::intptr_t handle_;  // a descriptor, or a Windows HANDLE
    FileVersion version_;
};
