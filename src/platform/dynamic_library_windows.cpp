#include "platform/dynamic_library.h"

#include <windows.h>

LibraryHandle loadLibrary(const std::string& name) {
    return reinterpret_cast<LibraryHandle>(LoadLibraryA(name.c_str()));
}

LibraryFunction findOrdinal(LibraryHandle library, unsigned ordinal) {
    if (library == nullptr) return nullptr;
    FARPROC found = GetProcAddress(reinterpret_cast<HMODULE>(library),
                                   MAKEINTRESOURCEA(static_cast<WORD>(ordinal)));
    return reinterpret_cast<LibraryFunction>(found);
}
