#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http/reply.h"

inline constexpr const char* frontendRoot = "../frontend/";

// Everything no API route claims: a file of the frontend's "biometric/" folder,
// "/" being its scan.html.
Reply handleStaticFile(const std::string& path);

// The bytes of frontendRoot + relativePath, or "" when it cannot be read.
std::string readFrontendFile(const std::string& relativePath);

// The file a request path names, relative to the frontend root, or nothing
// when the path is empty or its name would leave the frontend tree.
std::optional<std::string> frontendRelativePath(std::string_view requestPath);

// Whether a relative name stays inside the tree it is relative to: its ".."
// segments ("/" or "\" separated) never climb above the start, and it holds no
// NUL byte and no colon (a Windows drive or stream).
bool staysInsideTree(std::string_view relativePath);

// The content type for a relative path: the first of ".css", ".js", ".gif"
// found anywhere in it, else text/html.
std::string_view contentTypeFor(std::string_view relativePath);
