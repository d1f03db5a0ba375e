#include "windows/stand_in_script.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "windows/wine_launch.h"

std::string toHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 15]);
    }
    return text;
}

StandInRun::StandInRun(const std::string& testName, const StandInScript& script) {
    const std::filesystem::path folder = std::filesystem::path(WINDOWS_RUNS) / testName;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    scriptPath_ = (folder / "script.txt").string();
    logPath_ = (folder / "calls.log").string();

    std::ofstream file(scriptPath_, std::ios::binary);
    file << "log " << windowsPath(logPath_) << "\n";
    for (const auto& [ordinal, status] : script.results) file << "result " << ordinal << " " << status << "\n";
    for (const auto& [id, value] : script.parameters) file << "parameter " << id << " " << value << "\n";
    for (const StandInFrame& frame : script.frames) {
        file << "frame " << frame.stateBits << " " << toHex(frame.bytes) << "\n";
    }
    if (!script.templateBytes.empty()) file << "template " << toHex(script.templateBytes) << "\n";
    for (const auto& [status, matched] : script.matches) file << "match " << status << " " << matched << "\n";
    if (!file.flush()) throw std::runtime_error("cannot write " + scriptPath_);
}

std::vector<std::string> StandInRun::log() const {
    std::ifstream file(logPath_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}
