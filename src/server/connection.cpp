#include "server/connection.h"

#include <algorithm>
#include <optional>

#include "http/request.h"
#include "server/respond.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads until the request is whole or too large, or the peer closes or fails
// (both end the reading alike: what arrived is answered). Nothing at all when
// the header block or the whole request misses its deadline.
std::optional<RequestAssembler> receiveRequest(Socket socket, Clock::time_point headerDeadline,
                                               Clock::time_point requestDeadline) {
    RequestAssembler request;
    char buffer[readChunkSize];
    while (request.state() == RequestState::needMore) {
        long received = receiveWithin(socket, buffer, sizeof buffer,
                                      request.headerComplete() ? requestDeadline : headerDeadline);
        if (received == receiveTimedOut) return std::nullopt;
        if (received <= 0) break;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    return request;
}

// Reads and drops what is still arriving after the reply, until a second
// passes without bytes, 1 MiB has come or the request deadline passes.
void discardUnreadInput(Socket socket, Clock::time_point requestDeadline) {
    constexpr auto quietTime = std::chrono::seconds(1);
    constexpr std::size_t drainLimit = 1024 * 1024;
    char buffer[readChunkSize];
    for (std::size_t drained = 0; drained < drainLimit;) {
        long received = receiveWithin(socket, buffer, sizeof buffer, std::min(Clock::now() + quietTime, requestDeadline));
        if (received <= 0) break;
        drained += static_cast<std::size_t>(received);
    }
}

}  // namespace

void ConnectionHandler(Services& services, Socket socket, const ConnectionLimits& limits,
                       const ReadingOver& readingOver) {
    // Served as soon as it is accepted, so the deadlines count from here.
    const Clock::time_point accepted = Clock::now();
    const Clock::time_point requestDeadline = accepted + limits.requestDeadline;
    std::optional<RequestAssembler> request;
    try {
        request = receiveRequest(socket, std::min(accepted + limits.headerDeadline, requestDeadline), requestDeadline);
    } catch (...) {
        // Out of memory: this connection closes, nothing else.
    }
    const bool whole = request && request->state() != RequestState::needMore;
    const bool stillOurs = !readingOver || readingOver(whole);
    bool shutDown = false;
    if (request && stillOurs) {
        try {
            ReplyBytes reply = respond(services, request->text());
            if (!reply.head.empty()) {
                const bool sent = sendAll(socket, reply.head, reply.body, Clock::now() + limits.sendDeadline);
                // At once: the reply's last bytes wait for it, to go out with the end (see sendAll).
                shutdownSend(socket);
                shutDown = true;
                if (sent && reply.drainUnreadInput) discardUnreadInput(socket, requestDeadline);
            }
        } catch (...) {
            // One request's failure ends only its own connection.
        }
    }
    if (!shutDown) shutdownSend(socket);
    closeSocket(socket);
}
