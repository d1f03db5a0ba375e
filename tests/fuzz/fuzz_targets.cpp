// Fuzz targets: each runs a parser of the server on arbitrary bytes and aborts when an invariant
// breaks. With FUZZ_TARGET one is a libFuzzer program; without, the saved inputs are replayed.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
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
    static Services services(unavailableScannerLibrary(), [](ConsoleStream, std::string_view) {}, 64,
                             std::get<AllowedOrigins>(parseAllowedOrigins("https://a.example, https://b.example")));
    static std::string token;
    if (!services.tokens.accept(token)) token = services.tokens.issue();  // the cap may have dropped it
    std::string text(asText(data, size));
    for (std::size_t at = 0; (at = text.find("{token}", at)) != std::string::npos;) text.replace(at, 7, token);

    ReplyBytes reply = respond(services, text);
    require(reply.head.empty() == text.empty());
    if (text.empty()) return;
    require(reply.head.starts_with("HTTP/1.1 ") && reply.head.ends_with("\r\n\r\n"));
    require(reply.head.find("\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n") != std::string::npos);
    require(services.tokens.size() <= 64);

    // Fed in two pieces, the assembler reaches the verdict parseRequest gives the whole.
    RequestAssembler split;
    std::size_t cut = std::min<std::size_t>(data[0], text.size());
    split.append(text.data(), cut);
    if (split.state() == RequestState::needMore) split.append(text.data() + cut, text.size() - cut);
    require(split.state() == parseRequest(text).state);
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
    static const std::regex device("CON(IN\\$|OUT\\$)?|PRN|AUX|NUL|CLOCK\\$|(COM|LPT)([0-9]|\xC2?[\xB9\xB2\xB3])",
                                   std::regex::icase);  // no segment's base name is one Windows opens as a device
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = relative->find_first_of("/\\", start);
        const std::string base = relative->substr(start, std::min(end, relative->find_first_of(".:", start)) - start);
        require(!std::regex_match(base.substr(0, base.find_last_not_of(' ') + 1), device));
    }
}

#ifdef FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FUZZ_TARGET(data, size);
    return 0;
}
#else
#include <gtest/gtest.h>

TEST(FuzzRegression, SavedInputsRunClean) {
    // Percent-decoding, form fields and finger numbers are reached through
    // respond(), with "{token}" in the input passing the gate.
    const std::pair<const char*, void (*)(const std::uint8_t*, std::size_t)> targets[] = {
        {"connection", fuzzConnection}, {"base64", fuzzBase64}, {"static_path", fuzzStaticPath}};
    std::size_t replayed = 0;
    for (const auto& [name, run] : targets) {
        for (const char* folder : {"corpus", "regressions"}) {
            const std::filesystem::path inputs = std::filesystem::path(FUZZ_INPUTS_DIR) / folder / name;
            if (!std::filesystem::is_directory(inputs)) continue;
            for (const auto& entry : std::filesystem::directory_iterator(inputs)) {
                std::ifstream file(entry.path(), std::ios::binary);
                const std::string bytes{std::istreambuf_iterator<char>(file), {}};
                SCOPED_TRACE(entry.path().string());
                run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
                ++replayed;
            }
        }
    }
    EXPECT_GT(replayed, 50u);  // the seed corpus is there
}
#endif
