#include "server/command_line.h"

std::string allowedOriginFrom(const std::vector<std::string>& arguments) {
    std::string origin = defaultAllowedOrigin;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--origin" && i + 1 < arguments.size()) {
            origin = arguments[i + 1];
            ++i;  // the value is taken as it is, even when it looks like an option
        }
    }
    return origin;
}
