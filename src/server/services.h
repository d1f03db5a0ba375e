#pragma once
// Everything a request may touch beyond its own bytes, built once in main and
// handed down; tests and the fuzzer build their own.

#include <string>

#include "platform/console.h"
#include "scanner/scanner.h"
#include "security/csrf_token_store.h"
#include "security/origin_check.h"
#include "static/static_files.h"

struct Services {
    explicit Services(const ScannerLibrary& library, Console::Sink consoleSink = {},
                      std::size_t tokenCapacity = maxLiveTokens, AllowedOrigins allowedOrigins = {},
                      std::string frontendRoot = defaultFrontendRoot)
        : console(std::move(consoleSink)), tokens(steadyClockNanos, fillRandom, tokenCapacity),
          scanner(library), origins(std::move(allowedOrigins)), files(std::move(frontendRoot)) {}

    Console console;
    CsrfTokenStore tokens;
    Scanner scanner;
    AllowedOrigins origins;  // set once, before the first connection
    FrontendFiles files;
};
