#pragma once
// Which web pages may use the service: the --origin setting ("*", one origin
// or a comma-separated list), the Access-Control-Allow-Origin each reply
// names, and the refusal of cross-site requests when the setting is not "*".

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "http/reply.h"
#include "http/request.h"
#include "platform/console.h"

struct AllowedOrigins {
    std::string asGiven = "*";         // the argument, byte for byte, as the banner shows it
    std::vector<std::string> entries;  // the one origin, or the list's entries, trimmed of spaces
    bool isList = false;
};

// The setting an --origin value makes, or the line that refuses it.
std::variant<AllowedOrigins, std::string> parseAllowedOrigins(std::string_view value);

// The Access-Control-Allow-Origin value of the reply to a request: the setting
// as given; for a list, the request's Origin when it is an entry, else the first entry.
// The view lives as long as both the setting and the request text.
std::string_view replyOrigin(const AllowedOrigins& origins, const Request& request);

// With a setting other than "*": the 403 refusal (and its line) of a request
// whose Origin is not allowed, or that carries none but comes from another
// site (Sec-Fetch-Site); else nothing.
std::optional<Reply> checkOrigin(const AllowedOrigins& origins, Console& console, const Request& request);
