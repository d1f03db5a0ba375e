#include "security/origin_check.h"

#include <algorithm>

#include "encoding/console_text.h"
#include "http/request.h"

namespace {

constexpr std::string_view originNotAllowedBody = "{\"success\": false, \"message\": \"Origin not allowed.\"}";
// The service's own pages may always use it.
constexpr std::string_view ownOrigins[] = {"http://127.0.0.1:8080", "http://localhost:8080", "http://[::1]:8080"};

std::string_view trimmedOfSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool allowed(const AllowedOrigins& origins, std::string_view origin) {
    return origin != "null" && (std::ranges::find(origins.entries, origin) != origins.entries.end() ||
                                std::ranges::find(ownOrigins, origin) != std::end(ownOrigins));
}

Reply refusal(Console& console, std::string_view path, std::string_view header, std::string_view value) {
    console.err("Origin check FAILED for " + forConsole(path) + " (" + std::string(header) + ": '" +
                forConsole(value) + "')");
    return {status::forbidden, contentType::json, std::string(originNotAllowedBody)};
}

}  // namespace

std::variant<AllowedOrigins, std::string> parseAllowedOrigins(std::string_view value) {
    // It is printed in the banner and sent in headers: nothing a terminal or a header line could misread.
    if (std::ranges::any_of(value, [](unsigned char c) { return c < 0x20 || c > 0x7E; })) {
        return std::string("Invalid --origin value: it must be printable ASCII.");
    }
    AllowedOrigins origins{std::string(value), {}, value.find(',') != std::string_view::npos};
    if (!origins.isList) {
        origins.entries.emplace_back(trimmedOfSpaces(value));
        return origins;
    }
    for (std::size_t start = 0; start <= value.size();) {
        std::size_t comma = std::min(value.find(',', start), value.size());
        std::string_view entry = trimmedOfSpaces(value.substr(start, comma - start));
        if (entry.empty() || entry == "*") {
            return std::string("Invalid --origin value: a list must name origins, with no empty entry and no *.");
        }
        origins.entries.emplace_back(entry);
        start = comma + 1;
    }
    return origins;
}

std::string_view replyOrigin(const AllowedOrigins& origins, const Request& request) {
    if (!origins.isList) return origins.asGiven;
    std::vector<std::string_view> requested = request.values("Origin");
    if (!requested.empty() && std::ranges::find(origins.entries, requested.front()) != origins.entries.end()) {
        return requested.front();
    }
    return origins.entries.front();
}

std::optional<Reply> checkOrigin(const AllowedOrigins& origins, Console& console, const Request& request) {
    if (origins.asGiven == "*") return std::nullopt;
    std::vector<std::string_view> requested = request.values("Origin");
    if (requested.size() > 1 || (requested.size() == 1 && !allowed(origins, requested.front()))) {
        return refusal(console, request.path, "Origin", requested.front());
    }
    if (requested.empty()) {
        // Browsers send no Origin on a cross-site GET that did not ask for CORS
        // (an image, a no-cors fetch), but they do say where it comes from.
        std::vector<std::string_view> site = request.values("Sec-Fetch-Site");
        if (!site.empty() && site.front() != "same-origin" && site.front() != "none") {
            return refusal(console, request.path, "Sec-Fetch-Site", site.front());
        }
    }
    return std::nullopt;
}
