#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/file_read.h"
#include "static/static_files.h"

namespace {

TEST(StaticFiles, MapsRequestPathsInsideTheTreeOnly) {
    const std::pair<std::string, std::optional<std::string>> paths[] = {
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
        {"/CON", {}}, {"/con.html", {}}, {"/js/CON.js", {}}, {"/aux.js", {}}, {"/com1.txt", {}}, {"/CONIN$", {}},
        {"/ConOut$", {}}, {"/clock$.", {}}, {"/a\\nul .", {}}, {"/prn", {}}, {"/lpt\xB9", {}}, {"/com\xC2\xB3.js", {}},
    };
    for (const auto& [path, relative] : paths) EXPECT_EQ(frontendRelativePath(path), relative) << path;
}

TEST(StaticFiles, ServesOnlyRegularFilesThatResolveInsideTheFrontendAsTheyAreNow) {
    const std::string top = mkdtemp(std::string("/tmp/fingerbridge-static-XXXXXX").data());
    ASSERT_EQ(std::system(("cd " + top + " && mkdir -p frontend/biometric && cd frontend/biometric && for f in a"
                           " console com10 ../b ../../out; do echo >$f; done && : >empty && ln -s a in"
                           " && ln -s ../../out out && mkfifo fifo").c_str()), 0);
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(top + "/frontend");  // whose ../frontend/ is itself
    FrontendFiles files;
    for (auto path : {"/a", "/in", "/../b", "/console", "/com10"}) EXPECT_EQ(handleStaticFile(files, path).body, "\n") << path;
    for (auto path : {"/out", "/fifo", "/.", "/empty"}) EXPECT_EQ(handleStaticFile(files, path).body, "404 Not Found") << path;
    Folder folder("../frontend/");
    EXPECT_FALSE(FileInside::open(folder, "../out"));  // the file layer refuses a name climbing out too
    // Each step changes one of: the time by a nanosecond, the size, the file (renamed over it).
    const auto time = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    const std::chrono::nanoseconds tick(1);
    const std::tuple<std::string, std::chrono::nanoseconds, bool> steps[] = {
        {"one", {}, false}, {"two", tick, false}, {"three", tick, false}, {"four!", tick, true}};
    for (const auto& [text, shift, renamed] : steps) {
        std::ofstream(renamed ? "b" : "biometric/a") << text;  // in place, the file stays the same
        if (renamed) std::filesystem::rename("b", "biometric/a");
        std::filesystem::last_write_time("biometric/a", time + shift);
        EXPECT_EQ(handleStaticFile(files, "/a").body, text);
    }
    std::filesystem::current_path(before);
    std::filesystem::remove_all(top);
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
