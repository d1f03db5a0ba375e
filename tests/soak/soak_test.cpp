// A bounded soak of the real binary: valid requests mixed with clients that
// vanish, dawdle, oversize or send garbage, from many threads. Every valid
// request must get its exact reply, the server must stay up, and once the load
// ends its threads and resident memory must return to their idle levels.
// FINGERBRIDGE_SOAK_SECONDS sets the length of the load (default 100).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "demo/demo_templates.h"
#include "e2e/server_process.h"
#include "soak/process_stats.h"
#include "support/loopback.h"

namespace {

using namespace std::chrono_literals;
constexpr int port = 8080;

int soakSeconds() {
    const char* configured = std::getenv("FINGERBRIDGE_SOAK_SECONDS");
    return configured != nullptr ? std::atoi(configured) : 100;
}

std::string readFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Threads down to the idle level and the resident size of that moment.
ProcessStats settle(const ServerProcess& server, long idleThreads) {
    ProcessStats stats = readProcessStats(server.pid());
    for (int i = 0; i < 200 && stats.threads > idleThreads; ++i) {
        std::this_thread::sleep_for(100ms);
        stats = readProcessStats(server.pid());
    }
    return stats;
}

struct Tally {
    std::atomic<long> valid{0};
    std::atomic<long> wrong{0};
    std::atomic<long> hostile{0};
};

class Soak {
public:
    Soak(std::string token, std::string startPage) : token_(std::move(token)), startPage_(std::move(startPage)) {}

    void runClient(unsigned seed, std::chrono::steady_clock::time_point until, Tally& tally) {
        std::mt19937 random(seed);
        while (std::chrono::steady_clock::now() < until) {
            int pick = static_cast<int>(random() % 12);
            try {
                if (pick < 6) {
                    checkValid(pick, random, tally);
                } else {
                    hostile(pick, random);
                    ++tally.hostile;
                }
            } catch (const std::exception& error) {
                // Only valid requests may fail a test; a hostile client's own trouble does not.
                if (pick < 6) {
                    ++tally.wrong;
                    ADD_FAILURE() << "valid request " << pick << " failed: " << error.what();
                }
            }
        }
    }

private:
    std::string tokenHeader() const { return "X-CSRF-Token: " + token_ + "\r\n"; }

