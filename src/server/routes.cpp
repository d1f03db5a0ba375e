#include "server/routes.h"

#include "demo/demo_endpoints.h"
#include "scanner/scan_endpoint.h"
#include "scanner/verify_endpoint.h"
#include "security/csrf_token_store.h"
#include "server/request.h"
#include "static/static_files.h"

void routeRequest(Socket socket, const std::string& method, const std::string& path,
                  const std::string& requestText, const std::string& origin) {
    if (path == "/api/config") {
        handleConfig(socket, origin);
    } else if (path.starts_with("/api/demoscan/single")) {
        handleDemoScanSingle(socket, path, origin);
    } else if (method == "POST" && path == "/demoverify_with_template") {
        handleDemoVerifyWithTemplate(socket, std::string(bodyOf(requestText)), origin);
    } else if (path == "/api/scan/single") {
        handleScanSingle(socket, origin);
    } else if (method == "POST" && path == "/verify_with_template") {
        handleVerifyWithTemplate(socket, std::string(bodyOf(requestText)), origin);
    } else {
        handleStaticFile(socket, path, origin);
    }
}
