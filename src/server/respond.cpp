#include "server/respond.h"

#include "http/request.h"
#include "security/csrf_gate.h"
#include "security/host_check.h"
#include "security/origin_check.h"
#include "server/routes.h"

namespace {

constexpr std::string_view tooLargeBody = "{\"success\": false, \"message\": \"Request too large.\"}";

ReplyBytes bytesOf(Reply reply, std::string_view origin) {
    std::string head = buildResponseHead(reply.status, reply.contentType, reply.body.size(), origin);
    return {std::move(head), std::move(reply.body)};
}

}  // namespace

ReplyBytes respond(Services& services, std::string_view requestText) {
    if (requestText.empty()) return {};
    const Request request = parseRequest(requestText);
    const std::string_view origin = replyOrigin(services.origins, request);
    if (request.state == RequestState::tooLarge) {
        ReplyBytes refusal = bytesOf({status::payloadTooLarge, contentType::json, std::string(tooLargeBody)}, origin);
        refusal.drainUnreadInput = true;
        return refusal;
    }
    if (request.method == "OPTIONS") return {buildPreflightResponse(origin), {}};
    std::optional<Reply> refusal = checkHost(services.console, request);
    const bool gated = isProtectedPath(request.path);
    if (!refusal && (gated || request.path == "/api/config")) {
        refusal = checkOrigin(services.origins, services.console, request);
    }
    if (!refusal && gated) refusal = checkCsrfToken(services.tokens, services.console, request);
    return bytesOf(refusal ? *std::move(refusal) : routeRequest(services, request), origin);
}
