#pragma once
// Replies: the one fixed layout every handler answers with, and the preflight.

#include <string>
#include <string_view>

#include "platform/net.h"

namespace status {
inline constexpr std::string_view ok = "HTTP/1.1 200 OK";
inline constexpr std::string_view forbidden = "HTTP/1.1 403 Forbidden";
inline constexpr std::string_view notFound = "HTTP/1.1 404 Not Found";
inline constexpr std::string_view payloadTooLarge = "HTTP/1.1 413 Payload Too Large";
}  // namespace status

namespace contentType {
inline constexpr std::string_view json = "application/json";
inline constexpr std::string_view plainText = "text/plain";
}  // namespace contentType

// The header block of a reply: status line, Content-Type,
// Access-Control-Allow-Origin, Content-Length and the blank line, in that
// order, with no other header.
std::string buildResponseHead(std::string_view status, std::string_view contentType,
                              std::size_t bodyLength, std::string_view origin);

// The CORS preflight reply: no Content-Type and no body.
std::string buildPreflightResponse(std::string_view origin);

// Builds the reply and writes all of it; a peer that has gone is ignored.
void sendResponse(Socket socket, std::string_view status, std::string_view contentType,
                  std::string_view body, std::string_view origin);
