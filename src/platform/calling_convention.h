#pragma once
// The scanner library's calling convention: the Windows API convention, which is
// stdcall on 32-bit Windows and the platform default everywhere else.

#if defined(_WIN32) && !defined(_WIN64)
#define SCANNER_API __stdcall
#else
#define SCANNER_API
#endif
