#include "framework/Subclass_win.h"

#include <commctrl.h>

#include "framework/DebugSink_win.h"

bool TWindowSubclass::Install(HWND window, THandler handler) {
    Remove();
    handler_ = std::move(handler);
    if (!::SetWindowSubclass(window, &Proc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this)))
        return false;
    window_ = window;
    return true;
}

void TWindowSubclass::Remove() {
    if (!window_) return;
    ::RemoveWindowSubclass(window_, &Proc, reinterpret_cast<UINT_PTR>(this));
    window_ = nullptr;
}

LRESULT TWindowSubclass::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::DefSubclassProc(window_, msg, wParam, lParam);
}

LRESULT CALLBACK TWindowSubclass::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR selfData) {
    auto* self = reinterpret_cast<TWindowSubclass*>(selfData);
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->handler_ && self->handler_(msg, wParam, lParam, result);
    } catch (...) {
        DebugReportCurrentException("subclassed window");
        handled = false;
    }
    if (!handled) result = ::DefSubclassProc(wnd, msg, wParam, lParam);
    // The window is gone: out of the chain (the handler may already have taken itself out).
    if (msg == WM_NCDESTROY && self->window_ == wnd) self->Remove();
    return result;
}
