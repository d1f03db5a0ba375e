#pragma once
// What lies on the simulated sensor. FINGERBRIDGE_SIM_FINGER names the finger
// at start-up (default 1). When FINGERBRIDGE_SIM_CONTROL names a file, that
// file is read afresh at every library call, so a test or a person can present
// another finger, or make the device fail, without a restart:
//
//   first line   a finger number (a line that is not one keeps the start-up
//                finger and is read as a scenario line)
//   none         no finger on the glass: captures and verifications fail with
//                simulatedNoFinger, as the device does on its time-out
//   unplugged    every call fails with simulatedUnplugged, opening included
//   poor         low-quality captures, most of which fail to verify
//   slow <ms>    each capture and verification first waits that long (1 to 60000)
//   seed <n>     the k-th capture or verification since the file's content last
//                changed takes impression (n, k), the same on every run
//
// Scenarios combine, one a line. Lines end at LF; a CR before it and spaces or
// tabs at either end are dropped; a word and its number are separated by spaces
// or tabs. Other lines are ignored.

#include <cstdint>
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

struct SensorControl {
    int finger = defaultFinger;
    bool noFinger = false;
    bool unplugged = false;
    bool poor = false;
    int slowMilliseconds = 0;
    std::optional<std::uint64_t> seed;
    std::string text;  // the file's content, to tell when it changes
};

// A finger number: decimal digits, optionally surrounded by white space, from 1
// to the largest 32-bit signed integer. Anything else is no finger number.
std::optional<int> parseSensorFinger(std::string_view text);

// The choice the environment makes; an unset or unreadable finger variable
// gives the default finger.
FingerChoice fingerChoiceFromEnvironment();

// What a control file's text says, the start-up finger standing in for a missing number.
SensorControl parseSensorControl(std::string_view text, int startupFinger);

// What the sensor shows now: the control file's, or the start-up finger alone
// when there is no file or it cannot be read.
SensorControl readSensorControl(const FingerChoice& choice);
