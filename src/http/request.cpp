#include "http/request.h"

#include <algorithm>
#include <limits>

#include "encoding/decimal_prefix.h"

namespace {

constexpr std::string_view headerTerminator = "\r\n\r\n";
constexpr std::string_view lineEnd = "\r\n";
constexpr std::string_view contentLengthKey = "Content-Length: ";

bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trimmedOfSpacesAndTabs(std::string_view text) {
    while (!text.empty() && isSpaceOrTab(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpaceOrTab(text.back())) text.remove_suffix(1);
    return text;
}

// The text after the first occurrence of key up to the next "\r\n" or the end.
std::optional<std::string_view> lineValueAfter(std::string_view block, std::string_view key) {
    std::size_t at = block.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = block.substr(at + key.size());
    return rest.substr(0, rest.find(lineEnd));
}

// The state once the header end is known: too large, or the total to wait for.
RequestState stateAfterHeader(std::string_view text, std::size_t headerEnd, std::size_t& expectedTotal) {
    if (headerEnd + headerTerminator.size() > maxHeaderBytes) return RequestState::tooLarge;
    std::int64_t declared = exactContentLength(text.substr(0, headerEnd));
    if (declared > maxContentLength) return RequestState::tooLarge;
    std::size_t length = declared > 0 ? static_cast<std::size_t>(declared) : 0;
    expectedTotal = headerEnd + headerTerminator.size() + length;
    return text.size() >= expectedTotal ? RequestState::complete : RequestState::needMore;
}

// Every line after the request line that has a colon.
std::vector<Header> headersOf(std::string_view headerBlock) {
    std::vector<Header> headers;
    headers.reserve(8);  // most requests carry fewer
    std::size_t start = headerBlock.find(lineEnd);
    while (start != std::string_view::npos) {
        start += lineEnd.size();
        const std::size_t end = headerBlock.find(lineEnd, start);
        const std::string_view line = headerBlock.substr(start, end == std::string_view::npos ? end : end - start);
        if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
            headers.push_back({line.substr(0, colon), trimmedOfSpacesAndTabs(line.substr(colon + 1))});
        }
        start = end;
    }
    return headers;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::int64_t exactContentLength(std::string_view headerBlock) {
    std::optional<std::string_view> value = lineValueAfter(headerBlock, contentLengthKey);
    if (!value) return 0;
    DecimalPrefix number = readDecimalPrefix(*value);
    constexpr std::uint64_t limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = static_cast<std::int64_t>(std::min(number.magnitude, limit));
    return number.negative ? -magnitude : magnitude;
}

std::string getHeaderValue(std::string_view headerBlock, std::string_view name) {
    std::string key(name);
    key += ": ";
    std::optional<std::string_view> value = lineValueAfter(headerBlock, key);
    return value ? std::string(trimmedOfSpacesAndTabs(*value)) : std::string();
}

std::vector<std::string_view> Request::values(std::string_view name) const {
    std::vector<std::string_view> found;
    for (const Header& header : headers) {
        if (equalsIgnoringCase(header.name, name)) found.push_back(header.value);
    }
    return found;
}

Request parseRequest(std::string_view text) {
    Request request;
    const std::size_t first = text.find(' ');
    request.method = text.substr(0, first);
    if (first != std::string_view::npos) {
        const std::size_t second = text.find(' ', first + 1);
        if (second != std::string_view::npos) request.path = text.substr(first + 1, second - first - 1);
    }
    const std::size_t headerEnd = text.find(headerTerminator);
    if (headerEnd == std::string_view::npos) {
        request.state = text.size() >= maxHeaderBytes ? RequestState::tooLarge : RequestState::needMore;
        return request;
    }
    std::size_t expectedTotal = 0;
    request.state = stateAfterHeader(text, headerEnd, expectedTotal);
    request.headerBlock = text.substr(0, headerEnd);
    request.headers = headersOf(request.headerBlock);
    request.body = text.substr(headerEnd + headerTerminator.size());
    return request;
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
