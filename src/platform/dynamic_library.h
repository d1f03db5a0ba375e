#pragma once
// Loading a shared library and finding its functions by export ordinal. Only
// Windows libraries export by ordinal; elsewhere no library is ever found.

#include <string>

using LibraryHandle = void*;
using LibraryFunction = void (*)();

// The loaded library, or nullptr when it cannot be loaded.
LibraryHandle loadLibrary(const std::string& name);

// The function exported under that ordinal number, or nullptr.
LibraryFunction findOrdinal(LibraryHandle library, unsigned ordinal);
