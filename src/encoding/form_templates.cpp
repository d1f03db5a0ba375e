#include "encoding/form_templates.h"

#include <algorithm>

#include "encoding/url_decode.h"

namespace {

constexpr std::string_view templateKeyPrefix = "template";

// Calls use(value) with each template field's raw value, in body order.
template <typename Use>
void forEachTemplateField(std::string_view body, Use&& use) {
    for (std::size_t start = 0; start < body.size();) {
        std::size_t end = std::min(body.find('&', start), body.size());
        std::string_view field = body.substr(start, end - start);
        std::size_t equals = field.find('=');
        if (equals != std::string_view::npos && field.substr(0, equals).starts_with(templateKeyPrefix)) {
            use(field.substr(equals + 1));
        }
        start = end + 1;
    }
}

}  // namespace

std::vector<std::string> extractTemplateValues(std::string_view body) {
    std::vector<std::string> values;
    forEachTemplateField(body, [&values](std::string_view value) { values.push_back(urlDecode(value)); });
    return values;
}

std::size_t countTemplateFields(std::string_view body) {
    std::size_t count = 0;
    forEachTemplateField(body, [&count](std::string_view) { ++count; });
    return count;
}
