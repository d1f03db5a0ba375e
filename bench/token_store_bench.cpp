// /api/config with an empty token store and with a million live tokens: the
// cost of issuing a token must not grow with the tokens already issued.
#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include "scanner/unavailable_library.h"
#include "security/csrf_token_store.h"
#include "server/connection.h"

namespace {

// One whole /api/config request through the connection handler on a socket pair.
void configRequest(benchmark::State& state) {
    static Services services(unavailableScannerLibrary(), [](ConsoleStream, std::string_view) {});
    while (services.tokens.size() < static_cast<std::size_t>(state.range(0))) services.tokens.issue();
    const std::string request = "GET /api/config HTTP/1.1\r\nHost: localhost:8080\r\n\r\n";
    char reply[512];
    for (auto _ : state) {
        int ends[2];
        socketpair(AF_UNIX, SOCK_STREAM, 0, ends);
        write(ends[0], request.data(), request.size());
        ConnectionHandler(services, static_cast<Socket>(ends[1]));
        benchmark::DoNotOptimize(read(ends[0], reply, sizeof reply));
        close(ends[0]);
    }
    state.counters["tokens"] = static_cast<double>(services.tokens.size());
}
// Registered in this order: the empty store is measured before it is filled.
BENCHMARK(configRequest)->Arg(0)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// Issuing alone, on stores of their own.
void issueToken(benchmark::State& state) {
    CsrfTokenStore store;
    while (store.size() < static_cast<std::size_t>(state.range(0))) store.issue();
    for (auto _ : state) benchmark::DoNotOptimize(store.issue());
}
BENCHMARK(issueToken)->Arg(0)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
