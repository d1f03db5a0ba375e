// Throughput of the Base64 codec and the cost of building a whole scan reply.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "encoding/base64.h"
#include "scanner/scan_reply.h"

namespace {

std::string randomBytes(std::size_t size) {
    std::mt19937 engine(42);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(engine());
    return bytes;
}

void encodeBase64Throughput(benchmark::State& state) {
    std::string bytes = randomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string text = encodeBase64(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(encodeBase64Throughput)->Arg(1024)->Arg(155 * 1024);

void decodeBase64Throughput(benchmark::State& state) {
    std::string bytes = randomBytes(static_cast<std::size_t>(state.range(0)));
    std::string text = encodeBase64(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    for (auto _ : state) {
        std::string decoded = decodeBase64(text);
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(decodeBase64Throughput)->Arg(1024)->Arg(155 * 1024);

// A 320 x 480 frame and a 1 KiB template: BMP, both Base64 texts, the JSON body.
void scanReply320x480(benchmark::State& state) {
    std::string frame = randomBytes(320 * 480);
    std::string templ = randomBytes(1024);
    for (auto _ : state) {
        auto body = buildScanReplyBody(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size(), 320,
                                       480, reinterpret_cast<const std::uint8_t*>(templ.data()), templ.size(), 75);
        benchmark::DoNotOptimize(body->data());
    }
}
BENCHMARK(scanReply320x480)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
