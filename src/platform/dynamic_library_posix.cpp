#include "platform/dynamic_library.h"

LibraryLoad loadLibrary(const std::string&) { return {nullptr, libraryNotFoundError}; }

std::string findLibraryFile(const std::string&) { return {}; }

LibraryFunction findOrdinal(LibraryHandle, unsigned) { return nullptr; }
