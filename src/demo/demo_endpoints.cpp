#include "demo/demo_endpoints.h"

#include <algorithm>
#include <string_view>

#include "demo/demo_templates.h"
#include "demo/finger_number.h"
#include "encoding/form_templates.h"

namespace {

constexpr std::string_view fingerQuery = "?finger=";
constexpr std::string_view missingFingerBody =
    "{\"success\": false, \"message\": \"Missing finger parameter.\"}";
constexpr std::string_view invalidFingerBody =
    "{\"success\": false, \"message\": \"Invalid finger parameter.\"}";
constexpr std::string_view invalidIndexBody =
    "{\"success\": false, \"message\": \"Invalid finger index.\"}";

std::string replyBodyForFinger(std::string_view path) {
    std::size_t query = path.find(fingerQuery);
    if (query == std::string_view::npos) return std::string(missingFingerBody);
    FingerNumber finger = readFingerNumber(path.substr(query + fingerQuery.size()));
    if (finger.reading == FingerReading::noDigits) return std::string(invalidFingerBody);
    if (finger.reading == FingerReading::outOfRange || finger.value < 1 ||
        finger.value > static_cast<std::int32_t>(DemoTemplates.size())) {
        return std::string(invalidIndexBody);
    }
    // The demo has no image: the field is an empty string.
    return "{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" +
           DemoTemplates[static_cast<std::size_t>(finger.value - 1)] + "\"}";
}

bool anyDemoTemplatePosted(std::string_view body) {
    std::vector<std::string> candidates = extractTemplateValues(body);
    return std::any_of(candidates.begin(), candidates.end(), [](const std::string& candidate) {
        return std::find(DemoTemplates.begin(), DemoTemplates.end(), candidate) != DemoTemplates.end();
    });
}

}  // namespace

Reply handleDemoScanSingle(Console& console, std::string_view path) {
    console.out("--- Handling /api/demoscan/single ---");
    return jsonReply(replyBodyForFinger(path));
}

Reply handleDemoVerifyWithTemplate(Console& console, std::string_view body) {
    console.out("--- Handling /demoverify_with_template POST ---");
    if (countTemplateFields(body) > maxTemplatesPerVerification) return jsonReply(std::string(tooManyTemplatesBody));
    return jsonReply(std::string(verificationBody(anyDemoTemplatePosted(body))));
}
