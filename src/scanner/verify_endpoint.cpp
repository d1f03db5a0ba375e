#include "scanner/verify_endpoint.h"

#include <mutex>
#include <stdexcept>
#include <string_view>

#include "encoding/base64.h"
#include "encoding/form_templates.h"
#include "scanner/scanner_library.h"
#include "server/console.h"
#include "server/response.h"
#include "server/verification_reply.h"

namespace {

bool liveFingerMatches(std::string& templateBytes) {
    ScannerData templ{static_cast<std::uint32_t>(templateBytes.size()), templateBytes.data()};
    std::uint32_t matched = 0;
    std::uint32_t detail = 0;
    ScannerStatus status = activeScannerLibrary().verify(nullptr, &templ, &matched, &detail);
    return status == scannerSuccess && matched != 0;
}

}  // namespace

bool verifyAgainstTemplates(const std::string& body) {
    for (const std::string& text : extractTemplateValues(body)) {
        if (text.empty()) continue;
        std::string bytes;
        try {
            bytes = decodeBase64(text);
        } catch (const std::runtime_error& error) {
            printErr(std::string("Error decoding base64 template: ") + error.what());
            continue;
        }
        if (bytes.empty()) continue;
        if (liveFingerMatches(bytes)) return true;
    }
    return false;
}

void handleVerifyWithTemplate(Socket socket, const std::string& body, const std::string& origin) {
    printOut("--- Handling /verify_with_template POST (four fingers) ---");
    bool matched = false;
    {
        std::lock_guard lock(scannerMutex());
        matched = verifyAgainstTemplates(body);
    }
    sendResponse(socket, status::ok, contentType::json, verificationBody(matched), origin);
}
