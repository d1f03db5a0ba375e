#pragma once
// The console window the server may run in.

// A click into a Windows console window starts a selection (QuickEdit), and
// while it lasts every write to the console blocks; this turns that off when
// standard input is a console. Elsewhere it does nothing.
void disableConsoleSelection();
