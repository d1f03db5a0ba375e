#pragma once
// Master prints take a while to grow, so the few fingers in use are kept.

#include <memory>

#include "simulator/master_print.h"

namespace simulator {

// The master print of a finger on a frameWidth x frameHeight sensor; safe to
// call from several threads at once.
std::shared_ptr<const MasterPrint> cachedMasterPrint(int finger, int frameWidth, int frameHeight);

}  // namespace simulator
