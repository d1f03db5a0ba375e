#include "platform/console_mode.h"

#include <windows.h>

void disableConsoleSelection() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    // Fails, and there is nothing to change, when standard input is not a console.
    if (input == nullptr || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return;
    // ENABLE_EXTENDED_FLAGS makes SetConsoleMode take the QuickEdit bit into account.
    SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_QUICK_EDIT_MODE)) | ENABLE_EXTENDED_FLAGS);
}
