#include "framework/DebugSink_win.h"

#include <windows.h>

#include <cstdio>
#include <exception>

#include "framework/Handle_win.h"
#include "framework/SrwLock_win.h"

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
unique_handle g_file;

std::string Stamped(const std::string& text) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, ::GetCurrentThreadId());
    return stamp + text + "\r\n";
}

} // namespace

void DebugReport(const std::string& text) noexcept {
    try {
        const std::string line = Stamped(text);
        ::OutputDebugStringA(line.c_str());
        SrwGuard g(g_lock);
        if (!g_file) return;
        DWORD written = 0;
        // The file was opened for appending: every write lands at its end.
        ::WriteFile(g_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } catch (...) {
        // Out of memory while reporting: there is nowhere left to report to.
    }
}

void DebugReportCurrentException(const char* where) noexcept {
    std::string what = "unknown exception";
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    DebugReport(std::string(where) + ": " + what);
}

bool OpenDebugLogFile(const std::string& path) noexcept {
    unique_handle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    SrwGuard g(g_lock);
    g_file = std::move(file);
    return true;
}

void CloseDebugLogFile() noexcept {
    SrwGuard g(g_lock);
    g_file.reset();
}

bool DebugLogFileOpen() noexcept {
    SrwGuard g(g_lock);
    return static_cast<bool>(g_file);
}
