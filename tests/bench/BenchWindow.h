#pragma once
// What the benchmark programs share: a plain top-level window of a class of their own.
#include <windows.h>

namespace bench {

inline HWND CreatePlainWindow(const wchar_t* className, int width, int height) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = inst;
    wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = className;
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, className, className, WS_OVERLAPPEDWINDOW, 100, 100, width, height, nullptr,
                             nullptr, inst, nullptr);
}

} // namespace bench
