#include "security/host_check.h"

#include <array>

#include "encoding/console_text.h"
#include "http/request.h"

namespace {

constexpr std::string_view hostNotAllowedBody = "{\"success\": false, \"message\": \"Host not allowed.\"}";

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

std::optional<Reply> checkHost(Console& console, const Request& request) {
    for (const Header& header : request.headers) {
        if (!equalsIgnoringCase(header.name, "Host") || isLoopbackHost(header.value)) continue;
        console.err("Host check FAILED for " + forConsole(request.path) + " (Host: '" + forConsole(header.value) + "')");
        return Reply{status::forbidden, contentType::json, std::string(hostNotAllowedBody)};
    }
    return std::nullopt;
}
