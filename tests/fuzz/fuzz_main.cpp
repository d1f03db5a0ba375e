// One libFuzzer program per target; FUZZ_TARGET names the entry point.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FUZZ_TARGET(data, size);
    return 0;
}
