#pragma once
// Console lines: progress to standard output, failures to standard error. Each
// line goes out whole in one write and is flushed at once, so the lines of
// concurrent requests never tear.

#include <functional>
#include <string_view>

enum class ConsoleStream { out, err };

void printOut(std::string_view line);
void printErr(std::string_view line);

// Tests may divert lines to a sink of their own; an empty function restores the console.
using ConsoleSink = std::function<void(ConsoleStream, std::string_view)>;
void setConsoleSink(ConsoleSink sink);
