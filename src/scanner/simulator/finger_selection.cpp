#include "scanner/simulator/finger_selection.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <limits>

namespace {

// A finger number file holds a number and perhaps a line end; more is not read.
constexpr std::streamsize longestControlText = 64;

}  // namespace

std::optional<int> parseSensorFinger(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max()) return std::nullopt;
    }
    if (value < 1) return std::nullopt;
    return static_cast<int>(value);
}

FingerChoice fingerChoiceFromEnvironment() {
    FingerChoice choice;
    if (const char* finger = std::getenv(fingerVariable)) {
        choice.startupFinger = parseSensorFinger(finger).value_or(defaultFinger);
    }
    if (const char* control = std::getenv(controlVariable)) choice.controlFile = control;
    return choice;
}

int fingerOnSensor(const FingerChoice& choice) {
    if (choice.controlFile.empty()) return choice.startupFinger;
    std::ifstream file(choice.controlFile, std::ios::binary);
    if (!file) return choice.startupFinger;
    std::string text(static_cast<std::size_t>(longestControlText), '\0');
    file.read(text.data(), longestControlText);
    text.resize(static_cast<std::size_t>(file.gcount()));
    return parseSensorFinger(text).value_or(choice.startupFinger);
}
