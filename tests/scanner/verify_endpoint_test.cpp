#include <gtest/gtest.h>

#include "scanner/verify_endpoint.h"
#include "support/console_capture.h"
#include "support/scripted_scanner.h"

namespace {

ScannerScript verifyResults(std::deque<std::pair<ScannerStatus, std::uint32_t>> results) {
    ScannerScript script;
    script.verifyResults = std::move(results);
    return script;
}

TEST(VerifyWithTemplate, TriesDecodedTemplatesInOrderUntilOneMatches) {
    struct Case {
        const char* name;
        std::string body;
        std::deque<std::pair<ScannerStatus, std::uint32_t>> results;
        bool matched;
        std::vector<std::string> verified;
    };
    const Case cases[] = {
        {"two templates, neither matches", "template1=QUJD&template2=REVG", {}, false, {"ABC", "DEF"}},
        {"second of four matches", "template1=QUJD&template2=REVG&template3=R0hJ&template4=SktM",
         {{0, 0}, {0, 1}}, true, {"ABC", "DEF"}},
        {"library failure counts as no match", "template1=QUJD&template2=REVG", {{3, 1}, {0, 1}}, true,
         {"ABC", "DEF"}},
        {"plus, slash and pads, raw or escaped", "template1=+/+/YQ==&template2=%2B%2F%2B%2FYQ%3D%3D",
         {}, false, {"\xFB\xFF\xBF" "a", "\xFB\xFF\xBF" "a"}},
        {"empty values and bare keys are passed over", "template1=&template2&template3=QUJD", {}, false,
         {"ABC"}},
        {"pads alone are not Base64", "template1=%3D%3D", {}, false, {}},
        {"json body", "{\"template1\": \"QUJD\"}", {}, false, {}},
        {"empty body", "", {}, false, {}},
        {"other keys ignored", "Template1=QUJD&finger=REVG&template=R0hJ", {}, false, {"GHI"}},
    };
    for (const Case& c : cases) {
        installScriptedScanner(verifyResults(c.results));
        EXPECT_EQ(verifyAgainstTemplates(c.body), c.matched) << c.name;
        EXPECT_EQ(verifiedTemplates(), c.verified) << c.name;
    }
}

TEST(VerifyWithTemplate, ReportsABadTemplateAndTriesTheRest) {
    installScriptedScanner(verifyResults({{0, 1}}));
    ConsoleCapture console;
    EXPECT_TRUE(verifyAgainstTemplates("template1=not%20base64&template2=QUJD"));
    EXPECT_EQ(console.err(),
              std::vector<std::string>{"Error decoding base64 template: Input is not valid base64-encoded data."});
    EXPECT_EQ(verifiedTemplates(), std::vector<std::string>{"ABC"});
}

TEST(VerifyWithTemplate, SetsNoParameters) {
    installScriptedScanner(verifyResults({}));
    verifyAgainstTemplates("template1=QUJD");
    for (const ScannerCall& call : scannerCalls()) EXPECT_EQ(call.ordinal, 7u);
}

}  // namespace
