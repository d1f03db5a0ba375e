#include <gtest/gtest.h>

#include "demo/demo_endpoints.h"
#include "demo/demo_templates.h"
#include "demo/finger_number.h"

namespace {

const std::string missing = "{\"success\": false, \"message\": \"Missing finger parameter.\"}";
const std::string invalid = "{\"success\": false, \"message\": \"Invalid finger parameter.\"}";
const std::string badIndex = "{\"success\": false, \"message\": \"Invalid finger index.\"}";

std::string success(int finger) {
    return "{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" + DemoTemplates[finger - 1] + "\"}";
}

TEST(DemoTemplates, AreTheFourFixedTexts) {
    const std::size_t lengths[] = {100, 102, 104, 102};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(DemoTemplates[i].size(), lengths[i]);
        EXPECT_EQ(DemoTemplates[i].substr(0, 10), "Template" + std::to_string(i + 1) + "_");
        EXPECT_EQ(DemoTemplates[i].substr(DemoTemplates[i].size() - 2), "==");
    }
    EXPECT_EQ(DemoTemplates[0], "Template1_AA--" + std::string(84, 'A') + "==");
    EXPECT_EQ(DemoTemplates[2].find_first_not_of('C', 10), 102u);
    EXPECT_EQ(success(2).size(), 160u);
}

TEST(DemoScan, PicksTheTemplateNamedByFinger) {
    struct Case {
        std::string path, body;
    };
    const Case cases[] = {
        {"/api/demoscan/single?finger=1", success(1)},
        {"/api/demoscan/single?finger=4", success(4)},
        {"/api/demoscan/single", missing},
        {"/api/demoscan/single?x=1&finger=2", missing},
        {"/api/demoscan/single?Finger=2", missing},
        {"/api/demoscan/single?finger=", invalid},
        {"/api/demoscan/single?finger=abc", invalid},
        {"/api/demoscan/single?finger=%32", invalid},
        {"/api/demoscan/single?finger=-", invalid},
        {"/api/demoscan/single?finger=0", badIndex},
        {"/api/demoscan/single?finger=5", badIndex},
        {"/api/demoscan/single?finger=-1", badIndex},
        {"/api/demoscan/single?finger=0x2", badIndex},
        {"/api/demoscan/single?finger=2147483648", badIndex},
        {"/api/demoscan/single?finger=-99999999999999999999", badIndex},
        {"/api/demoscan/single?finger=2&x=1", success(2)},
        {"/api/demoscan/single?finger=2abc", success(2)},
        {"/api/demoscan/single?finger=2.9", success(2)},
        {"/api/demoscan/single?finger=+3", success(3)},
        {"/api/demoscan/single?finger= \t4", success(4)},
        {"/api/demoscan/single?finger=0000000000003", success(3)},
        {"/api/demoscan/single?finger=1?finger=3", success(1)},
        {"/api/demoscan/singleXYZ?finger=2", success(2)},
    };
    for (const Case& c : cases) EXPECT_EQ(demoScanBody(c.path), c.body) << c.path;
}

TEST(FingerNumber, ReadsLikeStoi) {
    struct Case {
        std::string text;
        FingerReading reading;
        std::int32_t value;
    };
    const Case cases[] = {
        {"2147483647", FingerReading::number, 2147483647},
        {"-2147483648", FingerReading::number, INT32_MIN},
        {"2147483648", FingerReading::outOfRange, 0},
        {"-2147483649", FingerReading::outOfRange, 0},
        {"\n\v\f\r 7x", FingerReading::number, 7},
        {"+-1", FingerReading::noDigits, 0},
        {"", FingerReading::noDigits, 0},
    };
    for (const Case& c : cases) {
        FingerNumber read = readFingerNumber(c.text);
        EXPECT_EQ(read.reading, c.reading) << c.text;
        EXPECT_EQ(read.value, c.value) << c.text;
    }
}

TEST(DemoVerify, MatchesBuiltInTemplatesByteForByte) {
    const std::string entry1 = DemoTemplates[0];
    const std::string entry3 = DemoTemplates[2];
    struct Case {
        std::string body;
        bool verified;
    };
    const Case cases[] = {
        {"template1=" + entry1, true},
        {"template1=" + entry1.substr(0, entry1.size() - 2) + "%3D%3D", true},
        {"template3=" + entry3.substr(0, entry3.size() - 1), false},
        {"template1=nothing&template2=" + DemoTemplates[1], true},
        {"Template1=" + entry1, false},
        {"tmpl1=" + entry1, false},
        {"template=" + entry1, true},
        {"templat=" + entry1, false},
        {"", false},
        {"no equals at all", false},
        {"template1=" + entry1 + "&", true},
        {"&&template4=" + DemoTemplates[3] + "&&", true},
        {"template1=Template1_AA--" + std::string(84, 'A') + "=+", false},
        {"{\"template1\": \"" + entry1 + "\"}", false},
        {"template1=" + entry1 + " ", false},
        {"template1=template1_aa--" + std::string(84, 'a') + "==", false},
    };
    for (const Case& c : cases) EXPECT_EQ(demoTemplatesMatch(c.body), c.verified) << c.body;
}

}  // namespace
