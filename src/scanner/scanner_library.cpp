#include "scanner/scanner_library.h"

#include <cstring>

ScannerStatus readScannerParameter(const ScannerLibrary& library, std::uint32_t id, std::uint32_t& value) {
    std::uintptr_t raw = 0;
    ScannerStatus status = library.getParameter(id, &raw);
    value = static_cast<std::uint32_t>(raw);
    return status;
}

void SCANNER_API defaultScanCallback(void*, std::uint32_t, std::uint32_t* response, std::uint32_t,
                                     ScannerFrame*) {
    if (response != nullptr) *response = callbackResponse;
}

void SCANNER_API frameCopyCallback(void* context, std::uint32_t stateBits, std::uint32_t* response,
                                   std::uint32_t, ScannerFrame* frame) {
    if (response != nullptr) *response = callbackResponse;
    auto* target = static_cast<FrameCopyTarget*>(context);
    if (target == nullptr || frame == nullptr || target->buffer == nullptr) return;
    if ((stateBits & frameAvailableBit) == 0 || target->captured != 0) return;
    if (frame->frame.size != target->length || frame->frame.data == nullptr) return;
    std::memcpy(target->buffer, frame->frame.data, target->length);
    target->captured = 1;
}

std::uintptr_t callbackParameter(ScannerCallback callback) {
    return reinterpret_cast<std::uintptr_t>(callback);
}
