#include "http/reply.h"

#include <cstdint>

namespace {

constexpr std::string_view lineEnd = "\r\n";

}  // namespace

std::string buildResponseHead(std::string_view status, std::string_view contentType,
                              std::size_t bodyLength, std::string_view origin) {
    // The length is announced as an unsigned 32-bit count.
    std::string length = std::to_string(static_cast<std::uint32_t>(bodyLength));
    std::string head;
    head.reserve(status.size() + contentType.size() + origin.size() + length.size() + 80);
    head.append(status).append(lineEnd);
    head.append("Content-Type: ").append(contentType).append(lineEnd);
    head.append("Access-Control-Allow-Origin: ").append(origin).append(lineEnd);
    head.append("Content-Length: ").append(length).append("\r\n\r\n");
    return head;
}

std::string buildPreflightResponse(std::string_view origin) {
    std::string response = "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: ";
    response.append(origin).append(lineEnd);
    response.append("Access-Control-Allow-Methods: GET, POST, OPTIONS\r\n");
    response.append("Access-Control-Allow-Headers: Content-Type, X-CSRF-Token\r\n");
    response.append("Content-Length: 0\r\n\r\n");
    return response;
}

std::string_view verificationBody(bool matched) {
    return matched ? "{\"success\": true, \"verified\": true}"
                   : "{\"success\": true, \"verified\": false, \"message\": \"Verification failed: "
                     "No matching fingerprint found.\"}";
}

Reply notFoundReply() { return {status::notFound, contentType::plainText, "404 Not Found"}; }
