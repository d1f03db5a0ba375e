#include "fuzz/fuzz_targets.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "encoding/base64.h"
#include "http/request.h"
#include "scanner/unavailable_library.h"
#include "server/respond.h"
#include "static/static_files.h"

namespace {

std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

void require(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

// A whole request through respond(), with a stub scanner and a small token
// store: "{token}" in the input stands for a live token, so the bytes reach
// the handlers behind the gate too.
void fuzzConnection(const std::uint8_t* data, std::size_t size) {
    static Services services(unavailableScannerLibrary(), [](ConsoleStream, std::string_view) {}, 64);
    static const std::string token = services.tokens.issue();
    std::string text(asText(data, size));
    for (std::size_t at = 0; (at = text.find("{token}", at)) != std::string::npos;) text.replace(at, 7, token);

    ReplyBytes reply = respond(services, text, "*");
    require(reply.head.empty() == text.empty());
    if (text.empty()) return;
    require(reply.head.starts_with("HTTP/1.1 ") && reply.head.ends_with("\r\n\r\n"));
    require(reply.head.find("\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n") != std::string::npos);
    require(services.tokens.size() <= 64);

    // Fed in two pieces, the assembler reaches the verdict requestState gives the whole.
    RequestAssembler split;
    std::size_t cut = data[0] % (size + 1);
    split.append(text.data(), std::min(cut, text.size()));
    if (split.state() == RequestState::needMore) split.append(text.data() + std::min(cut, text.size()), text.size() - std::min(cut, text.size()));
    require(split.state() == requestState(text));
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

void fuzzStaticPath(const std::uint8_t* data, std::size_t size) {
    std::optional<std::string> relative = frontendRelativePath(asText(data, size));
    if (!relative) return;
    require(relative->rfind("biometric/", 0) == 0);
    require(relative->find('\0') == std::string::npos && relative->find(':') == std::string::npos);
    require(staysInsideTree(*relative));
    (void)contentTypeFor(*relative);
}
