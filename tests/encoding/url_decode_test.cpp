#include <gtest/gtest.h>

#include "encoding/form_templates.h"
#include "encoding/url_decode.h"

namespace {

struct Case {
    std::string text;
    std::string decoded;
};

TEST(UrlDecode, DecodesEscapesLikeScanfHex) {
    const Case cases[] = {
        {"abc%41def", "abcAdef"},
        {"%2B%2F%3D", "+/="},
        {"a+b", "a+b"},
        {"%41%42", "AB"},
        {"ab%4", "ab\x04"},
        {"%4G", "\x04"},  // the G is consumed with the escape
        {"%e9", "\xE9"},
        {"%E9", "\xE9"},
        {"%-1", "\xFF"},
        {"% f", "\x0F"},  // white space before the digits is skipped
        {"%+a", "\x0A"},
        {"no escapes here", "no escapes here"},
        {"", ""},
        {"%zzq", std::string(1, '\0') + "q"},  // no number: one zero byte
        {"x%", std::string("x") + '\0'},
    };
    for (const Case& c : cases) EXPECT_EQ(urlDecode(c.text), c.decoded) << c.text;
}

struct FormCase {
    std::string body;
    std::vector<std::string> values;
};

TEST(FormTemplates, TakesTemplateFieldsInOrder) {
    const FormCase cases[] = {
        {"template1=QUJD&template2=REVG", {"QUJD", "REVG"}},
        {"template=a&template_2=b&templates=c", {"a", "b", "c"}},
        {"Template1=a&tmpl1=b&templat=c", {}},
        {"", {}},
        {"no equals sign", {}},
        {"&template1=a&&template2=b&", {"a", "b"}},
        {"template1=&template2", {""}},  // empty value kept; no "=" skipped
        {"template1=YWI=", {"YWI="}},    // split at the first "=" only
        {"template1=a%2Bb+c%3D%3D", {"a+b+c=="}},
        {"{\"template\": \"YWJj\"}", {}},
        {"x=1&template9=z&y=2", {"z"}},
    };
    for (const FormCase& c : cases) EXPECT_EQ(extractTemplateValues(c.body), c.values) << c.body;
}

}  // namespace
