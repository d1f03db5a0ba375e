#pragma once
// Master prints take a while to grow, so the few fingers in use are kept.

#include <memory>

#include "scanner/simulator/master_print.h"

// The master print of a finger on a frameWidth x frameHeight sensor; safe to
// call from several threads at once.
std::shared_ptr<const MasterPrint> cachedMasterPrint(int finger, int frameWidth, int frameHeight);
