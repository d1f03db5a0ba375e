// An outside judge of the simulated scanner's impressions: NIST's mindtct and
// bozorth3, as libfprint carries them, score the same fingers and touches as
// bench/sim_accuracy_bench (100 fingers x 8 impressions, same touch seeds,
// same genuine and impostor pairs), so the impressions' difficulty can be set
// against real sensors'. Built only where libfprint-2 is installed; the
// product never uses it.
//
// libfprint's virtual image device takes each frame through a local socket and
// logs every bozorth3 score it computes; the scores are read from that log.
// Frames it cannot use (too few minutiae) score 0 wherever they take part.
// Then the genuine comparisons after rejecting the captures of lowest quality
// (our measure, bozorth3 the judge), and the quality of normal and of "poor"
// touches about the page's threshold.
//
//   build/bench/sim_nbis_judge [--fingers N] [--impressions K] [--threshold Q]

#include <fprint.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "error_rates.h"
#include "fingerprint/image_quality.h"
#include "quality_curve.h"
#include "scanner/simulated_scanner.h"
#include "simulator/finger_sensor.h"

namespace {

using simulator::touchSensor;

// bozorth3 scores below this are non-matches.
constexpr double bozorthThreshold = 40;

constexpr int width = static_cast<int>(simulatedFrameWidth);
constexpr int height = static_cast<int>(simulatedFrameHeight);
using Frame = std::vector<std::uint8_t>;

// bozorth3 scores in the order libfprint logged them.
std::vector<int> loggedScores;

void noteScore(const char* message) {
    int score = 0, threshold = 0;
    if (message != nullptr && std::sscanf(message, "score %d/%d", &score, &threshold) == 2) loggedScores.push_back(score);
}

GLogWriterOutput logWriter(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer) {
    for (gsize i = 0; i < count; ++i) {
        if (std::strcmp(fields[i].key, "MESSAGE") == 0 && fields[i].length < 0) {
            noteScore(static_cast<const char*>(fields[i].value));
        }
    }
    if ((level & G_LOG_LEVEL_DEBUG) != 0 || (level & G_LOG_LEVEL_INFO) != 0) return G_LOG_WRITER_HANDLED;
    return g_log_writer_default(level, fields, count, nullptr);
}

void logHandler(const gchar*, GLogLevelFlags level, const gchar* message, gpointer) {
    noteScore(message);
    if ((level & (G_LOG_LEVEL_DEBUG | G_LOG_LEVEL_INFO)) == 0) std::fprintf(stderr, "%s\n", message);
}

// Writes frames to the device's socket from a thread of its own: the device
// reads them only while the main thread waits in libfprint.
class FrameSender {
public:
    explicit FrameSender(const std::string& path) {
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            std::perror("connect to the virtual image device");
            std::exit(1);
        }
        worker_ = std::thread([this] { run(); });
    }
    ~FrameSender() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_one();
        ::shutdown(socket_, SHUT_RDWR);  // a frame the device never took must not hold the writer
        worker_.join();
        ::close(socket_);
    }
    void send(const Frame* frame) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(frame);
        }
        ready_.notify_one();
    }

private:
    void writeAll(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        while (size > 0) {
            const ssize_t sent = ::write(socket_, bytes, size);
            if (sent <= 0) return;
            bytes += sent;
            size -= static_cast<std::size_t>(sent);
        }
    }
    void run() {
        for (;;) {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            const Frame* frame = queue_.front();
            queue_.pop_front();
            lock.unlock();
            const std::int32_t header[2] = {width, height};
            writeAll(header, sizeof header);
            writeAll(frame->data(), frame->size());
        }
    }
    int socket_ = -1;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<const Frame*> queue_;
    bool stopping_ = false;
};

// The virtual device, opened afresh now and then: libfprint refuses a device
// that has been busy for minutes (too hot), and a fresh one starts cold.
class Judge {
public:
    explicit Judge(std::string socketPath) : socketPath_(std::move(socketPath)) { reopen(); }
    ~Judge() { close(); }
    void reopen() {
        close();
        ::unlink(socketPath_.c_str());
        context_ = fp_context_new();
        GPtrArray* devices = fp_context_get_devices(context_);
        for (guint i = 0; i < devices->len; ++i) {
            auto* candidate = static_cast<FpDevice*>(g_ptr_array_index(devices, i));
            if (std::strcmp(fp_device_get_driver(candidate), "virtual_image") == 0) device = candidate;
        }
        GError* error = nullptr;
        if (device == nullptr || !fp_device_open_sync(device, nullptr, &error)) {
            std::printf("libfprint's virtual image device did not open\n");
            std::exit(1);
        }
        sender = new FrameSender(socketPath_);
    }
    FpDevice* device = nullptr;
    FrameSender* sender = nullptr;

private:
    void close() {
        delete sender;
        sender = nullptr;
        if (device != nullptr) fp_device_close_sync(device, nullptr, nullptr);
        device = nullptr;
        if (context_ != nullptr) g_object_unref(context_);
        context_ = nullptr;
    }
    std::string socketPath_;
    FpContext* context_ = nullptr;
};

