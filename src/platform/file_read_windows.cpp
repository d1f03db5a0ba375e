#include "platform/file_read.h"

#include <windows.h>

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

std::string readFileInside(const std::string& folder, const std::string& name) {
    // Only a handle opened with backup semantics can stand for a folder.
    HANDLE root = openShared(folder, FILE_FLAG_BACKUP_SEMANTICS);
    if (root == INVALID_HANDLE_VALUE) return {};
    const std::wstring rootPath = finalPath(root);
    CloseHandle(root);
    HANDLE file = openShared(folder + name, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return {};
    // A console, pipe or printer is no disk file, and a read of one may wait for ever.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool servable = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                          !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !rootPath.empty() &&
                          finalPath(file).starts_with(rootPath + L"\\");
    std::string bytes;
    if (servable) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size) && size.QuadPart > 0) bytes.reserve(static_cast<std::size_t>(size.QuadPart));
        char chunk[65536];
        DWORD got = 0;
        // A read error keeps what was read so far.
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}
