#pragma once
// Pure request parsing: bytes in, pieces out. Nothing here touches a socket.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t readChunkSize = 8192;
// Limits that keep one connection's memory bounded.
inline constexpr std::size_t maxHeaderBytes = 64 * 1024;
inline constexpr std::int64_t maxContentLength = 1024 * 1024;

// The request line's first two space-separated fields, cut from the whole text.
struct RequestLine {
    std::string method;
    std::string path;
};

// Method: the text before the first space (all of it when there is none).
// Path: the text between the first and second space, "/" when either is missing.
RequestLine cutRequestLine(std::string_view text);


// The declared "Content-Length: " value read like strtol in base 10: leading
// white space, optional sign, digits up to the first non-digit. No digits gives
// 0; values beyond the 64-bit range saturate.
std::int64_t parseContentLength(std::string_view headerBlock);

// The value after the first "<name>: " in the block, up to the line end,
// trimmed of spaces and tabs; empty when absent.
std::string getHeaderValue(std::string_view headerBlock, std::string_view name);

// The values of every header line named `name` (matched ignoring ASCII case at
// the start of a line after the request line), trimmed of spaces and tabs, in order.
std::vector<std::string_view> headerValues(std::string_view headerBlock, std::string_view name);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

std::string_view trimmedOfSpacesAndTabs(std::string_view text);

enum class RequestState { needMore, complete, tooLarge };

// A request text cut at its first "\r\n\r\n" (one search): the header block
// before it and the body after it, both empty when there is none, and what
// the text is so far: whole once the header block and the declared body are
// in; too large once the header block passes maxHeaderBytes or the declared
// length passes maxContentLength (a negative length counts as none).
struct RequestParts {
    std::string_view headerBlock;
    std::string_view body;
    RequestState state;
};
RequestParts cutRequest(std::string_view text);

// Collects a request's bytes as they arrive and says when it is whole; the
// same verdict as cutRequest, without searching the whole text again.
class RequestAssembler {
public:
    void append(const char* bytes, std::size_t count);
    RequestState state() const { return state_; }
    bool headerComplete() const { return headerEnd_.has_value(); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::optional<std::size_t> headerEnd_;
    std::size_t expectedTotal_ = 0;
    RequestState state_ = RequestState::needMore;
};
