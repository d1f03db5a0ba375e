#pragma once
// fingerbridge.exe under wine64, started from the bin/ folder of the unpacked
// operator's zip, as an operator double-clicking it would.

#include <string>

#include "e2e/server_process.h"

enum class WindowsStage { withStandIn, withoutLibrary };

// scriptPath, when given, is the Linux path of the stand-in's script.
ServerLaunch wineLaunch(WindowsStage stage, const std::string& scriptPath = "");

// The name a Windows program under wine gives a Linux path: drive Z: is the Linux root.
std::string windowsPath(const std::string& linuxPath);
