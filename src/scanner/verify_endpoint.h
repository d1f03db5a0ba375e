#pragma once

#include <string_view>

#include "http/reply.h"
#include "platform/console.h"
#include "scanner/scanner.h"

// POST /verify_with_template: verifies a live finger against the posted
// templates, one after another and holding the scanner, until one matches;
// busy when another request keeps the scanner too long.
Reply handleVerifyWithTemplate(Scanner& scanner, Console& console, std::string_view body);
