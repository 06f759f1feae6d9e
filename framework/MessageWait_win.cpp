#include "framework/MessageWait_win.h"

void WaitPumpingMessages(HANDLE handle, const std::function<bool()>& done, HWND window, UINT first,
                         UINT last) {
    const bool everything = window == nullptr && first == 0 && last == 0;
    // Serving everything, a message already queued is taken at once; serving a few, the others
    // sitting in the queue must not wake the wait over and over.
    const DWORD wake = everything ? QS_ALLINPUT : QS_POSTMESSAGE | QS_SENDMESSAGE;
    const DWORD flags = everything ? MWMO_INPUTAVAILABLE : 0;
    const auto finished = [&] { return done && done(); };
    bool quit = false;
    WPARAM quitCode = 0;
    const auto serve = [&] {
        MSG msg;
        while (!finished() && ::PeekMessageW(&msg, window, first, last, PM_REMOVE)) {
            // Even a filtered peek can hand out WM_QUIT (Wine does).
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    };
    for (;;) {
        serve();
        if (finished()) break;
        const DWORD r =
            ::MsgWaitForMultipleObjectsEx(handle ? 1 : 0, handle ? &handle : nullptr, INFINITE, wake, flags);
        if (handle && (r == WAIT_OBJECT_0 || r == WAIT_FAILED)) {
            // What the finished work posted last is served as well.
            serve();
            break;
        }
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
}
