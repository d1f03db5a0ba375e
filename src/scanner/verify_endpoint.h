#pragma once

#include <string>

#include "http/reply.h"
#include "platform/console.h"
#include "scanner/scanner_library.h"

// POST /verify_with_template: verifies a live finger against the posted
// templates, one after another and holding the scanner, until one matches.
Reply handleVerifyWithTemplate(Scanner& scanner, Console& console, const std::string& body);
