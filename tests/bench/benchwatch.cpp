// The start-up benchmark's watcher:
//
//   benchwatch <class> <ms>   waits up to <ms> for a top-level window of that class, then for it to
//                             be visible, and prints
//                               "<created ms> <shown ms> <process start, Unix seconds>"
//                             with both times counted from the start of the window's process, as Wine
//                             records it
#include <windows.h>

#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: benchwatch <class> <ms>\n");
        return 2;
    }
    wchar_t name[256] = {};
    ::MultiByteToWideChar(CP_ACP, 0, argv[1], -1, name, 255);
    const DWORD until = ::GetTickCount() + static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
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
    std::printf("%.1f %.1f %.4f\n", static_cast<double>(created - begun) / 1e4,
                static_cast<double>(shown - begun) / 1e4, static_cast<double>(begun - kUnixEpoch) / 1e7);
    return 0;
}
