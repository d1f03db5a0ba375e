#include "scanner/scan_endpoint.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>

#include "scanner/connect_scanner.h"
#include "scanner/scan_reply.h"

namespace {

constexpr std::string_view parametersFailedBody =
    "{\"success\": false, \"message\": \"Failed to get device parameters\"}";
constexpr std::string_view allocationFailedBody =
    "{\"success\": false, \"message\": \"Failed to allocate memory\"}";
constexpr std::string_view scannerBusyBody =
    "{\"success\": false, \"message\": \"The scanner is busy with another request.\"}";
constexpr std::string_view scanFailedBody =
    "{\"success\": false, \"message\": \"Single scan failed or image not captured\"}";

// Sets a parameter for the length of a scope and puts the resting value back
// on every way out, exceptions included.
class ParameterDuringScope {
public:
    ParameterDuringScope(const ScannerLibrary& library, std::uint32_t id, std::uintptr_t during,
                         std::uintptr_t after)
        : library_(library), id_(id), after_(after) {
        library_.setParameter(id_, during);
    }
    ParameterDuringScope(const ParameterDuringScope&) = delete;
    ParameterDuringScope& operator=(const ParameterDuringScope&) = delete;
    ~ParameterDuringScope() { library_.setParameter(id_, after_); }

private:
    const ScannerLibrary& library_;
    std::uint32_t id_;
    std::uintptr_t after_;
};

std::unique_ptr<std::uint8_t[]> tryAllocate(std::uint32_t size) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

std::string captureBody(Scanner::Held& scanner, Console& console) {
    const ScannerLibrary& library = scanner.library();
    ParameterDuringScope scanMode(library, scannerParameter::scanMode, singleScanMode, restingScanMode);
    std::uint32_t imageSize = 0;
    std::uint32_t templateCapacity = 0;
    for (auto [id, value] : {std::pair{scannerParameter::frameSize, &imageSize},
                             std::pair{scannerParameter::templateCapacity, &templateCapacity}}) {
        if (ScannerStatus status = readScannerParameter(library, id, *value); status != scannerSuccess) {
            scanner.lost(console, failedWithStatus("reading parameter " + std::to_string(id), status));
            return std::string(parametersFailedBody);
        }
    }
    std::unique_ptr<std::uint8_t[]> image = tryAllocate(imageSize);
    std::unique_ptr<std::uint8_t[]> templ = tryAllocate(templateCapacity);
    if (!image || !templ) return std::string(allocationFailedBody);

    FrameCopyTarget target{image.get(), imageSize, 0};
    ParameterDuringScope callback(library, scannerParameter::callback, callbackParameter(frameCopyCallback),
                                  callbackParameter(defaultScanCallback));
    ScannerData templateData{templateCapacity, templ.get()};
    ScannerStatus captured = library.capture(&target, capturePurpose, &templateData);
    if (captured != scannerSuccess || target.captured == 0) return std::string(scanFailedBody);

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (readScannerParameter(library, scannerParameter::frameWidth, width) != scannerSuccess ||
        readScannerParameter(library, scannerParameter::frameHeight, height) != scannerSuccess) {
        return std::string(scanFailedBody);
    }
    // A library that claims more than the capacity is not believed past the buffer's end.
    std::uint32_t templateLength = std::min(templateData.size, templateCapacity);
    std::optional<std::string> body =
        buildScanReplyBody(image.get(), imageSize, width, height, templ.get(), templateLength);
    return body ? *std::move(body) : std::string(scanFailedBody);
}

}  // namespace

Reply handleScanSingle(Scanner& scanner, Console& console) {
    console.out("--- Handling /api/scan/single ---");
    std::optional<Scanner::Held> held = scanner.hold(console);
    if (!held) {
        console.err("Scanner busy: /api/scan/single was not served");
        return jsonReply(std::string(scannerBusyBody));
    }
    try {
        return jsonReply(captureBody(*held, console));
    } catch (const std::bad_alloc&) {
        return jsonReply(std::string(allocationFailedBody));
    }
}
