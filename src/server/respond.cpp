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
    const RequestParts request = cutRequest(requestText);
    const std::string_view headerBlock = request.headerBlock;
    const std::string_view origin = replyOrigin(services.origins, headerBlock);
    if (request.state == RequestState::tooLarge) {
        ReplyBytes refusal = bytesOf({status::payloadTooLarge, contentType::json, std::string(tooLargeBody)}, origin);
        refusal.drainUnreadInput = true;
        return refusal;
    }
    RequestLine line = cutRequestLine(requestText);
    if (line.method == "OPTIONS") return {buildPreflightResponse(origin), {}};
    std::optional<Reply> refusal = checkHost(services.console, line.path, headerBlock);
    bool gated = isProtectedPath(line.path);
    if (!refusal && (gated || line.path == "/api/config")) {
        refusal = checkOrigin(services.origins, services.console, line.path, headerBlock);
    }
    if (!refusal && gated) refusal = checkCsrfToken(services.tokens, services.console, line.path, headerBlock);
    return bytesOf(refusal ? *std::move(refusal) : routeRequest(services, line.method, line.path, request.body), origin);
}