    void checkValid(int pick, std::mt19937& random, Tally& tally) {
        std::string expected;
        std::string reply;
        int finger = static_cast<int>(random() % 4) + 1;
        switch (pick) {
            case 0: {
                ParsedReply config = parseReply(sendRequest(port, "GET /api/config HTTP/1.1\r\nHost: localhost:8080\r\n\r\n"));
                bool ok = config.statusLine == "HTTP/1.1 200 OK" && config.body.rfind("{\"csrfToken\": \"", 0) == 0 &&
                          config.body.size() >= 15 + 32 + 2 && config.body.size() <= 15 + 64 + 2;
                record(ok, tally, "config: " + config.body);
                return;
            }
            case 1:
                reply = sendRequest(port, "GET /api/demoscan/single?finger=" + std::to_string(finger) + " HTTP/1.1\r\n" +
                                              tokenHeader() + "\r\n");
                expected = "{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" +
                           DemoTemplates[finger - 1] + "\"}";
                break;
            case 2: {
                std::string body = "x=1&template" + std::to_string(finger) + "=" + DemoTemplates[finger - 1];
                reply = sendRequest(port, "POST /demoverify_with_template HTTP/1.1\r\n" + tokenHeader() +
                                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
                expected = "{\"success\": true, \"verified\": true}";
                break;
            }
            case 3:
                reply = slowRequest("GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n\r\n");
                expected = startPage_;
                break;
            case 4: {
                ParsedReply scan = parseReply(sendRequest(port, "GET /api/scan/single HTTP/1.1\r\n" + tokenHeader() + "\r\n"));
                record(scan.body.rfind("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,Qk", 0) == 0,
                       tally, "scan: " + scan.body.substr(0, 120));
                return;
            }
            default:
                reply = sendRequest(port, "GET /api/demoscan/single?finger=9 HTTP/1.1\r\n" + tokenHeader() + "\r\n");
                expected = "{\"success\": false, \"message\": \"Invalid finger index.\"}";
                break;
        }
        ParsedReply parsed = parseReply(reply);
        record(parsed.statusLine == "HTTP/1.1 200 OK" && parsed.body == expected, tally,
               "pick " + std::to_string(pick) + ": " + parsed.statusLine + " " + parsed.body.substr(0, 120));
    }

    static void record(bool ok, Tally& tally, const std::string& what) {
        ++tally.valid;
        if (!ok) {
            ++tally.wrong;
            ADD_FAILURE() << "wrong reply to a valid request: " << what;
        }
    }

    // A client that sends its request a few bytes at a time.
    static std::string slowRequest(const std::string& request) {
        Socket client = connectToLoopback(port);
        for (std::size_t at = 0; at < request.size(); at += 7) {
            std::string piece = request.substr(at, 7);
            sendAll(client, piece.data(), piece.size());
            std::this_thread::sleep_for(1ms);
        }
        std::string reply = readUntilClosed(client);
        closeSocket(client);
        return reply;
    }

    void hostile(int pick, std::mt19937& random) {
        Socket client = connectToLoopback(port);
        std::string request;
        switch (pick) {
            case 6:  // vanishes mid-request
                request = "POST /verify_with_template HTTP/1.1\r\nContent-Length: 500\r\n" + tokenHeader();
                sendAll(client, request.data(), request.size() / 2);
                break;
            case 7: {  // vanishes mid-reply, leaving unread bytes (a reset)
                request = "GET /api/scan/single HTTP/1.1\r\n" + tokenHeader() + "\r\n";
                sendAll(client, request.data(), request.size());
                char some[16];
                receiveSome(client, some, sizeof some);
                break;
            }
            case 8:  // oversized body declared
                request = "POST /demoverify_with_template HTTP/1.1\r\nContent-Length: 5000000\r\n\r\n";
                sendAll(client, request.data(), request.size());
                sendAll(client, std::string(100000, 'x').data(), 100000);
                shutdownSend(client);
                readUntilClosed(client);
                break;
            case 9:  // headers without end
                request = "GET / HTTP/1.1\r\nCookie: " + std::string(70000, 'c');
                sendAll(client, request.data(), request.size());
                readUntilClosed(client);
                break;
            case 10: {  // garbage
                request.resize(random() % 3000);
                for (char& c : request) c = static_cast<char>(random());
                if (random() % 2) request += "\r\n\r\n";
                sendAll(client, request.data(), request.size());
                shutdownSend(client);
                readUntilClosed(client);
                break;
            }
            default:  // silent for a while, then gone
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
                break;
        }
        closeSocket(client);
    }

    std::string token_;
    std::string startPage_;
};

TEST(Soak, StaysCorrectAndReturnsToIdle) {
    ServerLaunch launch = serverLaunch();
    launch.discardConsole = true;
    ServerProcess server(launch, {});
    server.waitUntilListening();
    const std::string token = fetchToken(port);
    const std::string startPage = readFile(std::string(FRONTEND_DIR) + "/biometric/scan.html");
    ASSERT_FALSE(startPage.empty());

    // Warm up every path once, then take the idle levels.
    Soak warmup(token, startPage);
    Tally warmupTally;
    warmup.runClient(1, std::chrono::steady_clock::now() + 2s, warmupTally);
    const long idleThreads = 1;
    ProcessStats idle = settle(server, idleThreads);
    ASSERT_EQ(idle.threads, idleThreads);

    Tally tally;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(soakSeconds());
    std::vector<std::thread> clients;
    Soak soak(token, startPage);
    for (unsigned i = 0; i < 24; ++i) {
        clients.emplace_back([&, i] { soak.runClient(1000 + i, until, tally); });
    }
    for (std::thread& client : clients) client.join();

    EXPECT_TRUE(server.running());
    EXPECT_EQ(tally.wrong.load(), 0);
    // The load really ran: both kinds of client kept the server busy throughout.
    EXPECT_GT(tally.valid.load(), 20L * soakSeconds());
    EXPECT_GT(tally.hostile.load(), 20L * soakSeconds());
    ProcessStats after = settle(server, idleThreads);
    EXPECT_EQ(after.threads, idleThreads);
    // Resident memory back near idle: the load may leave allocator slack, not growth.
    EXPECT_LT(after.residentKiB, idle.residentKiB + 32 * 1024) << "idle " << idle.residentKiB << " KiB";
    std::printf("soak: %ld valid and %ld hostile requests; resident %ld KiB idle, %ld KiB after\n",
                tally.valid.load(), tally.hostile.load(), idle.residentKiB, after.residentKiB);
}

}  // namespace
