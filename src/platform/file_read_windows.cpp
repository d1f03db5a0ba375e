#include "platform/file_read.h"

#include <windows.h>

#include <algorithm>

namespace {

HANDLE openShared(const std::string& name, DWORD flags) {
    return CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

// Where an open handle's file really is, links and junctions followed; "" when unknown.
std::wstring finalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    // A buffer too small gets the size needed (NUL included), at least its own size; 0 is a failure.
    while ((length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                               FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)) >= path.size()) {
        path.resize(length);
    }
    path.resize(length);
    return path;
}

}  // namespace

std::optional<FileInside> FileInside::open(Folder& folder, const std::string& name) {
    // The folder is looked up on every open: a handle to it tells where it is now.
    // Only a handle opened with backup semantics can stand for a folder.
    HANDLE root = openShared(folder.path(), FILE_FLAG_BACKUP_SEMANTICS);
    if (root == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::wstring rootPath = finalPath(root);
    CloseHandle(root);
    HANDLE file = openShared(folder.path() + name, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    // A console, pipe or printer is no disk file, and a read of one may wait for ever.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool servable = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                          !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !rootPath.empty() &&
                          finalPath(file).starts_with(rootPath + L"\\");
    if (!servable) {
        CloseHandle(file);
        return std::nullopt;
    }
    auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    // A FILETIME counts 100-nanosecond steps from 1601; from 1970 in nanoseconds it fits 64 bits.
    constexpr std::int64_t stepsFrom1601To1970 = 116'444'736'000'000'000;
    const auto modifiedSteps = static_cast<std::int64_t>(
        join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    const FileVersion version{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                              static_cast<std::int64_t>(join(info.nFileSizeHigh, info.nFileSizeLow)),
                              (modifiedSteps - stepsFrom1601To1970) * 100};
    return FileInside(reinterpret_cast<std::intptr_t>(file), version);
}

FileInside::~FileInside() {
    if (handle_ != none) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::string FileInside::readAll(std::size_t maxBytes) {
    std::string bytes;
    if (version_.size > 0) bytes.reserve(std::min(static_cast<std::size_t>(version_.size), maxBytes));
    char chunk[65536];
    DWORD got = 0;
    // A read error keeps what was read so far.
    while (bytes.size() < maxBytes &&
           ReadFile(reinterpret_cast<HANDLE>(handle_), chunk,
                    static_cast<DWORD>(std::min(sizeof chunk, maxBytes - bytes.size())), &got, nullptr) &&
           got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}
