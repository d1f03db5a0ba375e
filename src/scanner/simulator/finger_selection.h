#pragma once
// Which virtual finger lies on the simulated sensor: FINGERBRIDGE_SIM_FINGER
// names it at start-up (default 1); when FINGERBRIDGE_SIM_CONTROL names a file,
// the number written in that file takes over, read afresh at every touch, so a
// test or a person can present another finger without a restart.

#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* fingerVariable = "FINGERBRIDGE_SIM_FINGER";
inline constexpr const char* controlVariable = "FINGERBRIDGE_SIM_CONTROL";
inline constexpr int defaultFinger = 1;

struct FingerChoice {
    int startupFinger = defaultFinger;
    std::string controlFile;  // empty: none
};

// A finger number: decimal digits, optionally surrounded by white space, from 1
// to the largest 32-bit signed integer. Anything else is no finger number.
std::optional<int> parseSensorFinger(std::string_view text);

// The choice the environment makes; an unset or unreadable finger variable
// gives the default finger.
FingerChoice fingerChoiceFromEnvironment();

// The finger on the sensor now: the control file's number when the file can be
// read and holds one, the start-up finger otherwise.
int fingerOnSensor(const FingerChoice& choice);
