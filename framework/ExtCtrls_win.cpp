#include "framework/ExtCtrls_win.h"

#include <windows.h>

#include <set>

#include "framework/Application_win.h"

namespace {

std::set<TTimer*>& LiveTimers() {
    static std::set<TTimer*> timers;
    return timers;
}

} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    LiveTimers().insert(this);
    SetUtilityTimerDispatcher([](UINT_PTR id) { Dispatch(id); });
}

TTimer::~TTimer() {
    if (ticking_ && Application) ::KillTimer(Application->UtilityWindow(), reinterpret_cast<UINT_PTR>(this));
    LiveTimers().erase(this);
}

void TTimer::Dispatch(unsigned long long id) {
    auto* timer = reinterpret_cast<TTimer*>(static_cast<UINT_PTR>(id));
    // A tick that was already queued when its timer went is dropped.
    if (!LiveTimers().count(timer)) return;
    if (timer->enabled_ && timer->interval_ != 0 && timer->onTimer_) timer->onTimer_(timer);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (!Application) return;
    HWND wnd = Application->UtilityWindow();
    auto id = reinterpret_cast<UINT_PTR>(this);
    if (ticking_) ::KillTimer(wnd, id);
    ticking_ = false;
    if (interval_ != 0 && enabled_ && onTimer_) ticking_ = ::SetTimer(wnd, id, interval_, nullptr) != 0;
}
