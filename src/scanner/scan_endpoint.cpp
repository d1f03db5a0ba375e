#include "scanner/scan_endpoint.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>

#include "fingerprint/image_quality.h"
#include "fingerprint/iso_minutiae_record.h"
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

// What a capture brings back under the scanner lock: a frame and a template, or the failure to answer.
struct Capture {
    std::unique_ptr<std::uint8_t[]> image;
    std::uint32_t imageSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::unique_ptr<std::uint8_t[]> templ;
    std::uint32_t templateLength = 0;
    std::string_view failure;
};

Capture failed(std::string_view body) {
    Capture capture;
    capture.failure = body;
    return capture;
}

Capture capture(Scanner::Held& scanner, Console& console) {
    const ScannerLibrary& library = scanner.library();
    ParameterDuringScope scanMode(library, scannerParameter::scanMode, singleScanMode, restingScanMode);
    Capture captured;
    std::uint32_t templateCapacity = 0;
    for (auto [id, value] : {std::pair{scannerParameter::frameSize, &captured.imageSize},
                             std::pair{scannerParameter::templateCapacity, &templateCapacity}}) {
        if (ScannerStatus status = readScannerParameter(library, id, *value); status != scannerSuccess) {
            scanner.lost(console, failedWithStatus("reading parameter " + std::to_string(id), status));
            return failed(parametersFailedBody);
        }
    }
    captured.image = tryAllocate(captured.imageSize);
    captured.templ = tryAllocate(templateCapacity);
    if (!captured.image || !captured.templ) return failed(allocationFailedBody);

    FrameCopyTarget target{captured.image.get(), captured.imageSize, 0};
    ParameterDuringScope callback(library, scannerParameter::callback, callbackParameter(frameCopyCallback),
                                  callbackParameter(defaultScanCallback));
    ScannerData templateData{templateCapacity, captured.templ.get()};
    ScannerStatus status = library.capture(&target, capturePurpose, &templateData);
    if (status != scannerSuccess || target.captured == 0) return failed(scanFailedBody);

    if (readScannerParameter(library, scannerParameter::frameWidth, captured.width) != scannerSuccess ||
        readScannerParameter(library, scannerParameter::frameHeight, captured.height) != scannerSuccess) {
        return failed(scanFailedBody);
    }
    // A library that claims more than the capacity is not believed past the buffer's end.
    captured.templateLength = std::min(templateData.size, templateCapacity);
    return captured;
}

// The frame's quality. A template that is a finger minutiae record of this
// very frame (the simulated device's, made from the frame it delivered) already
// carries it, from the same analysis; any other frame is analysed here.
int qualityOf(const Capture& captured) {
    const auto record = fingerprint::readMinutiaeRecord(captured.templ.get(), captured.templateLength);
    if (record && record->imageWidth == captured.width && record->imageHeight == captured.height) {
        return std::min<int>(record->fingerQuality, 100);
    }
    return fingerprint::imageQuality(captured.image.get(), captured.imageSize, static_cast<int>(captured.width),
                                     static_cast<int>(captured.height));
}

}  // namespace

Reply handleScanSingle(Scanner& scanner, Console& console) {
    console.out("--- Handling /api/scan/single ---");
    try {
        Capture captured;
        {
            std::optional<Scanner::Held> held = scanner.hold(console);
            if (!held) {
                console.err("Scanner busy: /api/scan/single was not served");
                return jsonReply(std::string(scannerBusyBody));
            }
            captured = capture(*held, console);
        }
        // The scanner is free again before the frame is judged and encoded.
        if (!captured.failure.empty()) return jsonReply(std::string(captured.failure));
        std::optional<std::string> body =
            buildScanReplyBody(captured.image.get(), captured.imageSize, captured.width, captured.height,
                               captured.templ.get(), captured.templateLength, qualityOf(captured));
        return jsonReply(body ? *std::move(body) : std::string(scanFailedBody));
    } catch (const std::bad_alloc&) {
        return jsonReply(std::string(allocationFailedBody));
    }
}
