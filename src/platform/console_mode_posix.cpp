#include "platform/console_mode.h"

// A terminal's selection never blocks the program's writes.
void disableConsoleSelection() {}
