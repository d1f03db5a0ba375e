#pragma once
// Everything a request may touch beyond its own bytes, built once in main and
// handed down; tests and the fuzzer build their own.

#include "platform/console.h"
#include "scanner/scanner_library.h"
#include "security/csrf_token_store.h"

struct Services {
    explicit Services(const ScannerLibrary& library, Console::Sink consoleSink = {},
                      std::size_t tokenCapacity = unlimitedTokens)
        : console(std::move(consoleSink)), tokens(steadyClockNanos, tokenCapacity), scanner(library) {}

    Console console;
    CsrfTokenStore tokens;
    Scanner scanner;
};
