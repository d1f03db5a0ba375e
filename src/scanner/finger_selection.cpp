#include "scanner/finger_selection.h"

#include <cctype>
#include <cstdlib>
#include <limits>

#include "platform/file_read.h"

namespace {

// A control file holds a few short lines; more is not read.
constexpr std::size_t longestControlText = 4096;
constexpr std::uint64_t largestSeed = 999'999'999'999'999'999;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Decimal digits only, up to limit.
std::optional<std::uint64_t> wholeNumber(std::string_view text, std::uint64_t limit) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > limit) return std::nullopt;
    }
    return value;
}

void applyScenario(std::string_view line, SensorControl& control) {
    const std::size_t wordEnd = std::min(line.find_first_of(" \t"), line.size());
    const std::string_view word = line.substr(0, wordEnd);
    const std::string_view argument = trimmed(line.substr(wordEnd));
    if (argument.empty()) {
        if (word == "none") control.noFinger = true;
        if (word == "unplugged") control.unplugged = true;
        if (word == "poor") control.poor = true;
    } else if (word == "slow") {
        const auto milliseconds = wholeNumber(argument, 60000);
        if (milliseconds && *milliseconds >= 1) control.slowMilliseconds = static_cast<int>(*milliseconds);
    } else if (word == "seed") {
        if (auto seed = wholeNumber(argument, largestSeed)) control.seed = seed;
    }
}

}  // namespace

std::optional<int> parseSensorFinger(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    const auto value = wholeNumber(text, std::numeric_limits<int>::max());
    if (!value || *value < 1) return std::nullopt;
    return static_cast<int>(*value);
}

FingerChoice fingerChoiceFromEnvironment() {
    FingerChoice choice;
    if (const char* finger = std::getenv(fingerVariable)) {
        choice.startupFinger = parseSensorFinger(finger).value_or(defaultFinger);
    }
    if (const char* control = std::getenv(controlVariable)) choice.controlFile = control;
    return choice;
}

SensorControl parseSensorControl(std::string_view text, int startupFinger) {
    SensorControl control;
    control.finger = startupFinger;
    control.text = text;
    for (bool first = true; !text.empty(); first = false) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::optional<int> finger = first ? parseSensorFinger(line) : std::nullopt;
        if (finger) {
            control.finger = *finger;
        } else {
            applyScenario(line, control);
        }
    }
    return control;
}

SensorControl readSensorControl(const FingerChoice& choice) {
    std::string text;
    if (!choice.controlFile.empty()) {
        // As a frontend file is read: only a regular file, so a FIFO there never holds a scan.
        const std::size_t cut = choice.controlFile.find_last_of("/\\") + 1;  // 0 without a folder
        Folder folder(choice.controlFile.substr(0, cut));
        if (std::optional<FileInside> file = FileInside::open(folder, choice.controlFile.substr(cut))) {
            text = file->readAll(longestControlText);
        }
    }
    return parseSensorControl(text, choice.startupFinger);
}
