#include "skin/controls/SkinTrackBar_win.h"

#include <commctrl.h>

#include "framework/DebugSink_win.h"
#include "skin/controls/SkinFamily_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/rules/SkinFamily.h"

void TSkinTrackBar::AfterAttach() {
    HWND parent = ::GetParent(window_);
    if (!parent) return;
    const bool hooked =
        parentHook_.Install(parent, [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            if (msg != WM_NOTIFY || !lParam) return false;
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom != window_ || header->code != UINT(NM_CUSTOMDRAW)) return false;
            result = ::SendMessageW(window_, ReflectedNotifyMessage, wParam, lParam);
            return true;
        });
    // The track bar is then drawn by the system.
    if (!hooked) DebugReport("skin: could not subclass a track bar's parent");
}

void TSkinTrackBar::Unskin() {
    parentHook_.Remove();
    TSkinControl::Unskin();
}

bool TSkinTrackBar::Vertical() const {
    return (::GetWindowLongW(window_, GWL_STYLE) & TBS_VERT) != 0;
}

const TDataSkinObject* TSkinTrackBar::ThumbElement() const {
    return Vertical() ? skin_->TrackThumbVert.get() : skin_->TrackThumbHorz.get();
}

const TDataSkinObject* TSkinTrackBar::ChannelElement() const {
    return Vertical() ? skin_->TrackVert.get() : skin_->Track.get();
}

int TSkinTrackBar::ThumbFrame(UINT itemState) const {
    const bool enabled = ::IsWindowEnabled(window_) && !(itemState & CDIS_DISABLED);
    const bool pressed = pressed_ || (itemState & CDIS_SELECTED);
    const bool hot = hot_ || (itemState & CDIS_HOT);
    return StateFrame5(enabled, hot, pressed, ::GetFocus() == window_);
}

bool TSkinTrackBar::OverThumb(LPARAM lParam) const {
    RECT thumb{};
    ::SendMessageW(window_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const POINT point{short(LOWORD(lParam)), short(HIWORD(lParam))};
    return ::PtInRect(&thumb, point) != FALSE;
}

void TSkinTrackBar::RepaintThumb() {
    RECT thumb{};
    ::SendMessageW(window_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    ::InvalidateRect(window_, &thumb, TRUE);
}

LRESULT TSkinTrackBar::CustomDraw(UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
    const bool thumb = draw->dwItemSpec == kTrackThumb;
    const TDataSkinObject* element = thumb ? ThumbElement() : ChannelElement();
    switch (TrackCustomDraw(draw->dwDrawStage, std::uint32_t(draw->dwItemSpec), HasImage(element))) {
    case TTrackDrawAnswer::NotifyItems:
        return CDRF_NOTIFYITEMDRAW;
    case TTrackDrawAnswer::Default:
        return CDRF_DODEFAULT;
    case TTrackDrawAnswer::SkipDefault:
        if (thumb) {
            DrawSkinElement(draw->hdc, draw->rc, *element, ThumbFrame(draw->uItemState));
        } else {
            RECT channel{};
            ::SendMessageW(window_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            DrawSkinElement(draw->hdc, ToRECT(UprightChannel(ToTRect(channel), Vertical())), *element, 1);
        }
        return CDRF_SKIPDEFAULT;
    case TTrackDrawAnswer::ControlsOwn:
    default:
        return CallPrevious(msg, wParam, lParam);
    }
}

bool TSkinTrackBar::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_NOTIFY:
    case ReflectedNotifyMessage: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // A tool tip's own custom draw is not the bar's.
        if (!header || header->code != UINT(NM_CUSTOMDRAW) || header->hwndFrom != window_) return true;
        result = CustomDraw(msg, wParam, lParam);
        return false;
    }
    case WM_MOUSEMOVE: {
        const bool over = OverThumb(lParam) && ::IsWindowEnabled(window_);
        if (over != hot_) {
            hot_ = over;
            RepaintThumb();
        }
        TLateBoundUser32::RequestLeaveNotice(window_);
        return true;
    }
    case WM_MOUSELEAVE:
        if (hot_ && !pressed_) {
            hot_ = false;
            RepaintThumb();
        }
        return true;
    case WM_LBUTTONDOWN:
        pressed_ = OverThumb(lParam);
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = false;
            RepaintThumb();
        }
        return true;
    default:
        return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
    }
}

void TSkinTrackBar::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The custom draw paints; a second paint over the control's would be wrong.
    if (msg == WM_PAINT) return;
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}
