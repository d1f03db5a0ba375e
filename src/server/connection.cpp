#include "server/connection.h"

#include "http/request.h"
#include "server/respond.h"

namespace {

// Reads until the request is whole, too large, or the peer closes, fails or
// stays silent past the time-out (all three end the reading alike).
RequestAssembler receiveRequest(Socket socket) {
    RequestAssembler request;
    char buffer[readChunkSize];
    while (request.state() == RequestState::needMore) {
        long received = receiveSome(socket, buffer, sizeof buffer);
        if (received <= 0) break;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    return request;
}

// Reads and drops what is still arriving, within bounds, after the reply.
void discardUnreadInput(Socket socket) {
    constexpr int drainTimeoutSeconds = 1;
    constexpr std::size_t drainLimit = 1024 * 1024;
    shutdownSend(socket);
    setIoTimeout(socket, drainTimeoutSeconds);
    char buffer[readChunkSize];
    for (std::size_t drained = 0; drained < drainLimit;) {
        long received = receiveSome(socket, buffer, sizeof buffer);
        if (received <= 0) break;
        drained += static_cast<std::size_t>(received);
    }
}

}  // namespace

void ConnectionHandler(Services& services, Socket socket, const std::string& origin) {
    try {
        setIoTimeout(socket, connectionIoTimeoutSeconds);
        RequestAssembler request = receiveRequest(socket);
        ReplyBytes reply = respond(services, request.text(), origin);
        if (!reply.head.empty()) {
            sendAll(socket, reply.head, reply.body);
            if (reply.drainUnreadInput) discardUnreadInput(socket);
        }
    } catch (...) {
        // One request's failure ends only its own connection.
    }
    shutdownSend(socket);
    closeSocket(socket);
}
