#pragma once
// The bytes of files served lately, kept in memory while each file stays the
// version it was read at (same identity, size and modification time), within
// a bound on the bytes kept. Whether a file may be served at all is decided
// before, on every request: the cache is handed a file that passed the checks.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/file_read.h"

class FileCache {
public:
    // At most maxBytes kept in all; a file larger than maxFileBytes is read
    // anew each time and not kept.
    FileCache(std::size_t maxBytes, std::size_t maxFileBytes) : maxBytes_(maxBytes), maxFileBytes_(maxFileBytes) {}

    // The file's bytes: those kept when they are of its version, else read now
    // (and kept, when they fit, in place of older versions and other files).
    std::string bytesOf(FileInside& file);

private:
    struct Kept {
        FileVersion version;
        std::shared_ptr<const std::string> bytes;
    };

    const std::size_t maxBytes_;
    const std::size_t maxFileBytes_;
    std::mutex mutex_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, Kept> files_;  // by volume and index
    std::size_t keptBytes_ = 0;
};
