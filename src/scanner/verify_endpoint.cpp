#include "scanner/verify_endpoint.h"

#include <stdexcept>
#include <string_view>

#include "encoding/base64.h"
#include "encoding/form_templates.h"
#include "scanner/scanner_library.h"

namespace {

constexpr std::string_view scannerBusyBody =
    "{\"success\": false, \"verified\": false, \"message\": \"The scanner is busy with another request.\"}";

bool liveFingerMatches(const ScannerLibrary& library, std::string& templateBytes) {
    ScannerData templ{static_cast<std::uint32_t>(templateBytes.size()), templateBytes.data()};
    std::uint32_t matched = 0;
    std::uint32_t detail = 0;
    ScannerStatus status = library.verify(nullptr, &templ, &matched, &detail);
    return status == scannerSuccess && matched != 0;
}

bool anyTemplateMatches(const ScannerLibrary& library, Console& console, std::string_view body) {
    for (const std::string& text : extractTemplateValues(body)) {
        if (text.empty()) continue;
        std::string bytes;
        try {
            bytes = decodeBase64(text);
        } catch (const std::runtime_error& error) {
            console.err(std::string("Error decoding base64 template: ") + error.what());
            continue;
        }
        if (bytes.empty()) continue;
        if (liveFingerMatches(library, bytes)) return true;
    }
    return false;
}

}  // namespace

Reply handleVerifyWithTemplate(Scanner& scanner, Console& console, std::string_view body) {
    console.out("--- Handling /verify_with_template POST (four fingers) ---");
    if (countTemplateFields(body) > maxTemplatesPerVerification) return jsonReply(std::string(tooManyTemplatesBody));
    std::optional<Scanner::Held> held = scanner.hold(console);
    if (!held) {
        console.err("Scanner busy: /verify_with_template was not served");
        return jsonReply(std::string(scannerBusyBody));
    }
    return jsonReply(std::string(verificationBody(anyTemplateMatches(held->library(), console, body))));
}
