#pragma once

#include <string>

#include "platform/net.h"

// POST /verify_with_template: verifies a live finger against the posted
// templates, one after another, until one matches.
void handleVerifyWithTemplate(Socket socket, const std::string& body, const std::string& origin);

// Whether the live finger matches one of the body's templates (the scanner
// lock held by the caller).
bool verifyAgainstTemplates(const std::string& body);