struct Enrolment {
    Judge* judge;
    const Frame* frame;
    int retries;
    GCancellable* cancel;
};

void enrolProgress(FpDevice* device, gint completed, FpPrint*, gpointer data, GError* error) {
    auto* enrolment = static_cast<Enrolment*>(data);
    if (error != nullptr && ++enrolment->retries > 3) {
        g_cancellable_cancel(enrolment->cancel);
        return;
    }
    if (completed < fp_device_get_nr_enroll_stages(device)) enrolment->judge->sender->send(enrolment->frame);
}

// A template from one frame, shown at every enrolment stage; nullptr when
// the device refuses it.
FpPrint* enrol(Judge& judge, const Frame& frame) {
    Enrolment enrolment{&judge, &frame, 0, g_cancellable_new()};
    judge.sender->send(&frame);
    GError* error = nullptr;
    FpPrint* print = fp_device_enroll_sync(judge.device, fp_print_new(judge.device), enrolment.cancel, enrolProgress,
                                           &enrolment, &error);
    g_clear_error(&error);
    g_object_unref(enrolment.cancel);
    return print;
}

// The bozorth3 score of a frame against a template (-1 when the frame is
// unusable), and the frame's own single-view print for later comparisons.
int verify(Judge& judge, FpPrint* enrolled, const Frame& frame, FpPrint** scanned) {
    loggedScores.clear();
    judge.sender->send(&frame);
    GError* error = nullptr;
    gboolean match = FALSE;
    FpPrint* print = nullptr;
    fp_device_verify_sync(judge.device, enrolled, nullptr, nullptr, nullptr, &match, &print, &error);
    const bool failed = error != nullptr || loggedScores.empty();
    g_clear_error(&error);
    if (scanned != nullptr) {
        *scanned = failed ? nullptr : print;
    } else if (print != nullptr) {
        g_object_unref(print);
    }
    if (failed) {
        if (print != nullptr && scanned != nullptr) g_object_unref(print);
        return -1;
    }
    return *std::max_element(loggedScores.begin(), loggedScores.end());
}

// Scores of one frame against each template of a gallery, in order. The
// device stops at the first template that matches, so the rest go again.
std::vector<double> identify(Judge& judge, const std::vector<FpPrint*>& gallery, const Frame& frame) {
    std::vector<double> scores;
    while (scores.size() < gallery.size()) {
        GPtrArray* rest = g_ptr_array_new();
        for (std::size_t i = scores.size(); i < gallery.size(); ++i) g_ptr_array_add(rest, gallery[i]);
        loggedScores.clear();
        judge.sender->send(&frame);
        GError* error = nullptr;
        FpPrint* match = nullptr;
        fp_device_identify_sync(judge.device, rest, nullptr, nullptr, nullptr, &match, nullptr, &error);
        g_ptr_array_free(rest, TRUE);
        const bool failed = error != nullptr || loggedScores.empty();
        g_clear_error(&error);
        if (match != nullptr) g_object_unref(match);
        if (failed) break;
        for (int s : loggedScores) {
            if (scores.size() < gallery.size()) scores.push_back(s);
        }
    }
    scores.resize(gallery.size(), 0);
    return scores;
}

}  // namespace

