#include "server/status_endpoint.h"

namespace {

// The setting is printable ASCII and the details are our own texts, so only these two need escaping.
std::string jsonString(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

Reply handleStatus(const Scanner& scanner, const AllowedOrigins& origins) {
    return jsonReply("{\"success\": true, \"version\": \"" FINGERBRIDGE_VERSION "\", \"scanner\": \"" +
                     std::string(scanner.startup.connected ? "connected" : "unavailable") +
                     "\", \"scannerDetail\": " + jsonString(scanner.startup.detail) + ", \"library\": \"" +
                     std::string(scanner.kind) + "\", \"allowedOrigin\": " + jsonString(origins.asGiven) + "}");
}
