#pragma once

#include <string>
#include <string_view>

#include "server/services.h"

// The bytes that answer one request, head and body apart so that a large body
// is sent from where it lies. An empty head means no reply at all.
struct ReplyBytes {
    std::string head;
    std::string body;
    // The request was refused before it was all read: what is still arriving
    // must be read and dropped, or closing would reset the connection and
    // could destroy the reply before the client reads it.
    bool drainUnreadInput = false;
};

// Answers a whole request text: size limits, preflight, Host check, origin
// check, CSRF gate, route. Touches the world only through services.
ReplyBytes respond(Services& services, std::string_view requestText);
