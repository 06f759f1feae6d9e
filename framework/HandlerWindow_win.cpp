#include "framework/HandlerWindow_win.h"

HWND CreateHandlerWindow(const char* className, WNDPROC proc) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(WS_EX_TOOLWINDOW, className, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             instance, nullptr);
}
