#include "platform/random_source.h"

#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>

void fillRandom(std::uint8_t* buffer, std::size_t length) {
    if (BCryptGenRandom(nullptr, buffer, static_cast<ULONG>(length), BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
        throw std::runtime_error("the random source failed");
    }
}
