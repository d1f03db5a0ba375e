#include "security/csrf_gate.h"

#include "encoding/console_text.h"
#include "http/request.h"

namespace {

constexpr std::string_view tokenHeaderName = "X-CSRF-Token";
constexpr std::string_view csrfFailureBody =
    "{\"success\": false, \"message\": \"CSRF token mismatch, missing, or expired.\"}";

}  // namespace

std::string generateCsrfToken(CsrfTokenStore& tokens, Console& console) {
    std::string token = tokens.issue();
    console.out("New CSRF Token Generated and Stored: " + token);
    return token;
}

Reply handleConfig(CsrfTokenStore& tokens, Console& console) {
    return jsonReply("{\"csrfToken\": \"" + generateCsrfToken(tokens, console) + "\"}");
}

std::optional<Reply> checkCsrfToken(CsrfTokenStore& tokens, Console& console, const Request& request) {
    std::string token = getHeaderValue(request.headerBlock, tokenHeaderName);
    if (tokens.accept(token)) {
        console.out("CSRF check PASSED for " + forConsole(request.path));
        return std::nullopt;
    }
    console.err("CSRF check FAILED for " + forConsole(request.path) + " (Token: '" + forConsole(token) + "')");
    return Reply{status::forbidden, contentType::json, std::string(csrfFailureBody)};
}
