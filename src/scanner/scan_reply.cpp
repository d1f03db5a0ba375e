#include "scanner/scan_reply.h"

#include <cstring>
#include <string_view>

#include "encoding/base64.h"
#include "scanner/bmp.h"

namespace {

constexpr std::string_view head = "{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,";
constexpr std::string_view middle = "\", \"templateBase64\": \"";
constexpr std::string_view qualityKey = "\", \"quality\": ";

char* put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace

std::optional<std::string> buildScanReplyBody(const std::uint8_t* frame, std::size_t frameSize,
                                              std::uint32_t width, std::uint32_t height,
                                              const std::uint8_t* templ, std::size_t templateLength, int quality) {
    std::optional<std::uint32_t> fileSize = greyBmpFileSize(frameSize, width, height);
    if (!fileSize || frame == nullptr) return std::nullopt;
    const std::string tail = std::string(qualityKey) + std::to_string(quality) + "}";
    // One buffer of the exact size, with the BMP encoded straight into it: the
    // file and the Base64 texts never exist as copies of their own.
    std::string body(head.size() + base64Length(*fileSize) + middle.size() +
                         base64Length(templateLength) + tail.size(),
                     '\0');
    char* out = put(body.data(), head);
    Base64Writer image(out);
    writeGreyBmp(frame, *fileSize, width, height,
                 [&image](const std::uint8_t* bytes, std::size_t count) { image.write(bytes, count); });
    out = put(image.finish(), middle);
    Base64Writer templateText(out);
    templateText.write(templ, templateLength);
    put(templateText.finish(), tail);
    return body;
}
