#include "server/command_line.h"

CommandLine readCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--origin" && i + 1 < arguments.size()) {
            line.allowedOrigin = arguments[i + 1];
            ++i;  // the value is taken as it is, even when it looks like an option
        } else if (arguments[i] == "--version") {
            line.versionAsked = true;
        }
    }
    return line;
}
