// fingerbridge: a USB fingerprint scanner behind HTTP on 127.0.0.1:8080.

#include <atomic>
#include <string>
#include <variant>
#include <vector>

#include "platform/console_mode.h"
#include "platform/net.h"
#include "scanner/default_library.h"
#include "scanner/unavailable_library.h"
#include "server/accept_loop.h"
#include "server/command_line.h"
#include "server/console_writer.h"
#include "server/services.h"

namespace {

constexpr const char* listenHost = "127.0.0.1";
// Browsers try [::1] first for "localhost": were it free, any local process
// could take it and stand in for this service's pages.
constexpr const char* listenHostIPv6 = "::1";
constexpr const char* listenPort = "8080";
constexpr const char* anyOriginWarning =
    "Warning: any web site can use the scanner; start with --origin <your page's origin> to allow only your page.";

}  // namespace

int main(int argc, char** argv) {
    const CommandLine commandLine = readCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.versionAsked) {
        Console().out("fingerbridge " FINGERBRIDGE_VERSION);
        return 0;
    }
    const std::string& allowedOrigin = commandLine.allowedOrigin;
    std::variant<AllowedOrigins, std::string> origins = parseAllowedOrigins(allowedOrigin);
    if (const std::string* refusal = std::get_if<std::string>(&origins)) {
        Console().err(*refusal);
        return 2;
    }
    disableConsoleSelection();
    ConsoleWriter consoleWriter;
    Services services(unavailableScannerLibrary(), {}, maxLiveTokens, std::get<AllowedOrigins>(std::move(origins)));
    services.console.out("--- RUNNING LOCAL BIOMETRIC CODE ---");
    services.console.out("Allowed Origin: " + allowedOrigin);
    if (allowedOrigin == "*") services.console.err(anyOriginWarning);

    if (int result = startNetwork(); result != 0) {
        services.console.err("WSAStartup failed: " + std::to_string(result));
        return 1;
    }
    std::vector<Socket> listeners;
    for (const char* host : {listenHost, listenHostIPv6}) {
        ListenResult listening = listenOn(host, listenPort);
        // A machine without an IPv6 loopback has no [::1] to take.
        if (listening.addressUnavailable && host == listenHostIPv6) continue;
        if (listening.socket == invalidSocket) {
            services.console.err(listening.failedStep + " failed: " + std::to_string(listening.errorCode));
            return 1;
        }
        listeners.push_back(listening.socket);
    }
    services.console.out(std::string("Server is listening for connections on port ") + listenPort + "...");

    // Loaded only now, as the scanner is connected once the server listens.
    services.scanner.start(services.console, defaultScannerLibrary);
    // The start-up lines are out; from here on no request waits for the console.
    services.console.redirect(consoleWriter.sink());

    const std::atomic<bool> neverStop{false};
    runAcceptLoop(services, listeners, neverStop);
    return 0;
}
