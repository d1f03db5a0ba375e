#pragma once
// Wine programs run from the suite through the shell: their standard output and exit status.

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <utility>

// Wine's diagnostics off; no Mono or Gecko, which would want a display.
inline const std::string wine = "WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= " WINE64 " ";

inline std::pair<std::string, int> shell(const std::string& command) {  // standard output, exit status
    FILE* pipe = popen(command.c_str(), "r");
    std::string out(1 << 16, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), pipe));
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// The value fingerbridge under root\Software\Microsoft\Windows\CurrentVersion\Run in the registry
// view of that many bits, "" for none. Read twice at most: once in a full suite run, wine's reg
// printed nothing at all for a value that was there.
inline std::string runValue(const std::string& root, int view = 64) {
    auto read = [&] {
        return shell(wine + "reg query '" + root + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v fingerbridge"
                     " /reg:" + std::to_string(view) + " 2>/dev/null | sed -n 's/.*REG_SZ *//p' | tr -d '\\r\\n'").first;
    };
    const std::string first = read();
    return first.empty() ? read() : first;
}
