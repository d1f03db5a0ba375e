#include "platform/dynamic_library.h"

LibraryHandle loadLibrary(const std::string&) { return nullptr; }

LibraryFunction findOrdinal(LibraryHandle, unsigned) { return nullptr; }
