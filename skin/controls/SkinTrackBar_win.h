#pragma once
// Track bars: drawn through the control's custom draw. The notification reaches the wrapper as the
// reflected notification message (the parent's WM_NOTIFY handed to the control) or as WM_NOTIFY
// itself; the wrapper answers the item notifications for the channel (Track or TRACKVERT) and the
// thumb (Trackbar.ThumbHorz or Trackbar.ThumbVert) and leaves the tick marks to the control.
#include "skin/controls/SkinFamily_win.h"

// The framework's reflected notification, the same number as the frame's announce message.
constexpr UINT ReflectedNotifyMessage = 0xBC4E;

class TSkinTrackBar : public TSkinFamilyControl {
public:
    using TSkinFamilyControl::TSkinFamilyControl;
    void Unskin() override;
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The frame of the thumb element drawn now (the Buttons order: 2 pressed, 4 hot, 5 focused).
    int ThumbFrame(UINT itemState) const;

protected:
    // Sends the parent's custom-draw notifications of this bar to the bar as the reflected message.
    void AfterAttach() override;

private:
    bool Vertical() const;
    const TDataSkinObject* ThumbElement() const;
    const TDataSkinObject* ChannelElement() const;
    LRESULT CustomDraw(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OverThumb(LPARAM lParam) const;
    void RepaintThumb();

    TWindowSubclass parentHook_;
    bool hot_ = false;
    bool pressed_ = false;
};
