#include "encoding/form_templates.h"

#include "encoding/url_decode.h"

namespace {

constexpr std::string_view templateKeyPrefix = "template";

}  // namespace

std::vector<std::string> extractTemplateValues(std::string_view body) {
    std::vector<std::string> values;
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos) end = body.size();
        std::string_view field = body.substr(start, end - start);
        std::size_t equals = field.find('=');
        if (equals != std::string_view::npos && field.substr(0, equals).starts_with(templateKeyPrefix)) {
            values.push_back(urlDecode(field.substr(equals + 1)));
        }
        start = end + 1;
    }
    return values;
}
