#include "fuzz/fuzz_targets.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "demo/finger_number.h"
#include "encoding/base64.h"
#include "encoding/form_templates.h"
#include "encoding/url_decode.h"
#include "platform/net.h"
#include "scanner/scanner_library.h"
#include "scanner/unavailable_library.h"
#include "security/host_check.h"
#include "server/connection.h"
#include "server/console.h"
#include "server/request.h"
#include "static/static_files.h"
#include "support/loopback.h"

namespace {

std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

void require(bool holds) {
    if (!holds) std::abort();
}

void quietConsoleAndNoScanner() {
    static bool done = [] {
        setConsoleSink([](ConsoleStream, std::string_view) {});
        installScannerLibrary(unavailableScannerLibrary());
        startNetwork();
        return true;
    }();
    (void)done;
}

// The pure parsing pieces on the same bytes: no over-read, and the assembler's
// verdict does not depend on how the bytes were split.
void checkRequestParsing(const std::uint8_t* data, std::size_t size) {
    std::string_view text = asText(data, size);
    // Fed in two pieces, the assembler must reach the same verdict as in one.
    RequestAssembler whole;
    whole.append(text.data(), text.size());
    RequestAssembler split;
    std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    split.append(text.data(), cut);
    if (split.state() == RequestAssembler::State::needMore) split.append(text.data() + cut, size - cut);
    if (whole.state() != RequestAssembler::State::tooLarge) require(split.state() == whole.state());

    RequestLine line = cutRequestLine(text);
    require(line.method.size() <= size && (line.path.size() <= size || line.path == "/"));
    std::string_view block = headerBlockOf(text);
    std::string_view body = bodyOf(text);
    require(block.size() + body.size() <= size);
    std::string token = getHeaderValue(block, "X-CSRF-Token");
    require(token.empty() || (token.front() != ' ' && token.back() != '\t'));
    (void)parseContentLength(block);
    (void)findForeignHost(block);
    (void)isProtectedPath(line.path);
}

}  // namespace

// The whole connection handler on a real socket: request bytes in, one reply
// (or none) out, connection closed.
void fuzzConnection(const std::uint8_t* data, std::size_t size) {
    checkRequestParsing(data, size);
    quietConsoleAndNoScanner();
    SocketPair pair = makeLoopbackPair();
    sendAll(pair.client, reinterpret_cast<const char*>(data), size);
    shutdownSend(pair.client);
    ConnectionHandler(pair.server, "*");
    std::string reply = readUntilClosed(pair.client);
    closeSocket(pair.client);
    require(reply.empty() || reply.rfind("HTTP/1.1 ", 0) == 0);
    if (size == 0) require(reply.empty());
}

void fuzzBase64(const std::uint8_t* data, std::size_t size) {
    std::string text = encodeBase64(data, size);
    require(text.size() == base64Length(size));
    require(decodeBase64(text) == std::string(asText(data, size)));
    try {
        std::string decoded = decodeBase64(asText(data, size));
        require(decoded.size() <= (size + 3) / 4 * 3);
    } catch (const std::runtime_error& error) {
        require(std::string(error.what()) == invalidBase64Message);
    }
}

void fuzzUrlDecode(const std::uint8_t* data, std::size_t size) {
    std::string decoded = urlDecode(asText(data, size));
    require(decoded.size() <= size);
    if (asText(data, size).find('%') == std::string_view::npos) require(decoded == asText(data, size));
}

void fuzzFormTemplates(const std::uint8_t* data, std::size_t size) {
    std::size_t total = 0;
    for (const std::string& value : extractTemplateValues(asText(data, size))) total += value.size();
    require(total <= size);
}

void fuzzFingerNumber(const std::uint8_t* data, std::size_t size) {
    FingerNumber finger = readFingerNumber(asText(data, size));
    std::string text(asText(data, size));
    if (finger.reading == FingerReading::number) {
        // Whatever std::stoi reads, the same number comes out.
        require(std::stoll(text) == finger.value);
    }
}

void fuzzStaticPath(const std::uint8_t* data, std::size_t size) {
    std::optional<std::string> relative = frontendRelativePath(asText(data, size));
    if (!relative) return;
    require(relative->rfind("biometric/", 0) == 0);
    require(relative->find('\0') == std::string::npos && relative->find(':') == std::string::npos);
    require(staysInsideTree(*relative));
    (void)contentTypeFor(*relative);
}
