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

Reply routeRequest(Services& services, const std::string& method, const std::string& path, std::string_view body) {
    if (path == "/api/config") return handleConfig(services.tokens, services.console);
    if (path == "/api/status") return handleStatus(services.scanner, services.origins);
    if (path.starts_with("/api/demoscan/single")) return handleDemoScanSingle(services.console, path);
    if (method == "POST" && path == "/demoverify_with_template") {
        return handleDemoVerifyWithTemplate(services.console, std::string(body));
    }
    if (path == "/api/scan/single") return handleScanSingle(services.scanner, services.console);
    if (method == "POST" && path == "/verify_with_template") {
        return handleVerifyWithTemplate(services.scanner, services.console, std::string(body));
    }
    return handleStaticFile(path);
}
