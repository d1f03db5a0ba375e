#pragma once
// Loading a shared library and finding its functions by export ordinal. Only
// Windows libraries export by ordinal; elsewhere no library is ever found.

#include <cstdint>
#include <string>

using LibraryHandle = void*;
using LibraryFunction = void (*)();

// The loaded library, or nullptr and the loader's error code.
struct LibraryLoad {
    LibraryHandle handle = nullptr;
    std::uint32_t error = 0;
};

// The loader's "module not found" and "not a valid image for this process".
inline constexpr std::uint32_t libraryNotFoundError = 126;
inline constexpr std::uint32_t libraryBadFormatError = 193;

LibraryLoad loadLibrary(const std::string& name);

// The file the loader's search path finds under that name, or "" when none.
std::string findLibraryFile(const std::string& name);

// The function exported under that ordinal number, or nullptr.
LibraryFunction findOrdinal(LibraryHandle library, unsigned ordinal);
