#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http/reply.h"
#include "platform/file_read.h"
#include "static/file_cache.h"

// Relative to the working directory, which is why the server starts from build/.
inline constexpr const char* defaultFrontendRoot = "../frontend/";

// The frontend tree the server serves and the bytes of its files served
// lately; one per server, built with it.
class FrontendFiles {
public:
    // root ends with a separator.
    explicit FrontendFiles(std::string root = defaultFrontendRoot) : root_(std::move(root)) {}

    // The bytes of root + relativePath, or "" when it is no regular file or its
    // resolved location (links followed) lies outside the resolved root.
    // Checked on every call; the bytes come from memory while the file is unchanged.
    std::string read(const std::string& relativePath);

private:
    Folder root_;
    // The frontend is tens of kilobytes: the bound only stops a tree of large
    // files from taking memory without end.
    FileCache cache_{8 * 1024 * 1024, 1024 * 1024};
};

// Everything no API route claims: a file of the frontend's "biometric/" folder,
// "/" being its scan.html.
Reply handleStaticFile(FrontendFiles& files, std::string_view path);

// The file a request path names, relative to the frontend root, or nothing
// when the path is empty or its name would leave the frontend tree.
std::optional<std::string> frontendRelativePath(std::string_view requestPath);

// Whether a relative name stays inside the tree it is relative to: its ".."
// segments ("/" or "\" separated) never climb above the start, it holds no
// NUL byte and no colon (a Windows drive or stream), and no segment names a
// device, which Windows opens in every folder in place of a file: a base name
// (up to the first "." or ":", trailing dots and spaces dropped) of CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, CLOCK$, or COM or LPT followed by a digit or a
// superscript 1, 2 or 3, in any ASCII case.
bool staysInsideTree(std::string_view relativePath);

// The content type for a relative path: the first of ".css", ".js", ".gif"
// found anywhere in it, else text/html.
std::string_view contentTypeFor(std::string_view relativePath);
