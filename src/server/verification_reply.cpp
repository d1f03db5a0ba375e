#include "server/verification_reply.h"

std::string_view verificationBody(bool matched) {
    return matched ? "{\"success\": true, \"verified\": true}"
                   : "{\"success\": true, \"verified\": false, \"message\": \"Verification failed: "
                     "No matching fingerprint found.\"}";
}
