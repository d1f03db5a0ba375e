#pragma once
// Reading a whole file as raw bytes, only a regular disk file and only inside a
// given folder. On Windows the file is opened with full sharing (read, write,
// delete), so an editor holding it open does not stop a read.

#include <string>

// The bytes of folder + name, or the empty string when it cannot be opened or
// read (missing, a directory, a device or FIFO, refused by the file system) or
// when its resolved location (links followed) is not inside the resolved folder.
// Never waits for a device or a FIFO's writer.
std::string readFileInside(const std::string& folder, const std::string& name);
