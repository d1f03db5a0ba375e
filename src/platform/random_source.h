#pragma once

#include <cstddef>
#include <cstdint>

// Fills the buffer from the operating system's random source (getrandom or
// /dev/urandom; BCryptGenRandom on Windows). Throws std::runtime_error when
// the source fails, rather than hand out guessable bytes.
void fillRandom(std::uint8_t* buffer, std::size_t length);
