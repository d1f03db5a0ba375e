#include "support/reply_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <tuple>

namespace {

struct ReplyCase {
    std::string name;
    std::string request;
    std::string reply;
    std::vector<std::string> out = {};
    std::vector<std::string> err = {};
};

// Name, the characters it stands for, and how many of them at least and at most.
constexpr std::tuple<std::string_view, std::string_view, std::size_t, std::size_t> placeholders[] = {
    {"{token}", "0123456789abcdef", 32, 64},
    {"{digits}", "0123456789", 1, 10},
    {"{quality}", "0123456789", 1, 3},  // 0 to 100, checked below
    {"{kind}", "abcdefghijklmnopqrstuvwxyz", 6, 9},  // the library: "vendor" or "simulated"
    {"{base64}", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=", 0, std::string_view::npos},
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

bool matchesPattern(std::string_view pattern, std::string_view text) {
    while (!pattern.empty()) {
        const auto* found = std::find_if(std::begin(placeholders), std::end(placeholders),
                                         [pattern](const auto& placeholder) { return pattern.starts_with(std::get<0>(placeholder)); });
        if (found == std::end(placeholders)) {
            if (text.empty() || text.front() != pattern.front()) return false;
            pattern.remove_prefix(1);
            text.remove_prefix(1);
            continue;
        }
        // Greedy: every placeholder is followed by a character outside its class.
        const auto& [name, characters, least, most] = *found;
        std::size_t run = std::min(text.find_first_not_of(characters), text.size());
        if (run < least || run > most) return false;
        if (name == "{quality}" && std::stoi(std::string(text.substr(0, run))) > 100) return false;
        pattern.remove_prefix(name.size());
        text.remove_prefix(run);
    }
    return text.empty();
}

std::string frontendFile(const std::string& relativePath) {
    std::ifstream file(std::string(FINGERBRIDGE_FRONTEND_DIR) + "/" + relativePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

const std::string demoTemplate1 = "Template1_AA--" + std::string(84, 'A') + "==";
const std::string demoTemplate2 = "Template2_" + std::string(90, 'B') + "==";

std::vector<ReplyCase> replyCases(const std::string& origin) {
    auto reply = [&origin](const std::string& status, const std::string& type, const std::string& body) {
        return status + "\r\nContent-Type: " + type + "\r\nAccess-Control-Allow-Origin: " + origin +
               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    auto json = [&reply](const std::string& body) { return reply("HTTP/1.1 200 OK", "application/json", body); };
    // A body whose length varies with what it holds.
    auto varyingJson = [&json](const std::string& body) {
        std::string pattern = json(body);
        return replaced(pattern, "Content-Length: " + std::to_string(body.size()), "Content-Length: {digits}");
    };
    auto get = [](const std::string& path, const std::string& headers = "X-CSRF-Token: {token}\r\n") {
        return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n" + headers + "\r\n";
    };
    auto post = [](const std::string& path, const std::string& body, const std::string& token = "{token}") {
        return "POST " + path + " HTTP/1.1\r\nX-CSRF-Token: " + token +
               "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    auto passed = [](const std::string& path) { return "CSRF check PASSED for " + path; };
    const std::string csrfRefused = reply("HTTP/1.1 403 Forbidden", "application/json",
        "{\"success\": false, \"message\": \"CSRF token mismatch, missing, or expired.\"}");
    const std::string notFound = reply("HTTP/1.1 404 Not Found", "text/plain", "404 Not Found");
    const std::string page = reply("HTTP/1.1 200 OK", "text/html", frontendFile("biometric/scan.html"));
    const std::string verified = json("{\"success\": true, \"verified\": true}");
    const std::string notVerified = json(
        "{\"success\": true, \"verified\": false, \"message\": \"Verification failed: No matching fingerprint found.\"}");
    const std::string tooMany =
        json("{\"success\": false, \"verified\": false, \"message\": \"Too many templates (at most 16).\"}");
    const std::string originRefused =
        reply("HTTP/1.1 403 Forbidden", "application/json", "{\"success\": false, \"message\": \"Origin not allowed.\"}");
    std::string templates16 = "x=1";
    for (int i = 0; i < 15; ++i) templates16 += "&template" + std::to_string(i) + "=QUJD";
    const std::string demoScan = "--- Handling /api/demoscan/single ---";
    const std::string demoVerify = "--- Handling /demoverify_with_template POST ---";
    const std::string verify = "--- Handling /verify_with_template POST (four fingers) ---";
    return {
        {"preflight: any path, no token, any Host", "OPTIONS /api/scan/single HTTP/1.1\r\nHost: rebind.example\r\n\r\n",
         "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: " + origin +
             "\r\nAccess-Control-Allow-Methods: GET, POST, OPTIONS\r\n"
             "Access-Control-Allow-Headers: Content-Type, X-CSRF-Token\r\nContent-Length: 0\r\n\r\n"},
        {"token issued, by POST too", "POST /api/config HTTP/1.1\r\n\r\n",
         varyingJson("{\"csrfToken\": \"{token}\"}"),
         {"New CSRF Token Generated and Stored: {token}"}},
        {"scan without a token", get("/api/scan/single", ""), csrfRefused, {},
         {"CSRF check FAILED for /api/scan/single (Token: '')"}},
        {"verify with a token never issued", post("/verify_with_template", "template1=QUJD", "0123"), csrfRefused, {},
         {"CSRF check FAILED for /verify_with_template (Token: '0123')"}},
        {"token under a lower-case name", get("/api/demoscan/single?finger=1", "x-csrf-token: {token}\r\n"),
         csrfRefused, {}, {"CSRF check FAILED for /api/demoscan/single?finger=1 (Token: '')"}},
        {"foreign Host, before the token check", get("/api/scan/single", "Host: rebind.example:8080\r\n"),
         reply("HTTP/1.1 403 Forbidden", "application/json", "{\"success\": false, \"message\": \"Host not allowed.\"}"),
         {}, {"Host check FAILED for /api/scan/single (Host: 'rebind.example:8080')"}},
        {"status", get("/api/status"),
         varyingJson("{\"success\": true, \"version\": \"" FINGERBRIDGE_VERSION "\", \"scanner\": \"connected\", "
                     "\"scannerDetail\": \"\", \"library\": \"{kind}\", \"allowedOrigin\": \"" +
                     replaced(replaced(origin, "\\", "\\\\"), "\"", "\\\"") + "\"}"),
         {passed("/api/status")}},
        {"only /api/config itself is unprotected", get("/api/config?x=1"), notFound, {passed("/api/config?x=1")}},
        {"demo scan, token among spaces and tabs, a number read like stoi",
         get("/api/demoscan/single?finger=+2x", "X-CSRF-Token: \t{token} \t\r\n"),
         json("{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" + demoTemplate2 + "\"}"),
         {passed("/api/demoscan/single?finger=+2x"), demoScan}},
        {"demo scan, no finger", get("/api/demoscan/single"),
         json("{\"success\": false, \"message\": \"Missing finger parameter.\"}"), {passed("/api/demoscan/single"), demoScan}},
        {"demo scan, finger not a number", get("/api/demoscan/single?finger=x1"),
         json("{\"success\": false, \"message\": \"Invalid finger parameter.\"}"),
         {passed("/api/demoscan/single?finger=x1"), demoScan}},
        {"demo verify, second field, percent-encoded pads",
         post("/demoverify_with_template", "x=1&&template9=" + replaced(demoTemplate1, "==", "%3D%3D") + "&"), verified,
         {passed("/demoverify_with_template"), demoVerify}},
        {"demo verify, unknown template", post("/demoverify_with_template", "Template1=" + demoTemplate1 + "&template=QUJD"),
         notVerified, {passed("/demoverify_with_template"), demoVerify}},
        {"scan", get("/api/scan/single"),
         varyingJson("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,Qk{base64}\", "
                     "\"templateBase64\": \"{base64}\", \"quality\": {quality}}"),
         {passed("/api/scan/single"), "--- Handling /api/scan/single ---"}},
        {"verify, bytes that are no template", post("/verify_with_template", "template1=QUJD"), notVerified,
         {passed("/verify_with_template"), verify}},
        {"verify, a template that is not Base64", post("/verify_with_template", "template1=A&template2="), notVerified,
         {passed("/verify_with_template"), verify},
         {"Error decoding base64 template: Input is not valid base64-encoded data."}},
        {"verify path by GET goes to the files", get("/verify_with_template"), notFound, {passed("/verify_with_template")}},
        {"16 templates at most: 16", post("/demoverify_with_template", templates16 + "&template=" + demoTemplate1), verified,
         {passed("/demoverify_with_template"), demoVerify}},
        {"16 templates at most: 17, an empty one counted",
         post("/demoverify_with_template", templates16 + "&template=&template=" + demoTemplate1), tooMany,
         {passed("/demoverify_with_template"), demoVerify}},
        {"the configured origin", get("/api/demoscan/single?finger=1", "Origin: " + origin + "\r\nX-CSRF-Token: {token}\r\n"),
         json("{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" + demoTemplate1 + "\"}"),
         {passed("/api/demoscan/single?finger=1"), demoScan}},
        {"another origin", get("/api/config", "Origin: https://evil.example\r\n"), originRefused, {},
         {"Origin check FAILED for /api/config (Origin: 'https://evil.example')"}},
        {"two origins", get("/api/config", "Origin: http://localhost:8080\r\nOrigin: " + origin + "\r\n"), originRefused, {},
         {"Origin check FAILED for /api/config (Origin: 'http://localhost:8080')"}},
        {"cross-site without an origin", get("/api/config", "Sec-Fetch-Site: cross-site\r\n"), originRefused, {},
         {"Origin check FAILED for /api/config (Sec-Fetch-Site: 'cross-site')"}},
        {"bytes outside printable ASCII in a console line", get("/api/x\x1b[31m\\\xc2\x85\x9b\xe2\x80\xa8",
                                                              "X-CSRF-Token: \x07\r\n"), csrfRefused, {},
         {"CSRF check FAILED for /api/x\\x1b[31m\\x5c\\xc2\\x85\\x9b\\xe2\\x80\\xa8 (Token: '\\x07')"}},
        {"declared body over 1 MiB", "POST /demoverify_with_template HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n",
         reply("HTTP/1.1 413 Payload Too Large", "application/json",
               "{\"success\": false, \"message\": \"Request too large.\"}")},
        {"start page", get("/", ""), page},
        {"no space at all: the start page", "GET\r\n\r\n", page},
        {"missing file", get("/no-such-page.html", ""), notFound},
        {"empty target", "GET  HTTP/1.1\r\n\r\n", notFound},
        {"climbing out with backslashes", get("/..\\..\\frontend\\biometric\\scan.html", ""), notFound},
    };
}

}  // namespace

void runReplyTable(ServerUnderTest& server, const std::string& origin) {
    const std::string config = server.exchange("GET /api/config HTTP/1.1\r\n\r\n");  // ...{"csrfToken": "..."}
    const std::string token = config.substr(config.rfind(' ') + 2, config.size() - config.rfind(' ') - 4);
    server.outLines(1);
    for (const ReplyCase& c : replyCases(origin)) {
        SCOPED_TRACE(c.name);
        const std::string got = server.exchange(replaced(c.request, "{token}", token));
        EXPECT_TRUE(matchesPattern(c.reply, got)) << "expected: " << c.reply.substr(0, 300)
                                                   << "\ngot: " << got.substr(0, 300);
        for (auto [expected, got] : {std::pair{c.out, server.outLines(c.out.size())}, {c.err, server.errLines(c.err.size())}}) {
            for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_TRUE(matchesPattern(expected[i], got[i])) << got[i];
        }
    }
}
