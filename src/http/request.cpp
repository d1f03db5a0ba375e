#include "http/request.h"

#include <algorithm>
#include <limits>

#include "encoding/decimal_prefix.h"

namespace {

constexpr std::string_view headerTerminator = "\r\n\r\n";
constexpr std::string_view contentLengthKey = "Content-Length: ";

bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The text after the first occurrence of key up to the next "\r\n" or the end.
std::optional<std::string_view> lineValueAfter(std::string_view block, std::string_view key) {
    std::size_t at = block.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = block.substr(at + key.size());
    return rest.substr(0, rest.find("\r\n"));
}

// Position of the first "\r\n\r\n", if any.
std::optional<std::size_t> findHeaderEnd(std::string_view text) {
    std::size_t at = text.find(headerTerminator);
    if (at == std::string_view::npos) return std::nullopt;
    return at;
}

}  // namespace

RequestLine cutRequestLine(std::string_view text) {
    std::size_t first = text.find(' ');
    // Only the method is copied: the whole text would be a second copy of the request.
    RequestLine line{std::string(text.substr(0, first)), "/"};
    if (first == std::string_view::npos) return line;
    std::size_t second = text.find(' ', first + 1);
    if (second != std::string_view::npos) line.path.assign(text.substr(first + 1, second - first - 1));
    return line;
}

std::int64_t parseContentLength(std::string_view headerBlock) {
    std::optional<std::string_view> value = lineValueAfter(headerBlock, contentLengthKey);
    if (!value) return 0;
    DecimalPrefix number = readDecimalPrefix(*value);
    constexpr std::uint64_t limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = static_cast<std::int64_t>(std::min(number.magnitude, limit));
    return number.negative ? -magnitude : magnitude;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimmedOfSpacesAndTabs(std::string_view text) {
    while (!text.empty() && isSpaceOrTab(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpaceOrTab(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> headerValues(std::string_view headerBlock, std::string_view name) {
    std::vector<std::string_view> values;
    for (std::size_t start = headerBlock.find("\r\n"); start != std::string_view::npos;) {
        start += 2;
        std::size_t end = headerBlock.find("\r\n", start);
        std::string_view line = headerBlock.substr(start, end == std::string_view::npos ? end : end - start);
        if (line.size() > name.size() && line[name.size()] == ':' && equalsIgnoringCase(line.substr(0, name.size()), name)) {
            values.push_back(trimmedOfSpacesAndTabs(line.substr(name.size() + 1)));
        }
        start = end;
    }
    return values;
}

std::string getHeaderValue(std::string_view headerBlock, std::string_view name) {
    std::string key(name);
    key += ": ";
    std::optional<std::string_view> value = lineValueAfter(headerBlock, key);
    return value ? std::string(trimmedOfSpacesAndTabs(*value)) : std::string();
}

namespace {

// The state once the header end is known: too large, or the total to wait for.
RequestState stateAfterHeader(std::string_view text, std::size_t headerEnd, std::size_t& expectedTotal) {
    if (headerEnd + headerTerminator.size() > maxHeaderBytes) return RequestState::tooLarge;
    std::int64_t declared = parseContentLength(text.substr(0, headerEnd));
    if (declared > maxContentLength) return RequestState::tooLarge;
    std::size_t length = declared > 0 ? static_cast<std::size_t>(declared) : 0;
    expectedTotal = headerEnd + headerTerminator.size() + length;
    return text.size() >= expectedTotal ? RequestState::complete : RequestState::needMore;
}

}  // namespace

RequestParts cutRequest(std::string_view text) {
    std::optional<std::size_t> headerEnd = findHeaderEnd(text);
    if (!headerEnd) return {{}, {}, text.size() >= maxHeaderBytes ? RequestState::tooLarge : RequestState::needMore};
    std::size_t expectedTotal = 0;
    return {text.substr(0, *headerEnd), text.substr(*headerEnd + headerTerminator.size()),
            stateAfterHeader(text, *headerEnd, expectedTotal)};
}

void RequestAssembler::append(const char* bytes, std::size_t count) {
    std::size_t previousSize = text_.size();
    text_.append(bytes, count);
    if (headerEnd_) {
        if (text_.size() >= expectedTotal_) state_ = RequestState::complete;
        return;
    }
    // Only the new bytes, with the three before them, can complete the terminator.
    std::size_t at = text_.find(headerTerminator, previousSize > 3 ? previousSize - 3 : 0);
    if (at == std::string::npos) {
        if (text_.size() >= maxHeaderBytes) state_ = RequestState::tooLarge;
        return;
    }
    headerEnd_ = at;
    state_ = stateAfterHeader(text_, at, expectedTotal_);
    // Room for the declared body and one read past it, once: doubling would
    // hold up to twice the bytes a request may bring.
    if (state_ == RequestState::needMore) text_.reserve(expectedTotal_ + readChunkSize);
}
