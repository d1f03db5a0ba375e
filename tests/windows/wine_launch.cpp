#include "windows/wine_launch.h"

ServerLaunch wineLaunch(WindowsStage stage, const std::string& scriptPath) {
    const std::string root =
        std::string(WINDOWS_STAGE) + (stage == WindowsStage::withStandIn ? "/with-library" : "/without-library");
    ServerLaunch launch;
    launch.program = WINE64;
    launch.leadingArguments = {root + "/bin/fingerbridge.exe"};
    launch.workingDirectory = root + "/bin";
    // Wine's own diagnostics would land among the server's standard-error lines;
    // Mono and Gecko, should wine update its prefix, would want a display.
    launch.environment = {{"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
    if (!scriptPath.empty()) launch.environment.emplace_back("FTRAPI_STAND_IN_SCRIPT", windowsPath(scriptPath));
    // A Windows console ends its lines with CR LF.
    launch.lineEnd = "\r\n";
    // Wine's first start in a while also starts its server and services.
    launch.lineTimeoutMs = 60000;
    return launch;
}

std::string windowsPath(const std::string& linuxPath) { return "Z:" + linuxPath; }

// The shared end-to-end cases run against the exe with the unscripted stand-in,
// which connects like a plugged-in scanner.
ServerLaunch serverLaunch() { return wineLaunch(WindowsStage::withStandIn); }
