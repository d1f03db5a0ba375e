#pragma once
// Fuzz entry points: each takes arbitrary bytes, runs one parser of the server
// on them, and aborts when an invariant breaks. libFuzzer drives them (one
// program each); the regression test replays the saved inputs through them.

#include <cstddef>
#include <cstdint>
#include <string_view>

using FuzzTarget = void (*)(const std::uint8_t* data, std::size_t size);

struct NamedFuzzTarget {
    std::string_view name;
    FuzzTarget run;
};

void fuzzConnection(const std::uint8_t* data, std::size_t size);
void fuzzBase64(const std::uint8_t* data, std::size_t size);
void fuzzStaticPath(const std::uint8_t* data, std::size_t size);

// Percent-decoding, form fields and finger numbers are reached through
// respond(), with "{token}" in the input passing the gate.
inline constexpr NamedFuzzTarget fuzzTargets[] = {
    {"connection", fuzzConnection}, {"base64", fuzzBase64}, {"static_path", fuzzStaticPath}};
