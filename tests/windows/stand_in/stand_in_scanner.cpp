// A stand-in for the scanner maker's FTRAPI.dll with one fixed scenario: a 6x4 sensor
// (6-byte rows, so BMP rows need padding) whose capture hands one known frame to the
// installed callback and writes a known template. Written from the library's documented
// interface, not the server's headers, so that a layout the two disagree on fails the suite.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#define FTRAPI_CALL __stdcall  // the library's: stdcall on 32-bit, the only one on 64-bit

namespace {
using Status = std::uint32_t;
struct Data { std::uint32_t size; void* data; };
struct Frame { std::uint32_t libraryWords[2]; Data frame; };  // what a callback is handed
using Callback = void(FTRAPI_CALL*)(void* context, std::uint32_t stateBits, std::uint32_t* response,
                                    std::uint32_t notRead, Frame* frame);
constexpr Status notOpen = 21;
constexpr char fixedTemplate[] = "STAND-IN";
constexpr std::uint32_t templateSize = sizeof fixedTemplate - 1;
bool opened = false;
// Width, height, frame size, template capacity; 5 will be the callback's address.
std::map<std::uint32_t, std::uintptr_t> parameters{{1, 6}, {2, 4}, {3, 24}, {6, 64}};

// Appends the line to the file FTRAPI_STAND_IN_LOG names, if any; tells whether the device is open.
bool called(const std::string& line) {
    const char* path = std::getenv("FTRAPI_STAND_IN_LOG");
    if (FILE* file = path == nullptr ? nullptr : std::fopen(path, "ab")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
    return opened;
}
}  // namespace

extern "C" {
Status FTRAPI_CALL standInOpen() { called("1"); opened = true; return 0; }
Status FTRAPI_CALL standInCloseSession() { if (!called("2")) return notOpen; opened = false; return 0; }

// A callback's address differs from run to run: it is logged as "cb".
Status FTRAPI_CALL standInSetParameter(std::uint32_t id, std::uintptr_t value) {
    if (!called("3 " + std::to_string(id) + " " + (id == 5 && value != 0 ? "cb" : std::to_string(value)))) return notOpen;
    parameters[id] = value;
    return 0;
}

// Writes 32 bits, as the interface promises, and no more.
Status FTRAPI_CALL standInGetParameter(std::uint32_t id, std::uint32_t* value) {
    if (!called("4 " + std::to_string(id))) return notOpen;
    *value = static_cast<std::uint32_t>(parameters[id]);
    return 0;
}

// Pixel 16 * row + column, with state bit 1; logs the response word the callback wrote.
Status FTRAPI_CALL standInCapture(void* context, std::uint32_t mode, Data* templ) {
    if (!called("6 " + std::to_string(context != nullptr) + " " + std::to_string(mode) + " " +
                std::to_string(templ->size))) return notOpen;
    unsigned char pixels[24];
    for (int i = 0; i < 24; ++i) pixels[i] = static_cast<unsigned char>(16 * (i / 6) + i % 6);
    Frame frame{{0xA5A5A5A5u, 0x5A5A5A5Au}, {sizeof pixels, pixels}};
    std::uint32_t response = 0xFFFFFFFFu;
    if (auto callback = reinterpret_cast<Callback>(parameters[5])) callback(context, 1, &response, 0xC3C3C3C3u, &frame);
    called("callback " + std::to_string(response));
    std::memcpy(templ->data, fixedTemplate, templateSize);
    templ->size = templateSize;
    return 0;
}

// Both words are written, as the library does, so a caller giving no place for one fails.
Status FTRAPI_CALL standInVerify(void* context, Data* templ, std::uint32_t* matched, std::uint32_t* detail) {
    if (!called("7 " + std::to_string(context != nullptr) + " " + std::to_string(templ->size))) return notOpen;
    *matched = templ->size == templateSize && std::memcmp(templ->data, fixedTemplate, templateSize) == 0;
    *detail = 0;
    return 0;
}
}  // extern "C"
