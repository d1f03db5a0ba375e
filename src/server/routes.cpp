#include "server/routes.h"

#include "demo/demo_endpoints.h"
#include "scanner/scan_endpoint.h"
#include "scanner/verify_endpoint.h"
#include "security/csrf_gate.h"
#include "server/status_endpoint.h"
#include "static/static_files.h"

bool isProtectedPath(std::string_view path) {
    if (path == "/api/config") return false;
    return path.starts_with("/api/") || path == "/demoverify_with_template" ||
           path == "/verify_with_template";
}

Reply routeRequest(Services& services, const Request& request) {
    const std::string_view method = request.method;
    const std::string_view path = request.path;
    if (path == "/api/config") return handleConfig(services.tokens, services.console);
    if (path == "/api/status") return handleStatus(services.scanner, services.console, services.origins);
    if (path.starts_with("/api/demoscan/single")) return handleDemoScanSingle(services.console, path);
    if (method == "POST" && path == "/demoverify_with_template") {
        return handleDemoVerifyWithTemplate(services.console, request.body);
    }
    if (path == "/api/scan/single") return handleScanSingle(services.scanner, services.console);
    if (method == "POST" && path == "/verify_with_template") {
        return handleVerifyWithTemplate(services.scanner, services.console, request.body);
    }
    return handleStaticFile(services.files, path);
}
