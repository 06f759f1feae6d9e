// Looks at the notification area and the pop-up windows around it from outside, for the tray
// scenarios of the end-to-end tests. Prints JSON (UTF-8).
//
//   traylook windows                          every top-level window, the notification area's
//                                             window tree and its screen rectangle
//   traylook watch <ms> <outfile> <stopfile>  one line every <ms> until <stopfile> exists (or 120 s):
//                                             visible tool-tip windows (balloons, with their text),
//                                             visible menus, the notification area windows (Wine's
//                                             stand-alone tray with its icon windows) and the form
//
// It only reads: no window is changed, no process opened.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win/programs/ProgramSupport.h"

namespace {

using namespace program_support;

// Wine's own notification area when no X system tray is running: a small top-level window
// holding one child window per icon.
constexpr wchar_t kStandaloneTray[] = L"__winex11_standalone_tray";

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

std::wstring TitleOf(HWND w) {
    wchar_t buf[512] = {};
    DWORD_PTR ignored = 0;
    // Windows of other processes: never wait long for a busy thread.
    if (!SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 300,
                             &ignored))
        return {};
    return buf;
}

std::string WindowJson(HWND w, bool withTitle = true) {
    RECT r{};
    GetWindowRect(w, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char head[256];
    std::snprintf(
        head, sizeof head, "{\"hwnd\":\"0x%llx\",\"pid\":%lu,\"visible\":%s,\"rect\":[%ld,%ld,%ld,%ld],",
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)), static_cast<unsigned long>(pid),
        IsWindowVisible(w) ? "true" : "false", r.left, r.top, r.right, r.bottom);
    std::string out = head;
    out += "\"class\":" + JsonString(ClassOf(w));
    if (withTitle) out += ",\"title\":" + JsonString(TitleOf(w));
    if (ClassOf(w) == L"#32768") {
        // A menu window answers the skin query (0x3523) with 1 when it wears the skin.
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(w, 0x3523, 0, 0, SMTO_ABORTIFHUNG, 300, &answer)) answer = 0;
        out += ",\"skinned\":" + std::to_string(answer);
    }
    return out;
}

std::string TreeJson(HWND w) {
    std::string out = WindowJson(w) + ",\"children\":[";
    bool first = true;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!first) out += ",";
        first = false;
        out += TreeJson(c);
    }
    return out + "]}";
}

std::vector<HWND> TopWindows() {
    std::vector<HWND> out;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string WindowsReport() {
    std::string out = "{\"t\":" + std::to_string(UnixNow()) + ",\"tops\":[";
    bool first = true;
    for (HWND w : TopWindows()) {
        if (!first) out += ",";
        first = false;
        out += WindowJson(w) + "}";
    }
    out += "],\"tray\":";
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    out += tray ? TreeJson(tray) : std::string("null");
    out += ",\"standalone\":";
    HWND standalone = FindWindowW(kStandaloneTray, nullptr);
    out += standalone ? TreeJson(standalone) : std::string("null");
    return out + "}";
}

bool Watched(const std::wstring& cls) {
    return cls == L"tooltips_class32" || cls == L"#32768" || cls == L"TForm1" || cls == L"Shell_TrayWnd" ||
           cls == kStandaloneTray;
}

std::string WatchLine() {
    std::string out = "{\"t\":" + std::to_string(UnixNow()) + ",\"tops\":[";
    bool first = true;
    for (HWND w : TopWindows()) {
        std::wstring cls = ClassOf(w);
        if (!Watched(cls)) continue;
        bool always = cls == L"Shell_TrayWnd" || cls == L"TForm1" || cls == kStandaloneTray;
        if (!always && !IsWindowVisible(w)) continue;
        if (!first) out += ",";
        first = false;
        if (cls == kStandaloneTray) {
            out += TreeJson(w);
            continue;
        }
        // Menus answer WM_GETTEXT with nothing useful; skip the round trip.
        out += WindowJson(w, cls != L"#32768") + "}";
    }
    return out + "]}";
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int main() {
    std::vector<std::wstring> argv = Arguments();
    size_t argc = argv.size();
    if (argc < 2) {
        std::fprintf(stderr, "usage: traylook windows | watch <ms> <outfile> <stopfile>\n");
        return 2;
    }
    std::wstring mode = argv[1];
    if (mode == L"windows") {
        std::string report = WindowsReport() + "\n";
        std::fwrite(report.data(), 1, report.size(), stdout);
        return 0;
    }
    if (mode == L"watch" && argc >= 5) {
        DWORD period = static_cast<DWORD>(_wtoi(argv[2].c_str()));
        HANDLE out = CreateFileW(argv[3].c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) return 1;
        ULONGLONG end = GetTickCount64() + 120000;
        while (!Exists(argv[4].c_str()) && GetTickCount64() < end) {
            std::string line = WatchLine() + "\n";
            DWORD written = 0;
            WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            Sleep(period);
        }
        CloseHandle(out);
        return 0;
    }
    std::fprintf(stderr, "traylook: unknown command\n");
    return 2;
}
