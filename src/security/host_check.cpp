#include "security/host_check.h"

#include <array>

namespace {

constexpr std::string_view hostNotAllowedBody = "{\"success\": false, \"message\": \"Host not allowed.\"}";

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpaceOrTab(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpaceOrTab(text.back())) text.remove_suffix(1);
    return text;
}

bool isPort(std::string_view text) {
    if (text.size() > 5) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

bool isLoopbackHost(std::string_view hostValue) {
    static constexpr std::array<std::string_view, 3> allowed{"127.0.0.1", "localhost", "[::1]"};
    std::string_view name = hostValue;
    std::string_view port;
    std::size_t colon = hostValue.rfind(':');
    // A colon inside brackets belongs to an IPv6 address, not to the port.
    if (colon != std::string_view::npos && hostValue.find(']', colon) == std::string_view::npos) {
        name = hostValue.substr(0, colon);
        port = hostValue.substr(colon + 1);
        if (!isPort(port)) return false;
    }
    for (std::string_view candidate : allowed) {
        if (equalsIgnoringCase(name, candidate)) return true;
    }
    return false;
}

std::optional<std::string> findForeignHost(std::string_view headerBlock) {
    constexpr std::string_view hostName = "host:";
    // Header lines follow the request line.
    std::size_t lineStart = headerBlock.find("\r\n");
    while (lineStart != std::string_view::npos) {
        lineStart += 2;
        std::size_t lineEnd = headerBlock.find("\r\n", lineStart);
        std::string_view line = headerBlock.substr(lineStart, lineEnd == std::string_view::npos
                                                                  ? std::string_view::npos
                                                                  : lineEnd - lineStart);
        if (equalsIgnoringCase(line.substr(0, hostName.size()), hostName)) {
            std::string_view value = trimmed(line.substr(hostName.size()));
            if (!isLoopbackHost(value)) return std::string(value);
        }
        lineStart = lineEnd;
    }
    return std::nullopt;
}

std::optional<Reply> checkHost(Console& console, const std::string& path, std::string_view headerBlock) {
    std::optional<std::string> foreignHost = findForeignHost(headerBlock);
    if (!foreignHost) return std::nullopt;
    console.err("Host check FAILED for " + path + " (Host: '" + *foreignHost + "')");
    return Reply{status::forbidden, contentType::json, std::string(hostNotAllowedBody)};
}
