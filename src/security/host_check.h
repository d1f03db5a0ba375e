#pragma once
// The loopback Host allowlist: a page on another host name that resolves to
// 127.0.0.1 (DNS rebinding) must not be able to read tokens or scans.

#include <optional>
#include <string>
#include <string_view>

#include "http/reply.h"
#include "http/request.h"
#include "platform/console.h"

// True for 127.0.0.1, localhost or [::1], with or without a port, in any case.
bool isLoopbackHost(std::string_view hostValue);

// The gate before the token check: the 403 refusal to send when any Host
// header names another host (and the failure line printed), else nothing.
// Requests without a Host header pass.
std::optional<Reply> checkHost(Console& console, const Request& request);
