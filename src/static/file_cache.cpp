#include "static/file_cache.h"

std::string FileCache::bytesOf(FileInside& file) {
    const FileVersion& version = file.version();
    const std::pair identity{version.volume, version.index};
    std::unique_lock lock(mutex_);
    if (auto found = files_.find(identity); found != files_.end() && found->second.version == version) {
        std::shared_ptr<const std::string> bytes = found->second.bytes;
        lock.unlock();
        return *bytes;
    }
    lock.unlock();
    auto bytes = std::make_shared<const std::string>(file.readAll());
    if (bytes->size() > maxFileBytes_ || bytes->size() > maxBytes_) return *bytes;
    lock.lock();
    if (auto found = files_.find(identity); found != files_.end()) {
        keptBytes_ -= found->second.bytes->size();
        files_.erase(found);
    }
    // Any file makes room: the bound matters, not which file stays.
    while (keptBytes_ + bytes->size() > maxBytes_) {
        keptBytes_ -= files_.begin()->second.bytes->size();
        files_.erase(files_.begin());
    }
    keptBytes_ += bytes->size();
    files_[identity] = {version, bytes};
    return *bytes;
}
