#include "platform/random_source.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/random.h>
#include <unistd.h>

void fillRandom(std::uint8_t* buffer, std::size_t length) {
    while (length > 0) {
        ssize_t got = getrandom(buffer, length, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == ENOSYS) {
            // Kernels older than 3.17: the device file says the same.
            int device = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
            got = device < 0 ? -1 : read(device, buffer, length);
            if (device >= 0) close(device);
        }
        if (got <= 0) throw std::runtime_error("the random source failed");
        buffer += got;
        length -= static_cast<std::size_t>(got);
    }
}
