#pragma once

#include <string_view>

#include "http/reply.h"
#include "platform/console.h"

// /api/demoscan/single?finger=N: hands out built-in template N without a scanner.
Reply handleDemoScanSingle(Console& console, std::string_view path);

// POST /demoverify_with_template: verified when a posted template is one of
// the built-in ones, byte for byte.
Reply handleDemoVerifyWithTemplate(Console& console, std::string_view body);
