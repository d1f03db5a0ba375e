#include "static/static_files.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::string_view defaultPage = "biometric/scan.html";
constexpr std::string_view pagePrefix = "biometric/";

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// A segment of dots and spaces other than "." and ".." may still be read as a
// parent reference by Windows, which strips trailing dots and spaces from names.
bool isAmbiguousDotSegment(std::string_view segment) {
    if (segment == "." || segment == ".." || segment.find('.') == std::string_view::npos) return false;
    return segment.find_first_not_of(". ") == std::string_view::npos;
}

// Windows opens these base names as devices in every folder, whatever follows
// the first "." or ":", and a read of one (a console) may wait for ever.
bool isDeviceName(std::string_view segment) {
    std::string base(segment.substr(0, segment.find_first_of(".:")));
    base.erase(base.find_last_not_of(". ") + 1);
    for (char& c : base) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    static constexpr std::string_view names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    if (std::ranges::find(names, base) != std::end(names)) return true;
    if (!base.starts_with("COM") && !base.starts_with("LPT")) return false;
    // COM and LPT take a digit or a superscript 1, 2 or 3, in UTF-8 or as one Latin-1 byte.
    std::string_view number = std::string_view(base).substr(3);
    if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return true;
    if (number.starts_with("\xC2")) number.remove_prefix(1);
    return number == "\xB9" || number == "\xB2" || number == "\xB3";
}

}  // namespace

bool staysInsideTree(std::string_view relativePath) {
    if (relativePath.find('\0') != std::string_view::npos) return false;
    if (relativePath.find(':') != std::string_view::npos) return false;
    long depth = 0;
    std::size_t start = 0;
    while (start <= relativePath.size()) {
        std::size_t end = start;
        while (end < relativePath.size() && !isSeparator(relativePath[end])) ++end;
        std::string_view segment = relativePath.substr(start, end - start);
        if (segment == "..") {
            if (--depth < 0) return false;
        } else if (isAmbiguousDotSegment(segment) || isDeviceName(segment)) {
            return false;
        } else if (!segment.empty() && segment != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

std::optional<std::string> frontendRelativePath(std::string_view requestPath) {
    if (requestPath.empty()) return std::nullopt;
    std::string relative = requestPath == "/" ? std::string(defaultPage)
                                              : std::string(pagePrefix).append(requestPath.substr(1));
    if (!staysInsideTree(relative)) return std::nullopt;
    return relative;
}

std::string_view contentTypeFor(std::string_view relativePath) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> types{{
        {".css", "text/css"},
        {".js", "application/javascript"},
        {".gif", "image/gif"},
    }};
    for (const auto& [marker, type] : types) {
        if (relativePath.find(marker) != std::string_view::npos) return type;
    }
    return "text/html";
}

std::string FrontendFiles::read(const std::string& relativePath) {
    std::optional<FileInside> file = FileInside::open(root_, relativePath);
    return file ? cache_.bytesOf(*file) : std::string();
}

Reply handleStaticFile(FrontendFiles& files, std::string_view path) {
    std::optional<std::string> relative = frontendRelativePath(path);
    if (!relative) return notFoundReply();
    std::string bytes = files.read(*relative);
    if (bytes.empty()) return notFoundReply();
    return {status::ok, contentTypeFor(*relative), std::move(bytes)};
}
