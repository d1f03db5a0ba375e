#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "scanner/simulator/finger_selection.h"

namespace {

TEST(FingerSelection, ReadsFingerNumbers) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"1", 1},           {"1000", 1000},       {" 42\n", 42},          {"\t7\r\n", 7},
        {"2147483647", 2147483647},               {"0", std::nullopt},    {"-3", std::nullopt},
        {"+3", std::nullopt}, {"12a", std::nullopt}, {"1 2", std::nullopt}, {"", std::nullopt},
        {"   ", std::nullopt}, {"2147483648", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseSensorFinger(text), expected) << '"' << text << '"';
}

class FingerEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv(fingerVariable);
        unsetenv(controlVariable);
        control_ = std::filesystem::temp_directory_path() /
                   ("fingerbridge-finger-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove(control_);
    }
    void TearDown() override {
        unsetenv(fingerVariable);
        unsetenv(controlVariable);
        std::filesystem::remove(control_);
    }
    void writeControl(const std::string& text) { std::ofstream(control_, std::ios::binary) << text; }

    std::filesystem::path control_;
};

TEST_F(FingerEnvironment, StartupFingerComesFromTheVariableOrDefaultsToOne) {
    const std::pair<const char*, int> cases[] = {{nullptr, 1}, {"5", 5}, {"1000", 1000}, {"nonsense", 1}, {"0", 1}};
    for (const auto& [value, expected] : cases) {
        if (value != nullptr) setenv(fingerVariable, value, 1);
        else unsetenv(fingerVariable);
        const FingerChoice choice = fingerChoiceFromEnvironment();
        EXPECT_EQ(choice.startupFinger, expected) << (value ? value : "(unset)");
        EXPECT_EQ(fingerOnSensor(choice), expected);
    }
}

TEST_F(FingerEnvironment, ControlFileOverridesTheStartupFingerAtEveryTouch) {
    setenv(fingerVariable, "3", 1);
    setenv(controlVariable, control_.string().c_str(), 1);
    const FingerChoice choice = fingerChoiceFromEnvironment();
    EXPECT_EQ(choice.controlFile, control_.string());
    EXPECT_EQ(fingerOnSensor(choice), 3) << "no file yet";
    const std::pair<const char*, int> contents[] = {{"8\n", 8}, {"12", 12}, {"", 3}, {"finger two", 3}, {" 999 ", 999}};
    for (const auto& [text, expected] : contents) {
        writeControl(text);
        EXPECT_EQ(fingerOnSensor(choice), expected) << '"' << text << '"';
    }
    std::filesystem::remove(control_);
    EXPECT_EQ(fingerOnSensor(choice), 3) << "file removed";
}

}  // namespace
