#pragma once
// The window timer: ticks on the window thread through the application's utility window.
//
// Enabling an enabled timer and setting the interval it already has change nothing, so arming a
// running timer with its own interval keeps its countdown; an interval of 0 never fires.
#include "framework/Component.h"
#include "framework/Events.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    void SetOnTimer(TNotifyEvent handler);

    // Arm for N ms: enable, then set the interval. Stop: disable, interval 0.
    void Arm(unsigned ms) {
        SetEnabled(true);
        SetInterval(ms);
    }
    void Stop() {
        SetEnabled(false);
        SetInterval(0);
    }
    // Whether a system timer is actually counting down.
    bool Ticking() const { return ticking_; }

private:
    static void Dispatch(unsigned long long id);
    void UpdateTimer();
    bool enabled_ = false;
    unsigned interval_ = 0;
    bool ticking_ = false;
    TNotifyEvent onTimer_;
};
