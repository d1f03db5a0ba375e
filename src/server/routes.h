#pragma once

#include <string_view>

#include "http/reply.h"
#include "http/request.h"
#include "server/services.h"

// Paths that need a valid CSRF token: "/api/..." except exactly "/api/config",
// and the two verify paths.
bool isProtectedPath(std::string_view path);

// The reply of the one handler a request's method and path select; everything
// no API route claims goes to the static file server.
Reply routeRequest(Services& services, const Request& request);
