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

Reply handleStatus(Scanner& scanner, Console& console, const AllowedOrigins& origins) {
    const ScannerState state = scanner.check(console);
    return jsonReply("{\"success\": true, \"version\": \"" FINGERBRIDGE_VERSION "\", \"scanner\": \"" +
                     std::string(state.connected ? "connected" : "unavailable") +
                     "\", \"scannerDetail\": " + jsonString(state.detail) + ", \"library\": \"" +
                     std::string(state.kind) + "\", \"allowedOrigin\": " + jsonString(origins.asGiven) + "}");
}
