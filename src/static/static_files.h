#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http/reply.h"

inline constexpr const char* frontendRoot = "../frontend/";

// Everything no API route claims: a file of the frontend's "biometric/" folder,
// "/" being its scan.html.
Reply handleStaticFile(const std::string& path);

// The bytes of frontendRoot + relativePath, or "" when it is no regular file or
// its resolved location (links followed) lies outside the resolved frontendRoot.
// Checked on every call; the bytes come from memory while the file is unchanged.
std::string readFrontendFile(const std::string& relativePath);

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
