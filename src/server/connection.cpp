#include "server/connection.h"

#include "security/csrf_token_store.h"
#include "security/host_check.h"
#include "server/console.h"
#include "server/request.h"
#include "server/response.h"
#include "server/routes.h"

namespace {

constexpr std::string_view tooLargeBody = "{\"success\": false, \"message\": \"Request too large.\"}";
constexpr std::string_view hostNotAllowedBody = "{\"success\": false, \"message\": \"Host not allowed.\"}";

// Shuts the connection down and closes it when the handler is done with it,
// on every path out, unless something else has already closed it.
class ConnectionCloser {
public:
    explicit ConnectionCloser(Socket socket) : socket_(socket) {}
    ConnectionCloser(const ConnectionCloser&) = delete;
    ConnectionCloser& operator=(const ConnectionCloser&) = delete;
    ~ConnectionCloser() {
        if (socket_ == invalidSocket) return;
        shutdownSend(socket_);
        closeSocket(socket_);
    }
    void alreadyClosed() { socket_ = invalidSocket; }

private:
    Socket socket_;
};

// Reads until the request is whole, too large, or the peer closes, fails or
// stays silent past the time-out (all three end the reading alike).
RequestAssembler receiveRequest(Socket socket) {
    RequestAssembler request;
    char buffer[readChunkSize];
    while (request.state() == RequestAssembler::State::needMore) {
        long received = receiveSome(socket, buffer, sizeof buffer);
        if (received <= 0) break;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    return request;
}

// A refused request may still be arriving. Closing with unread bytes would reset
// the connection and could destroy the reply before the client reads it, so
// the rest is read and dropped, within bounds, once the reply is out.
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

void serveRequest(Socket socket, const std::string& origin, ConnectionCloser& closer) {
    RequestAssembler request = receiveRequest(socket);
    const std::string& text = request.text();
    if (text.empty()) return;
    if (request.state() == RequestAssembler::State::tooLarge) {
        sendResponse(socket, status::payloadTooLarge, contentType::json, tooLargeBody, origin);
        discardUnreadInput(socket);
        return;
    }
    RequestLine line = cutRequestLine(text);
    if (line.method == "OPTIONS") {
        std::string preflight = buildPreflightResponse(origin);
        sendAll(socket, preflight.data(), preflight.size());
        return;
    }
    std::string_view headerBlock = headerBlockOf(text);
    if (std::optional<std::string> foreignHost = findForeignHost(headerBlock)) {
        printErr("Host check FAILED for " + line.path + " (Host: '" + *foreignHost + "')");
        sendResponse(socket, status::forbidden, contentType::json, hostNotAllowedBody, origin);
        return;
    }
    if (isProtectedPath(line.path) && !checkCsrfToken(socket, line.path, headerBlock, origin)) {
        closer.alreadyClosed();
        return;
    }
    routeRequest(socket, line.method, line.path, text, origin);
}

}  // namespace

bool isProtectedPath(std::string_view path) {
    if (path == "/api/config") return false;
    return path.starts_with("/api/") || path == "/demoverify_with_template" ||
           path == "/verify_with_template";
}

void ConnectionHandler(Socket socket, std::string origin) {
    ConnectionCloser closer(socket);
    try {
        setIoTimeout(socket, connectionIoTimeoutSeconds);
        serveRequest(socket, origin, closer);
    } catch (...) {
        // One request's failure ends only its own connection; the closer closes it.
    }
}
