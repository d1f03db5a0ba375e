#pragma once

#include "http/reply.h"
#include "platform/console.h"
#include "scanner/scanner.h"
#include "security/origin_check.h"

// /api/status: the version, whether the scanner is connected now and why not,
// which library drives it, and the --origin setting, so a page can tell what
// is wrong.
Reply handleStatus(Scanner& scanner, Console& console, const AllowedOrigins& origins);
