#include "server/response.h"

#include <cstdint>

namespace {

constexpr std::string_view lineEnd = "\r\n";

}  // namespace

std::string buildResponse(std::string_view status, std::string_view contentType,
                          std::string_view body, std::string_view origin) {
    // The length is announced as an unsigned 32-bit count.
    std::string length = std::to_string(static_cast<std::uint32_t>(body.size()));
    std::string response;
    response.reserve(status.size() + contentType.size() + origin.size() + length.size() +
                     body.size() + 80);
    response.append(status).append(lineEnd);
    response.append("Content-Type: ").append(contentType).append(lineEnd);
    response.append("Access-Control-Allow-Origin: ").append(origin).append(lineEnd);
    response.append("Content-Length: ").append(length).append("\r\n\r\n");
    response.append(body);
    return response;
}

std::string buildPreflightResponse(std::string_view origin) {
    std::string response = "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: ";
    response.append(origin).append(lineEnd);
    response.append("Access-Control-Allow-Methods: GET, POST, OPTIONS\r\n");
    response.append("Access-Control-Allow-Headers: Content-Type, X-CSRF-Token\r\n");
    response.append("Content-Length: 0\r\n\r\n");
    return response;
}

void sendResponse(Socket socket, std::string_view status, std::string_view contentType,
                  std::string_view body, std::string_view origin) {
    std::string response = buildResponse(status, contentType, body, origin);
    sendAll(socket, response.data(), response.size());
}
