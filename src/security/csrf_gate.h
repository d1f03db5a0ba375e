#pragma once
// Issuing tokens on /api/config and checking them on protected requests.

#include <optional>
#include <string>
#include <string_view>

#include "http/reply.h"
#include "http/request.h"
#include "platform/console.h"
#include "security/csrf_token_store.h"

// Issues a token from the store and prints it.
std::string generateCsrfToken(CsrfTokenStore& tokens, Console& console);

// Answers /api/config with a new token.
Reply handleConfig(CsrfTokenStore& tokens, Console& console);

// The gate on protected requests: nothing when the request's X-CSRF-Token is
// live, else the 403 refusal to send instead of routing it. Prints its verdict.
std::optional<Reply> checkCsrfToken(CsrfTokenStore& tokens, Console& console, const Request& request);
