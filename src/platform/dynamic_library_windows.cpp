#include "platform/dynamic_library.h"

#include <windows.h>

LibraryLoad loadLibrary(const std::string& name) {
    HMODULE library = LoadLibraryA(name.c_str());
    return {reinterpret_cast<LibraryHandle>(library), library == nullptr ? GetLastError() : 0};
}

std::string findLibraryFile(const std::string& name) {
    char path[MAX_PATH];
    DWORD length = SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, path, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

LibraryFunction findOrdinal(LibraryHandle library, unsigned ordinal) {
    if (library == nullptr) return nullptr;
    FARPROC found = GetProcAddress(reinterpret_cast<HMODULE>(library),
                                   MAKEINTRESOURCEA(static_cast<WORD>(ordinal)));
    return reinterpret_cast<LibraryFunction>(found);
}