int main(int argc, char** argv) {
    const int fingers = argument(argc, argv, "--fingers", 100);
    const int impressions = argument(argc, argv, "--impressions", 8);
    const int threshold = argument(argc, argv, "--threshold", 40);
    const std::string socketPath = "/tmp/fingerbridge-nbis-judge-" + std::to_string(getpid());
    setenv("FP_VIRTUAL_IMAGE", socketPath.c_str(), 1);
    setenv("G_MESSAGES_DEBUG", "all", 1);
    g_log_set_writer_func(logWriter, nullptr, nullptr);
    g_log_set_default_handler(logHandler, nullptr);

    Judge judge(socketPath);

    // Any template will do to turn a frame into its own print.
    const Frame first = touchSensor(1, 1000003ull, width, height);
    FpPrint* harvester = enrol(judge, first);
    if (harvester == nullptr) {
        std::printf("the first impression did not enrol\n");
        return 1;
    }
    std::vector<double> genuine, impostor;
    std::vector<GenuinePair> pairs;
    std::vector<int> quality, poorQuality, matchingFirst;
    auto judged = [](const Frame& frame) { return fingerprint::imageQuality(frame.data(), frame.size(), width, height); };
    std::vector<FpPrint*> firstPrints;  // each finger's first impression, nullptr when unusable
    std::vector<Frame> firstFrames;
    int unusable = 0;
    for (int f = 0; f < fingers; ++f) {
        judge.reopen();
        std::vector<Frame> frames;
        for (int i = 0; i < impressions; ++i) {
            frames.push_back(touchSensor(f + 1, 1000003ull * (f + 1) + i, width, height));
            quality.push_back(judged(frames.back()));
        }
        poorQuality.push_back(judged(touchSensor(f + 1, 7000003ull * (f + 1), width, height, true)));
        std::vector<FpPrint*> prints(impressions, nullptr);
        verify(judge, harvester, frames[0], &prints[0]);
        for (int j = 1; j < impressions; ++j) {
            for (int i = 0; i < j; ++i) {
                int score = -1;
                if (prints[i] != nullptr) {
                    score = verify(judge, prints[i], frames[j], prints[j] == nullptr ? &prints[j] : nullptr);
                } else if (prints[j] == nullptr) {
                    verify(judge, harvester, frames[j], &prints[j]);
                }
                genuine.push_back(std::max(score, 0));
                pairs.push_back({f * impressions + i, f * impressions + j, genuine.back()});
                if (i == 0 && genuine.back() >= bozorthThreshold) matchingFirst.push_back(quality[f * impressions + j]);
            }
        }
        for (FpPrint* p : prints) unusable += p == nullptr ? 1 : 0;
        if (f > 0) {
            std::vector<FpPrint*> gallery;
            for (FpPrint* p : firstPrints) {
                if (p != nullptr) gallery.push_back(p);
            }
            std::vector<double> scores =
                prints[0] != nullptr ? identify(judge, gallery, frames[0]) : std::vector<double>(gallery.size(), 0);
            scores.resize(firstPrints.size(), 0);  // unusable first prints score 0
            impostor.insert(impostor.end(), scores.begin(), scores.end());
        }
        firstPrints.push_back(prints[0]);
        for (int i = 1; i < impressions; ++i) {
            if (prints[i] != nullptr) g_object_unref(prints[i]);
        }
        std::fprintf(stderr, "\rfinger %d of %d", f + 1, fingers);
    }
    std::fprintf(stderr, "\n");
    if (genuine.empty() || impostor.empty()) {
        std::printf("need at least 2 fingers and 2 impressions\n");
        return 1;
    }
    const auto [eer, eerThreshold] = equalErrorRate(genuine, impostor);
    const Rates at40 = ratesAt(bozorthThreshold, genuine, impostor);
    std::printf("NBIS (mindtct + bozorth3 in libfprint %s) on %d fingers x %d impressions\n", "2", fingers, impressions);
    std::printf("unusable frames      %d of %d (fewer minutiae than libfprint takes)\n", unusable, fingers * impressions);
    std::printf("EER                  %.3f%% (at score %.0f)\n", 100 * eer, eerThreshold);
    std::printf("FMR100               %.3f%%\n", 100 * falseNonMatchAt(0.01, genuine, impostor));
    std::printf("FMR1000              %.3f%%\n", 100 * falseNonMatchAt(0.001, genuine, impostor));
    std::printf("at score 40          FMR %.3f%%, FNMR %.3f%%\n", 100 * at40.falseMatch, 100 * at40.falseNonMatch);
    std::printf("genuine scores       min %.0f, 5%% %.0f, 25%% %.0f, median %.0f, 75%% %.0f\n",
                *std::min_element(genuine.begin(), genuine.end()), percentile(genuine, 0.05), percentile(genuine, 0.25),
                percentile(genuine, 0.5), percentile(genuine, 0.75));
    std::printf("impostor scores      median %.0f, 99%% %.0f, max %.0f\n", percentile(impostor, 0.5),
                percentile(impostor, 0.99), *std::max_element(impostor.begin(), impostor.end()));
    printRejectCurve("bozorth3", quality, pairs, bozorthThreshold);
    std::printf("quality about %d:\n", threshold);
    printQualitySpread("all normal touches", quality, threshold);
    printQualitySpread("normal touches matching the first impression", matchingFirst, threshold);
    printQualitySpread("poor touches", poorQuality, threshold);
    return 0;
}
