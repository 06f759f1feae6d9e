#pragma once
// Where the failures go that the program survives without telling the user: a handler that
// threw, a worker that failed, a call whose failure has no log line of its own. Each report goes
// to the debugger (OutputDebugStringA; under Wine: WINEDEBUG=+debugstr) and, when switched on,
// to a log file for support. Safe from any thread; never throws.
#include <string>

void DebugReport(const std::string& text) noexcept;
// Inside a catch block: reports what the exception in flight says, with where it was caught.
void DebugReportCurrentException(const char* where) noexcept;
// Appends every later report to path (created when missing); false when it cannot be opened.
[[nodiscard]] bool OpenDebugLogFile(const std::string& path) noexcept;
void CloseDebugLogFile() noexcept;
bool DebugLogFileOpen() noexcept;
