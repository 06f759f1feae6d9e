// The start-up benchmark's yardstick: a minimal GUI program that registers a class, creates one
// top-level window, shows it, and ends a second later.
#include "tests/bench/BenchWindow.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
