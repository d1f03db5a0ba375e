// This program's shared cases run against the Linux binary, started from the
// build folder as `make run` does.
#include "e2e/server_process.h"

ServerLaunch serverLaunch() {
    ServerLaunch launch;
    launch.program = FINGERBRIDGE_BINARY;
    launch.workingDirectory = FINGERBRIDGE_BUILD_DIR;
    return launch;
}
