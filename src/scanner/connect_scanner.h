#pragma once

// Opens the active scanner library once and sets its start-up parameters,
// printing the outcome. Returns true when the device is ready; start-up
// carries on either way.
bool connectScanner();
