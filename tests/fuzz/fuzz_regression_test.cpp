// Every saved fuzz input (seed corpus and past findings) through its target.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_targets.h"

namespace fs = std::filesystem;

namespace {

TEST(FuzzRegression, SavedInputsRunClean) {
    const fs::path root = FUZZ_INPUTS_DIR;
    std::size_t replayed = 0;
    for (const NamedFuzzTarget& target : fuzzTargets) {
        for (const char* folder : {"corpus", "regressions"}) {
            fs::path inputs = root / folder / target.name;
            if (!fs::is_directory(inputs)) continue;
            for (const fs::directory_entry& entry : fs::directory_iterator(inputs)) {
                std::ifstream file(entry.path(), std::ios::binary);
                std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
                SCOPED_TRACE(entry.path().string());
                target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
                ++replayed;
            }
        }
    }
    EXPECT_GT(replayed, 20u);  // the seed corpus is there
}

}  // namespace
