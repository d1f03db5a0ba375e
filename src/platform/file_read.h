#pragma once
// Reading a whole file as raw bytes. On Windows the file is opened with full
// sharing (read, write, delete), so an editor holding it open does not stop a read.

#include <string>

// The file's bytes, or the empty string when it cannot be opened or read
// (missing, a directory, refused by the file system).
std::string readWholeFile(const std::string& name);
