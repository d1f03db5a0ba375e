// A stand-in for the scanner maker's FTRAPI.dll, for the wine suite. It exports
// ordinals 1, 2, 3, 4, 6 and 7 by number only (ftrapi.def), does what the text
// file named by FTRAPI_STAND_IN_SCRIPT says, and appends one line per call to
// the log that script names.
//
// It is written from the library's documented interface, not from the server's
// headers, so that a disagreement between the two about a structure's layout, an
// argument or the calling convention fails the suite instead of hiding in both.
//
// Script lines (unknown or malformed lines are reported in the log):
//   log <windows path>          where the call log goes (no log without it)
//   result <ordinal> <status>   what that ordinal returns (default 0)
//   parameter <id> <value>      what ordinal 4 reads for id until ordinal 3 sets it
//   frame <state bits> <hex>    one frame handed to the installed callback by
//                               ordinal 6, in script order
//   template <hex>              what ordinal 6 writes when it succeeds
//   match <status> <matched>    one ordinal 7 call, in order: writes matched, returns
//                               status; (0, 0) after the last
//
// Log lines:
//   2 | 1 | 3 <id> <value> | 4 <id> | 6 <context> <mode> <capacity>
//   callback <state bits> <frame size> <response word after the call>
//   7 <context> <template hex> <match pointer given> <detail pointer given>
// with numbers in decimal, pointers as 0 (null) or 1 (given).

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// The library's convention: stdcall on 32-bit Windows, the only convention on 64-bit.
#define FTRAPI_CALL __stdcall

namespace {

using Status = std::uint32_t;

struct Data {
    std::uint32_t size;
    void* data;
};

// Handed to callbacks: two words of the library's own, then the frame.
struct Frame {
    std::uint32_t libraryWords[2];
    Data frame;
};

using Callback = void(FTRAPI_CALL*)(void* context, std::uint32_t stateBits, std::uint32_t* response,
                                    std::uint32_t notRead, Frame* frame);

// Every call but 1 and 2 fails with this until ordinal 1 has succeeded, as a
// device library does when its device is not open.
constexpr Status notOpen = 21;
// Ordinal 6's answer when the scripted template does not fit the capacity given.
constexpr Status templateTooLarge = 22;
constexpr std::uint32_t callbackParameterId = 5;
// What the response word holds before a callback runs, so a callback that
// does not write it shows in the log.
constexpr std::uint32_t responseUnwritten = 0xFFFFFFFFu;

struct ScriptedFrame {
    std::uint32_t stateBits;
    std::string bytes;
};

struct Script {
    std::string logPath;
    std::map<unsigned, Status> results;
    std::map<std::uint32_t, std::uintptr_t> parameters;
    std::vector<ScriptedFrame> frames;
    std::string templateBytes;
    std::deque<std::pair<Status, std::uint32_t>> matches;
    std::vector<std::string> errors;
};

bool fromHex(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        char pair[3] = {text[i], text[i + 1], 0};
        char* end = nullptr;
        unsigned long value = std::strtoul(pair, &end, 16);
        if (end != pair + 2) return false;
        bytes.push_back(static_cast<char>(value));
    }
    return true;
}

std::string toHex(const void* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

bool readLine(const std::string& line, Script& script) {
    std::istringstream words(line);
    std::string kind;
    if (!(words >> kind)) return true;  // blank
    std::string rest;
    if (kind == "log") {
        std::getline(words >> std::ws, script.logPath);
        return !script.logPath.empty();
    }
    if (kind == "result") {
        unsigned ordinal = 0;
        Status status = 0;
        if (!(words >> ordinal >> status)) return false;
        script.results[ordinal] = status;
    } else if (kind == "parameter") {
        std::uint32_t id = 0;
        std::uint32_t value = 0;
        if (!(words >> id >> value)) return false;
        script.parameters[id] = value;
    } else if (kind == "frame") {
        ScriptedFrame frame{};
        std::string hex;
        if (!(words >> frame.stateBits >> hex) || !fromHex(hex, frame.bytes)) return false;
        script.frames.push_back(std::move(frame));
    } else if (kind == "template") {
        std::string hex;
        if (!(words >> hex) || !fromHex(hex, script.templateBytes)) return false;
    } else if (kind == "match") {
        Status status = 0;
        std::uint32_t matched = 0;
        if (!(words >> status >> matched)) return false;
        script.matches.emplace_back(status, matched);
    } else {
        return false;
    }
    return !(words >> rest);  // nothing may follow
}

Script loadScript() {
    Script script;
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("FTRAPI_STAND_IN_SCRIPT", path, sizeof path);
    if (length == 0 || length >= sizeof path) return script;  // unscripted: everything succeeds
    std::ifstream file(path);
    if (!file) {
        script.errors.push_back(std::string("cannot read ") + path);
        return script;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!readLine(line, script)) script.errors.push_back("bad line: " + line);
    }
    return script;
}

// The library's one process-wide state, as a real device library has.
class StandIn {
public:
    std::mutex mutex;

    Script& script() {
        if (!loaded_) {
            script_ = loadScript();
            parameters_ = script_.parameters;
            loaded_ = true;
            for (const std::string& error : script_.errors) log("script-error " + error);
        }
        return script_;
    }

