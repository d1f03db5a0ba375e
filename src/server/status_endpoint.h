#pragma once

#include "http/reply.h"
#include "scanner/scanner_library.h"
#include "security/origin_check.h"

// /api/status: the version, how the scanner's start-up went and why, which
// library drives it, and the --origin setting, so a page can tell what is wrong.
Reply handleStatus(const Scanner& scanner, const AllowedOrigins& origins);
