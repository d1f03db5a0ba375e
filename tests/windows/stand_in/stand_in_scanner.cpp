// A stand-in for the scanner maker's FTRAPI.dll with one fixed scenario: a 6x4 sensor
// (6-byte rows, so BMP rows need padding) whose capture hands one known frame to the
// installed callback and writes a known template, which alone verifies. Written from the
// library's documented interface, not the server's headers, so that a layout, an ordinal
// or an argument the two disagree on fails the suite.
#include <cstdint>
#include <cstring>
#include <map>

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

}  // namespace

extern "C" {
Status FTRAPI_CALL standInOpen() {
    opened = true;
    return 0;
}
Status FTRAPI_CALL standInCloseSession() { return opened ? (opened = false, 0) : notOpen; }

// Start-up must set 4 to 1 and 9 to 0.
Status FTRAPI_CALL standInSetParameter(std::uint32_t id, std::uintptr_t value) {
    if (!opened || (id == 4 && value != 1) || (id == 9 && value != 0)) return notOpen;
    parameters[id] = value;
    return 0;
}

// Writes 32 bits, as the interface promises, and no more.
Status FTRAPI_CALL standInGetParameter(std::uint32_t id, std::uint32_t* value) {
    if (!opened) return notOpen;
    *value = static_cast<std::uint32_t>(parameters[id]);
    return 0;
}

// In single-scan mode (10 = 1) only: pixel 16 * row + column, with state bit 1.
Status FTRAPI_CALL standInCapture(void* context, std::uint32_t mode, Data* templ) {
    if (!opened || parameters[10] != 1 || context == nullptr || mode != 3 || templ->size < templateSize) return notOpen;
    unsigned char pixels[24];
    for (int i = 0; i < 24; ++i) pixels[i] = static_cast<unsigned char>(16 * (i / 6) + i % 6);
    Frame frame{{0xA5A5A5A5u, 0x5A5A5A5Au}, {sizeof pixels, pixels}};
    std::uint32_t response = 0xFFFFFFFFu;
    if (auto callback = reinterpret_cast<Callback>(parameters[5])) callback(context, 1, &response, 0xC3C3C3C3u, &frame);
    if (response != 2) return notOpen;
    std::memcpy(templ->data, fixedTemplate, templateSize);
    templ->size = templateSize;
    return 0;
}

// Both words are written, as the library does, so a caller giving no place for one fails.
Status FTRAPI_CALL standInVerify(void* context, Data* templ, std::uint32_t* matched, std::uint32_t* detail) {
    if (!opened || context != nullptr) return notOpen;
    *matched = templ->size == templateSize && std::memcmp(templ->data, fixedTemplate, templateSize) == 0;
    *detail = 0;
    return 0;
}
}  // extern "C"
