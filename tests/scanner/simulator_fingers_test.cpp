// The simulated sensor's fingers: which one lies on the glass, and whether its
// impressions verify each other and not other fingers'.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "scanner/simulator/finger_selection.h"
#include "scanner/simulator/finger_sensor.h"

namespace {

class FingerSelection : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override { unsetenv(fingerVariable), unsetenv(controlVariable), std::filesystem::remove(control_); }
    const std::filesystem::path control_ =
        std::filesystem::temp_directory_path() / ("fingerbridge-finger-" + std::to_string(getpid()));
};

TEST_F(FingerSelection, StartupVariableChoosesUnlessTheControlFileHoldsAFingerReadAtEveryTouch) {
    const std::pair<const char*, int> startup[] = {{nullptr, 1}, {"5", 5}, {" 7\n", 7}, {"5x", 1}, {"0", 1}};
    for (const auto& [value, expected] : startup) {
        value ? setenv(fingerVariable, value, 1) : unsetenv(fingerVariable);
        EXPECT_EQ(fingerOnSensor(fingerChoiceFromEnvironment()), expected) << (value ? value : "(unset)");
    }
    setenv(fingerVariable, "3", 1);
    setenv(controlVariable, control_.c_str(), 1);
    const FingerChoice choice = fingerChoiceFromEnvironment();
    // One choice throughout, the file rewritten before each touch; 3 means the content is not a finger number.
    const std::pair<const char*, int> contents[] = {
        {"8\n", 8}, {"12", 12}, {" \t999 \r\n", 999}, {"2147483647", 2147483647},  // the largest int
        {"", 3}, {" \n", 3}, {"0", 3}, {"-4", 3}, {"+4", 3}, {"4a", 3}, {"1 2", 3}, {"finger two", 3},
        {"2147483648", 3}, {"99999999999999999999", 3},  // overflow
    };
    for (const auto& [text, expected] : contents) {
        std::ofstream(control_, std::ios::binary) << text;
        EXPECT_EQ(fingerOnSensor(choice), expected) << '"' << text << '"';
    }
    std::filesystem::remove(control_);
    EXPECT_EQ(fingerOnSensor(choice), 3) << "control file removed";
}

// A small sample of the accuracy benchmark (bench/sim_accuracy_bench runs the full one) on the simulated
// scanner's frame. A left and a right loop: the simulated scanner's own tests touch these fingers too, and
// growing a finger costs more than several impressions, so the test program grows each one once.
constexpr int width = 320, height = 480, fingers[] = {11, 12}, impressions = 3;

TEST(SimulatorAccuracy, GenuineImpressionsMatchAndImpostorsDoNot) {
    std::vector<std::vector<std::uint8_t>> templates;  // template t shows fingers[t / impressions]
    for (int finger : fingers) {
        for (int i = 0; i < impressions; ++i) {
            const std::uint64_t touch = 7919ull * finger + i;  // fixed, so that a failure can be replayed
            templates.push_back(templateOfImpression(touchSensor(finger, touch, width, height), width, height));
            ASSERT_FALSE(templates.back().empty()) << "finger " << finger << ", impression " << i << " failed to enrol";
        }
    }
    int genuineMatches = 0, impostorMatches = 0;
    std::string wrong;
    for (std::size_t a = 0; a < templates.size(); ++a) {
        for (std::size_t b = a + 1; b < templates.size(); ++b) {
            const bool genuine = a / impressions == b / impressions, match = sameFinger(compareTemplates(
                templates[a].data(), templates[a].size(), templates[b].data(), templates[b].size()));
            (genuine ? genuineMatches : impostorMatches) += match ? 1 : 0;
            if (match != genuine) wrong += " " + std::to_string(a) + "/" + std::to_string(b);
        }
    }
    // Two fingers of three impressions: 6 genuine pairs, 9 impostor pairs.
    EXPECT_EQ(genuineMatches, 6) << "wrong decisions for templates" << wrong;
    EXPECT_EQ(impostorMatches, 0) << "wrong decisions for templates" << wrong;
}

}  // namespace
