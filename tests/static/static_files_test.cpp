// Static files from a frontend tree made for the test, found the way the
// server finds it: "../frontend/" from the working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "static/static_files.h"
#include "support/loopback.h"

namespace fs = std::filesystem;

namespace {

class StaticFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = fs::temp_directory_path() / ("fingerbridge-static-" + std::to_string(::getpid()));
        fs::create_directories(root / "frontend/biometric/css");
        fs::create_directories(root / "frontend/biometric/folder.js");
        fs::create_directories(root / "work");
        write("frontend/biometric/scan.html", "<p>scan</p>");
        write("frontend/biometric/css/app.css", "p{}");
        write("frontend/biometric/data.json", "{}");
        write("frontend/biometric/x.gif.js", "js");
        write("frontend/biometric/logo.png", "png");
        write("frontend/biometric/LOGO.GIF", "GIF");
        write("frontend/biometric/style.css.map", "map");
        write("frontend/biometric/my%20page.html", "escaped");
        write("frontend/biometric/empty.html", "");
        write("frontend/biometric/nul.gif", std::string("GIF89a\0\0\x01\0", 10));
        write("frontend/other.html", "other");
        write("secret.txt", "secret");
        write("frontend/biometric/app.js?v=2", "query");
        previous = fs::current_path();
        fs::current_path(root / "work");
    }
    static void TearDownTestSuite() {
        fs::current_path(previous);
        fs::remove_all(root);
    }
    static void write(const std::string& name, const std::string& bytes) {
        std::ofstream(root / name, std::ios::binary) << bytes;
    }

    static fs::path root;
    static fs::path previous;
};

fs::path StaticFiles::root;
fs::path StaticFiles::previous;

TEST_F(StaticFiles, ServesFilesWithTheirContentTypes) {
    TestServer server;
    struct Case {
        std::string path, type, body;
    };
    const Case cases[] = {
        {"/", "text/html", "<p>scan</p>"},
        {"/scan.html", "text/html", "<p>scan</p>"},
        {"/css/app.css", "text/css", "p{}"},
        {"/data.json", "application/javascript", "{}"},
        {"/x.gif.js", "application/javascript", "js"},
        {"/style.css.map", "text/css", "map"},
        {"/logo.png", "text/html", "png"},
        {"/LOGO.GIF", "text/html", "GIF"},
        {"/my%20page.html", "text/html", "escaped"},
        {"/../other.html", "text/html", "other"},
        {"/nul.gif", "image/gif", std::string("GIF89a\0\0\x01\0", 10)},
        {"/app.js?v=2", "application/javascript", "query"},
    };
    for (const Case& c : cases) {
        ParsedReply reply = parseReply(sendRequest(server.port(), "GET " + c.path + " HTTP/1.1\r\n\r\n"));
        EXPECT_EQ(reply.statusLine, "HTTP/1.1 200 OK") << c.path;
        EXPECT_NE(reply.headers.find("\r\nContent-Type: " + c.type + "\r\n"), std::string::npos) << c.path;
        EXPECT_NE(reply.headers.find("\r\nContent-Length: " + std::to_string(c.body.size())), std::string::npos);
        EXPECT_EQ(reply.body, c.body) << c.path;
    }
}

TEST_F(StaticFiles, AnswersNotFoundForWhatCannotOrMustNotBeRead) {
    TestServer server;
    const std::string notFound =
        "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nAccess-Control-Allow-Origin: *\r\n"
        "Content-Length: 13\r\n\r\n404 Not Found";
    for (const std::string path :
         {"/biometric/scan.html", "/missing.js", "/empty.html", "/css", "/folder.js", "/../../secret.txt",
          "/..\\..\\secret.txt", "/css/../../../secret.txt", "/C:/secret.txt", "/scan.html:stream",
          "/.../secret.txt", "/app.js?v=3"}) {
        EXPECT_EQ(sendRequest(server.port(), "GET " + path + " HTTP/1.1\r\n\r\n"), notFound) << path;
    }
}

TEST(StaticPaths, ConfineNamesToTheTree) {
    struct Case {
        std::string requestPath;
        std::optional<std::string> relative;
    };
    const Case cases[] = {
        {"/", "biometric/scan.html"},
        {"/a/b.css", "biometric/a/b.css"},
        {"x", "biometric/"},  // the first character is dropped whatever it is
        {"", std::nullopt},
        {"/../other.html", "biometric/../other.html"},
        {"/../../secret", std::nullopt},
        {"/a/../../b", "biometric/a/../../b"},
        {"/a/../../../b", std::nullopt},
        {"/..\\..\\b", std::nullopt},
        {"/./../.", "biometric/./../."},
        {"/.. /x", std::nullopt},
        {std::string("/a\0b", 4), std::nullopt},
        {"/c:x", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(frontendRelativePath(c.requestPath), c.relative) << c.requestPath;
}

}  // namespace
