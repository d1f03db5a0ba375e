#include <gtest/gtest.h>

#include <stdexcept>

#include "encoding/base64.h"
#include "encoding/form_templates.h"
#include "encoding/url_decode.h"

namespace {

std::string encode(const std::string& bytes) {
    return encodeBase64(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(Base64, EncodesStandardAndDecodesLeniently) {
    // The fuzz target checks that every encoding decodes back.
    const std::pair<std::string, std::string> pairs[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {std::string("\0\xff\xfe", 3), "AP/+"}};
    for (const auto& [bytes, text] : pairs) {
        EXPECT_EQ(encode(bytes), text);
        EXPECT_EQ(decodeBase64(text), bytes);
    }
    const std::pair<std::string, std::string> lenient[] = {
        {"-_8.", "\xfb\xff"},        // URL-safe alphabet and "." as a pad
        {"Zg", "f"}, {"Zm8", "fo"},  // unpadded final groups
        {"Zg==Zm8=", "ffo"},         // a pad ends only its own group
        {"Zh==", "f"},               // leftover bits are dropped
    };
    for (const auto& [text, bytes] : lenient) EXPECT_EQ(decodeBase64(text), bytes) << text;
    for (const char* bad : {"Z", "Zm9vY", "=Zg=", "Z=g=", "Zm 9", "Zm9v\n", "Zm\x80v"}) {
        try {
            decodeBase64(bad);
            ADD_FAILURE() << bad << " decoded";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Input is not valid base64-encoded data.") << bad;
        }
    }
}

TEST(FormValues, PercentDecodeTemplateFieldsOnly) {
    const std::pair<std::string, std::string> decoded[] = {
        {"a%2Bb+c", "a+b+c"}, {"%3d%3D", "=="}, {"%41%4", "A\x04"}, {"%zz", std::string(1, '\0')}, {"%", std::string(1, '\0')},
    };
    for (const auto& [text, bytes] : decoded) EXPECT_EQ(urlDecode(text), bytes) << text;
    EXPECT_EQ(extractTemplateValues("&template1=a%3D&x=1&Template2=b&templat=c&template=&templates=d=e&template9&"),
              (std::vector<std::string>{"a=", "", "d=e"}));
}

}  // namespace
