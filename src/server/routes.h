#pragma once

#include <string>

#include "platform/net.h"

// Hands a request that passed the gates to the one handler its method and path
// select; everything no API route claims goes to the static file server.
void routeRequest(Socket socket, const std::string& method, const std::string& path,
                  const std::string& requestText, const std::string& origin);
