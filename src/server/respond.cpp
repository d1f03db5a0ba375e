#include "server/respond.h"

#include "http/request.h"
#include "security/csrf_gate.h"
#include "security/host_check.h"
#include "server/routes.h"

namespace {

constexpr std::string_view tooLargeBody = "{\"success\": false, \"message\": \"Request too large.\"}";

ReplyBytes bytesOf(Reply reply, const std::string& origin) {
    std::string head = buildResponseHead(reply.status, reply.contentType, reply.body.size(), origin);
    return {std::move(head), std::move(reply.body)};
}

}  // namespace

ReplyBytes respond(Services& services, std::string_view requestText, const std::string& origin) {
    if (requestText.empty()) return {};
    if (requestState(requestText) == RequestState::tooLarge) {
        ReplyBytes refusal = bytesOf({status::payloadTooLarge, contentType::json, std::string(tooLargeBody)}, origin);
        refusal.drainUnreadInput = true;
        return refusal;
    }
    RequestLine line = cutRequestLine(requestText);
    if (line.method == "OPTIONS") return {buildPreflightResponse(origin), {}};
    std::string_view headerBlock = headerBlockOf(requestText);
    if (std::optional<Reply> refusal = checkHost(services.console, line.path, headerBlock)) {
        return bytesOf(*std::move(refusal), origin);
    }
    if (isProtectedPath(line.path)) {
        if (std::optional<Reply> refusal =
                checkCsrfToken(services.tokens, services.console, line.path, headerBlock)) {
            return bytesOf(*std::move(refusal), origin);
        }
    }
    return bytesOf(routeRequest(services, line.method, line.path, requestText), origin);
}
