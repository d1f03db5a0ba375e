#pragma once

#include <functional>

#include "platform/net.h"
#include "server/connection_limits.h"
#include "server/services.h"

// Called once the reading of a request is over (whole, cut short, timed out or
// failed), with whether the request is whole, before anything is answered or
// closed: false when the server has ended the connection meanwhile and the
// request is not whole, which then closes unanswered.
using ReadingOver = std::function<bool(bool whole)>;

// Serves the one request of an accepted connection: reads it within the
// deadlines, sends what respond answers, then shuts the connection down and
// closes it. Never throws.
void ConnectionHandler(Services& services, Socket socket, const ConnectionLimits& limits = {},
                       const ReadingOver& readingOver = {});
