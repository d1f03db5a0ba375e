#pragma once

#include <string>

#include "platform/net.h"

// /api/demoscan/single?finger=N: hands out built-in template N without a scanner.
void handleDemoScanSingle(Socket socket, const std::string& path, const std::string& origin);
std::string demoScanBody(const std::string& path);

// POST /demoverify_with_template: verified when a posted template is one of
// the built-in ones, byte for byte.
void handleDemoVerifyWithTemplate(Socket socket, const std::string& body, const std::string& origin);
bool demoTemplatesMatch(const std::string& body);
