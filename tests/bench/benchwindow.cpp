// The start-up benchmark's own programs.
//
//   benchwindow window                 the yardstick: a minimal program that registers a class,
//                                      creates one top-level window, shows it, and ends a second later
//   benchwindow watch <class> <ms>     waits up to <ms> for a top-level window of that class, then
//                                      for it to be visible, and prints
//                                        "<created ms> <shown ms> <process start, Unix seconds>"
//                                      with both times counted from the start of the window's process
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/bench/BenchWindow.h"

namespace {

// 100 ns units since 1601, as the system keeps its clock and process times.
unsigned long long Ticks(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

unsigned long long SystemNow() {
    FILETIME t;
    ::GetSystemTimeAsFileTime(&t);
    return Ticks(t);
}

constexpr unsigned long long kUnixEpoch = 116444736000000000ULL;

int Window() {
    HWND wnd = bench::CreatePlainWindow(L"BenchWindow", 300, 200);
    if (!wnd) return 1;
    ::ShowWindow(wnd, SW_SHOW);
    ::UpdateWindow(wnd);
    const DWORD until = ::GetTickCount() + 1000;
    MSG msg;
    while (::GetTickCount() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    ::DestroyWindow(wnd);
    return 0;
}

int Watch(const char* className, DWORD limitMs) {
    wchar_t name[256] = {};
    ::MultiByteToWideChar(CP_ACP, 0, className, -1, name, 255);
    const DWORD until = ::GetTickCount() + limitMs;
    HWND wnd = nullptr;
    while (!(wnd = ::FindWindowW(name, nullptr))) {
        if (::GetTickCount() > until) return 1;
        ::Sleep(1);
    }
    const unsigned long long created = SystemNow();
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    FILETIME start{}, exit{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process, &start, &exit, &kernel, &user)) return 1;
    ::CloseHandle(process);
    while (!::IsWindowVisible(wnd)) {
        if (::GetTickCount() > until || !::IsWindow(wnd)) return 1;
        ::Sleep(1);
    }
    const unsigned long long shown = SystemNow();
    const unsigned long long begun = Ticks(start);
    std::printf("%.1f %.1f %.4f\n", (created - begun) / 1e4, (shown - begun) / 1e4, (begun - kUnixEpoch) / 1e7);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "window") == 0) return Window();
    if (argc == 4 && std::strcmp(argv[1], "watch") == 0)
        return Watch(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    std::fprintf(stderr, "usage: benchwindow window | benchwindow watch <class> <ms>\n");
    return 2;
}
