#include <gtest/gtest.h>

#include "static/static_files.h"

namespace {

TEST(StaticFiles, MapsRequestPathsInsideTheTreeOnly) {
    const std::pair<std::string, std::optional<std::string>> paths[] = {
        {"/biometric/scan.html", "biometric/biometric/scan.html"},  // the prefix is added again
        {"/my%20page.html?v=2", "biometric/my%20page.html?v=2"},
        {"/../other.html", "biometric/../other.html"},  // still inside frontend/
        {"/./a/../b", "biometric/./a/../b"},
        {"", std::nullopt},
        {"/../../x", std::nullopt},
        {"/..\\..\\x", std::nullopt},
        {"/a/../../../x", std::nullopt},
        {"/.. /x", std::nullopt},  // Windows strips trailing dots and spaces
        {"/.../x", std::nullopt},
        {"/C:/x", std::nullopt},
        {"/scan.html::$DATA", std::nullopt},
        {std::string("/a\0b", 4), std::nullopt},
    };
    for (const auto& [path, relative] : paths) EXPECT_EQ(frontendRelativePath(path), relative) << path;
}

TEST(StaticFiles, ChoosesTheContentTypeByTheFirstMarkerFound) {
    const std::pair<std::string, std::string> types[] = {
        {"biometric/scan.html", "text/html"},         {"biometric/css/app.css", "text/css"},
        {"biometric/data.json", "application/javascript"}, {"biometric/style.css.map", "text/css"},
        {"biometric/x.gif.js", "application/javascript"},  {"biometric/a.gif", "image/gif"},
        {"biometric/LOGO.GIF", "text/html"},          {"biometric/logo.png", "text/html"},
    };
    for (const auto& [path, type] : types) EXPECT_EQ(contentTypeFor(path), type) << path;
}

}  // namespace
