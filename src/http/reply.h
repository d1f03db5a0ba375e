#pragma once
// Replies: the value every handler returns, the one fixed layout it is sent
// in, the preflight, and the bodies more than one part of the server sends.

#include <cstddef>
#include <string>
#include <string_view>

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

// One reply, before the origin is known: status line (without its line end),
// Content-Type value and body.
struct Reply {
    std::string_view status;
    std::string_view contentType;
    std::string body;
};

// Status 200 with a JSON body: every outcome of the JSON endpoints.
inline Reply jsonReply(std::string body) { return {status::ok, contentType::json, std::move(body)}; }

// The header block of a reply: status line, Content-Type,
// Access-Control-Allow-Origin, Content-Length and the blank line, in that
// order, with no other header.
std::string buildResponseHead(std::string_view status, std::string_view contentType,
                              std::size_t bodyLength, std::string_view origin);

// The CORS preflight reply: no Content-Type and no body.
std::string buildPreflightResponse(std::string_view origin);

// The body both verify endpoints answer with.
std::string_view verificationBody(bool matched);

// A verification may try this many templates at most: with the real device
// each waits for a finger, and the scanner is held meanwhile.
inline constexpr std::size_t maxTemplatesPerVerification = 16;
inline constexpr std::string_view tooManyTemplatesBody =
    "{\"success\": false, \"verified\": false, \"message\": \"Too many templates (at most 16).\"}";

// The static file server's reply for anything it cannot serve.
Reply notFoundReply();
