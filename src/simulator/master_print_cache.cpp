#include "simulator/master_print_cache.h"

#include <algorithm>
#include <list>
#include <mutex>
#include <tuple>

namespace simulator {

namespace {

// A person presents a handful of fingers; the accuracy benchmark goes through
// them one at a time.
constexpr std::size_t fingersKept = 8;

struct Entry {
    int finger, width, height;
    std::shared_ptr<const MasterPrint> print;
};

}  // namespace

std::shared_ptr<const MasterPrint> cachedMasterPrint(int finger, int frameWidth, int frameHeight) {
    static std::mutex mutex;
    static std::list<Entry> recent;  // most recently used first
    {
        std::lock_guard lock(mutex);
        auto found = std::find_if(recent.begin(), recent.end(), [&](const Entry& e) {
            return std::tie(e.finger, e.width, e.height) == std::tie(finger, frameWidth, frameHeight);
        });
        if (found != recent.end()) {
            recent.splice(recent.begin(), recent, found);
            return found->print;
        }
    }
    // Grown outside the lock: other fingers need not wait. Two threads may grow
    // the same finger at once; both get the same print.
    auto print = std::make_shared<const MasterPrint>(synthesizeMasterPrint(finger, frameWidth, frameHeight));
    std::lock_guard lock(mutex);
    recent.push_front({finger, frameWidth, frameHeight, print});
    if (recent.size() > fingersKept) recent.pop_back();
    return print;
}

}  // namespace simulator
