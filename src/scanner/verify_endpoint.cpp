#include "scanner/verify_endpoint.h"

#include <mutex>
#include <stdexcept>
#include <string_view>

#include "encoding/base64.h"
#include "encoding/form_templates.h"
#include "scanner/scanner_library.h"

namespace {

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
    std::lock_guard lock(scanner.lock);
    return jsonReply(std::string(verificationBody(anyTemplateMatches(scanner.library, console, body))));
}
