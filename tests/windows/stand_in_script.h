#pragma once
// What the stand-in FTRAPI.dll does in one test, and the log of what it was asked.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct StandInFrame {
    std::uint32_t stateBits;
    std::string bytes;
};

struct StandInScript {
    std::map<unsigned, std::uint32_t> results;          // per ordinal; 0 when absent
    std::map<std::uint32_t, std::uint32_t> parameters;  // read by ordinal 4 until set
    std::vector<StandInFrame> frames;                   // handed to the callback by ordinal 6
    std::string templateBytes;                          // written by ordinal 6
    std::vector<std::pair<std::uint32_t, std::uint32_t>> matches;  // ordinal 7: status, matched
};

// A test's own folder holding the script and the call log it names.
class StandInRun {
public:
    StandInRun(const std::string& testName, const StandInScript& script);
    const std::string& scriptPath() const { return scriptPath_; }
    // The lines logged so far, one per call or callback.
    std::vector<std::string> log() const;

private:
    std::string scriptPath_;
    std::string logPath_;
};

std::string toHex(const std::string& bytes);
