#include "system/SimpleTimer_win.h"

#include <memory>

#include "framework/HandlerWindow_win.h"

namespace {

// Destroyed at module shutdown if a timer was never destroyed.
std::unique_ptr<TSimpleTimerHandler>& SharedHandler() {
    static std::unique_ptr<TSimpleTimerHandler> handler;
    return handler;
}

} // namespace

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_(CreateHandlerWindow(kSimpleTimerWindowClass, &TSimpleTimerHandler::WindowProc)) {}

TSimpleTimerHandler::~TSimpleTimerHandler() {
    if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK TSimpleTimerHandler::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        try {
            DispatchTimerTick(static_cast<std::uintptr_t>(wParam));
        } catch (...) {
            // A failing tick handler must not unwind through the system's dispatcher.
        }
        return 0;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

TSimpleTimerHandler* SimpleTimerHandler() {
    return SharedHandler().get();
}

namespace {

class TWinTimerPlatform : public TTimerPlatform {
public:
    void AcquireHandler() override { AcquireSharedHandler(SharedHandler()); }
    void ReleaseHandler() override { ReleaseSharedHandler(SharedHandler()); }

    bool StartTimer(std::uintptr_t timerId, std::uint32_t intervalMs) override {
        TSimpleTimerHandler* handler = SimpleTimerHandler();
        if (!handler || !handler->Handle()) return false;
        return ::SetTimer(handler->Handle(), static_cast<UINT_PTR>(timerId), intervalMs, nullptr) != 0;
    }

    bool StopTimer(std::uintptr_t timerId) override {
        TSimpleTimerHandler* handler = SimpleTimerHandler();
        if (!handler || !handler->Handle()) return false;
        return ::KillTimer(handler->Handle(), static_cast<UINT_PTR>(timerId)) != FALSE;
    }
};

} // namespace

void UsePlatformTimers() {
    static TWinTimerPlatform platform;
    SetTimerPlatform(&platform);
}
