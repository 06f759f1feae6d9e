#include "system/Unit_RefreshTrayIcon_win.h"

namespace {

// Per message; the notification area answers a pointer move in far less.
constexpr UINT kMoveTimeoutMs = 50;

int RunningVersionCode() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&info)) return 0;
#pragma GCC diagnostic pop
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

} // namespace

HWND FindTraySweepWindow() {
    HWND wnd = ::FindWindowA("Shell_TrayWnd", nullptr);
    for (const std::string& cls : TraySweepPath(RunningVersionCode())) {
        if (!wnd) break;
        wnd = ::FindWindowExA(wnd, nullptr, cls.c_str(), nullptr);
    }
    return wnd;
}

long long SweepTrayWindow(HWND wnd) {
    RECT client{};
    if (!wnd || !::GetClientRect(wnd, &client)) return 0;
    return SweepClientPoints(client.right, client.bottom, [wnd](int x, int y) {
        DWORD_PTR answer = 0;
        LPARAM pos = MAKELPARAM(x, y);
        return ::SendMessageTimeoutA(wnd, WM_MOUSEMOVE, 0, pos, SMTO_ABORTIFHUNG | SMTO_BLOCK, kMoveTimeoutMs,
                                     &answer) != 0;
    });
}

void RefreshTrayIcon() {
    HWND wnd = FindTraySweepWindow();
    if (!wnd) return;
    SweepTrayWindow(wnd);
}