    Status result(unsigned ordinal) {
        auto found = script().results.find(ordinal);
        return found == script().results.end() ? 0 : found->second;
    }

    // Appended and closed line by line, so the test reads every call at once.
    void log(const std::string& line) {
        if (script().logPath.empty()) return;
        HANDLE file = CreateFileA(script_.logPath.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        std::string whole = line + "\n";
        DWORD written = 0;
        WriteFile(file, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
        CloseHandle(file);
    }

    bool opened = false;

    std::map<std::uint32_t, std::uintptr_t>& parameters() {
        script();
        return parameters_;
    }

    // Calls the installed callback (parameter 5) once and logs what it answered.
    void callBack(void* context, std::uint32_t stateBits, const std::string& bytes) {
        auto installed = parameters().find(callbackParameterId);
        if (installed == parameters().end() || installed->second == 0) {
            log("callback none");
            return;
        }
        std::string own = bytes;  // the library's buffer, valid only during the call
        Frame frame{{0xA5A5A5A5u, 0x5A5A5A5Au},
                    {static_cast<std::uint32_t>(own.size()), own.empty() ? nullptr : own.data()}};
        std::uint32_t response = responseUnwritten;
        reinterpret_cast<Callback>(installed->second)(context, stateBits, &response, 0xC3C3C3C3u, &frame);
        log("callback " + std::to_string(stateBits) + " " + std::to_string(own.size()) + " " +
            std::to_string(response));
    }

private:
    bool loaded_ = false;
    Script script_;
    std::map<std::uint32_t, std::uintptr_t> parameters_;
};

StandIn& standIn() {
    static StandIn instance;
    return instance;
}

std::string given(const void* pointer) { return pointer == nullptr ? "0" : "1"; }

}  // namespace

extern "C" {

Status FTRAPI_CALL standInCloseSession() {
    StandIn& library = standIn();
    std::lock_guard lock(library.mutex);
    library.log("2");
    return library.result(2);
}

Status FTRAPI_CALL standInOpen() {
    StandIn& library = standIn();
    std::lock_guard lock(library.mutex);
    library.log("1");
    Status status = library.result(1);
    library.opened = status == 0;
    return status;
}

// Pointer-sized value: parameter 5 carries a callback's address.
Status FTRAPI_CALL standInSetParameter(std::uint32_t id, std::uintptr_t value) {
    StandIn& library = standIn();
    std::lock_guard lock(library.mutex);
    library.log("3 " + std::to_string(id) + " " + std::to_string(value));
    if (!library.opened) return notOpen;
    Status status = library.result(3);
    if (status == 0) library.parameters()[id] = value;
    return status;
}

// Writes a 32-bit value, as the interface promises and no more.
Status FTRAPI_CALL standInGetParameter(std::uint32_t id, std::uint32_t* value) {
    StandIn& library = standIn();
    std::lock_guard lock(library.mutex);
    library.log("4 " + std::to_string(id));
    if (!library.opened) return notOpen;
    Status status = library.result(4);
    if (status != 0) return status;
    auto found = library.parameters().find(id);
    *value = found == library.parameters().end() ? 0 : static_cast<std::uint32_t>(found->second);
    return 0;
}

Status FTRAPI_CALL standInCapture(void* context, std::uint32_t mode, Data* templ) {
    StandIn& library = standIn();
    std::lock_guard lock(library.mutex);
    library.log("6 " + given(context) + " " + std::to_string(mode) + " " +
                std::to_string(templ == nullptr ? 0 : templ->size));
    if (!library.opened) return notOpen;
    for (const ScriptedFrame& frame : library.script().frames) {
        library.callBack(context, frame.stateBits, frame.bytes);
    }
    Status status = library.result(6);
    if (status != 0) return status;
    const std::string& bytes = library.script().templateBytes;
    if (templ == nullptr || templ->data == nullptr || templ->size < bytes.size()) return templateTooLarge;
    std::memcpy(templ->data, bytes.data(), bytes.size());
    templ->size = static_cast<std::uint32_t>(bytes.size());
    return 0;
}

// Reports progress through the installed callback, as during a capture, then
// answers from the next scripted match.
Status FTRAPI_CALL standInVerify(void* context, Data* templ, std::uint32_t* matched,
                                 std::uint32_t* detail) {
    StandIn& library = standIn();
    std::lock_guard lock(library.mutex);
    std::string bytes = templ == nullptr || templ->data == nullptr ? "" : toHex(templ->data, templ->size);
    library.log("7 " + given(context) + " " + (bytes.empty() ? "-" : bytes) + " " + given(matched) +
                " " + given(detail));
    if (!library.opened) return notOpen;
    library.callBack(context, 0, "");
    std::pair<Status, std::uint32_t> next{0, 0};
    if (!library.script().matches.empty()) {
        next = library.script().matches.front();
        library.script().matches.pop_front();
    }
    // Written even when failing, so that a caller trusting it on failure is caught.
    if (matched != nullptr) *matched = next.second;
    if (detail != nullptr) *detail = 0x00C0FFEEu;
    return next.first;
}

}  // extern "C"
