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

enum class RequestState { needMore, complete, tooLarge };

// One header line after the request line: the name up to the first ':', the
// value after it trimmed of spaces and tabs.
struct Header {
    std::string_view name;
    std::string_view value;
};

// A request text cut once, every piece a view into it.
struct Request {
    // Whole once the header block and the declared body are in; too large once
    // the header block passes maxHeaderBytes or the declared length passes
    // maxContentLength (a negative length counts as none).
    RequestState state = RequestState::needMore;
    // From the whole text, not only its first line: the bytes before the first
    // space (all of them when there is none), and those between the first and
    // the second space ("/" when either is missing).
    std::string_view method;
    std::string_view path = "/";
    // Before the first "\r\n\r\n" and after it; both empty when there is none.
    std::string_view headerBlock;
    std::vector<Header> headers;
    std::string_view body;

    // The values of every header named `name` in any ASCII case, in order.
    std::vector<std::string_view> values(std::string_view name) const;
};

// Cuts a request text with one search for the end of its header block.
Request parseRequest(std::string_view text);

// The value after the first "<name>: " in the block, up to the line end,
// trimmed of spaces and tabs; empty when absent. Exact bytes anywhere, even
// inside a longer name: pages and clients rely on it, and the reply table pins it.
std::string getHeaderValue(std::string_view headerBlock, std::string_view name);

// The value after the first "Content-Length: " (exact bytes anywhere, as above:
// clients rely on it) read like strtol in base 10: leading white space, an
// optional sign, digits up to the first non-digit. No digits gives 0; values
// beyond the 64-bit range saturate.
std::int64_t exactContentLength(std::string_view headerBlock);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Collects a request's bytes as they arrive and says when it is whole: the
// verdict parseRequest gives, with only the new bytes searched each time.
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
