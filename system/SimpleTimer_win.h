#pragma once
// The Windows side of TSimpleTimer: one hidden window per process receives the WM_TIMER messages
// of every timer and hands each to its timer.
#include <windows.h>

#include "system/SimpleTimer.h"

// Window class of the shared timer window (a hidden top-level window, so FindWindow sees it).
constexpr char kSimpleTimerWindowClass[] = "TSimpleTimerHandler";

class TSimpleTimerHandler : public TObject {
public:
    TSimpleTimerHandler();
    ~TSimpleTimerHandler() override;

    HWND Handle() const { return window_; }
    int UserCount = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// The shared handler, or null while no timer exists.
TSimpleTimerHandler* SimpleTimerHandler();

// Makes the timers made from now on tick through the shared hidden window.
void UsePlatformTimers();
