#include "system/CoolTrayIcon.h"

#include <algorithm>
#include <cstring>

void CopyTrayField(const std::string& text, char* field, std::size_t fieldSize) {
    if (!field || fieldSize == 0) return;
    std::size_t n = std::min(text.size(), fieldSize - 1);
    text.copy(field, n);
    std::memset(field + n, 0, fieldSize - n);
}

void FillTrayTip(const std::string& hint, bool showHint, char* tip, std::size_t tipSize) {
    CopyTrayField(showHint ? hint : std::string(), tip, tipSize);
}

std::uint32_t BalloonInfoFlags(int iconKind) {
    switch (iconKind) {
    case bitInfo:
        return 1; // NIIF_INFO
    case bitWarning:
        return 2; // NIIF_WARNING
    case bitError:
        return 3; // NIIF_ERROR
    default:
        return 0; // NIIF_NONE
    }
}

int ClampIconIndex(int index, int count) {
    if (count <= 0) return 0;
    return index >= count ? count - 1 : index;
}

int NextCycleIndex(int index, int count) {
    return (count > 0 && index < count - 1) ? index + 1 : 0;
}

TTrayIconLogic::TTrayIconLogic(TObject* sender, TTrayIconHost& host)
    : sender_(sender), host_(host), leaveTicker_(20, [this](TObject*) { LeaveTick(); }) {
    cycleTicker_.SetOnTick([this](TObject*) { CycleTick(); });
    clickTicker_.SetOnTick([this](TObject*) { ClickTick(); });
}

TTrayIconLogic::~TTrayIconLogic() = default;

void TTrayIconLogic::StopTickers() {
    cycleTicker_.SetRunning(false);
    clickTicker_.SetRunning(false);
    leaveTicker_.SetRunning(false);
}

void TTrayIconLogic::SetIconIndex(int index) {
    int count = host_.IconListCount();
    if (count < 0) {
        iconIndex_ = 0;
    } else {
        iconIndex_ = ClampIconIndex(index, count);
        host_.ShowListImage(iconIndex_);
    }
    host_.RefreshTrayEntry();
}

void TTrayIconLogic::SetCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    if (cycle) {
        SetIconIndex(0);
        cycleTicker_.SetIntervalMs(cycleInterval_);
        cycleTicker_.SetRunning(true);
    } else {
        cycleTicker_.SetRunning(false);
    }
}

void TTrayIconLogic::SetCycleInterval(std::uint32_t ms) {
    if (ms == cycleInterval_) return;
    cycleInterval_ = ms;
    SetCycleIcons(cycleIcons_);
}

void TTrayIconLogic::SetHint(const std::string& hint) {
    hint_ = hint;
    host_.RefreshTrayEntry();
}

void TTrayIconLogic::SetShowHint(bool show) {
    showHint_ = show;
    host_.RefreshTrayEntry();
}

void TTrayIconLogic::SetWantEnterExitEvents(bool want) {
    wantEnterExit_ = want;
    leaveTicker_.SetRunning(want);
}

void TTrayIconLogic::CycleTick() {
    int count = host_.IconListCount();
    if (count < 0) return;
    host_.ShowListImage(iconIndex_);
    FireCycle(NextCycleIndex(iconIndex_, count));
    SetIconIndex(iconIndex_ < count - 1 ? iconIndex_ + 1 : 0);
}

void TTrayIconLogic::ClickTick() {
    clickTicker_.SetRunning(false);
    if (!doubleClickSeen_ && clickPending_) {
        clickPending_ = false;
        FireClick();
    }
    doubleClickSeen_ = false;
}

void TTrayIconLogic::LeaveTick() {
    if (pointerOutside_) return;
    int x = 0, y = 0;
    if (!host_.ReadPointer(x, y)) return;
    if (x != lastPointerX_ || y != lastPointerY_) {
        pointerOutside_ = true;
        FireMouseExit();
    }
}

void TTrayIconLogic::PopupAtPointer() {
    int x = 0, y = 0;
    if (host_.ReadPointer(x, y)) host_.PopupAt(x, y);
}

void TTrayIconLogic::MouseButton(bool down, TMouseButton button, TShiftState buttonBit) {
    int x = 0, y = 0;
    host_.ReadPointer(x, y);
    TShiftState shift = static_cast<TShiftState>(host_.ReadShiftState() | buttonBit);
    if (down)
        FireMouseDown(button, shift, x, y);
    else
        FireMouseUp(button, shift, x, y);
}

void TTrayIconLogic::HandleTrayCallback(unsigned message) {
    switch (message) {
    case traymsg::BalloonShow:
        FireNotify(OnBalloonHintShow);
        return;
    case traymsg::BalloonHide:
        FireNotify(OnBalloonHintHide);
        return;
    case traymsg::BalloonTimeout:
        FireNotify(OnBalloonHintTimeout);
        return;
    case traymsg::BalloonUserClick:
        FireNotify(OnBalloonHintClick);
        return;
    default:
        break;
    }
    if (!Enabled) return;

    switch (message) {
    case traymsg::MouseMove: {
        if (wantEnterExit_ && pointerOutside_) {
            FireMouseEnter();
            pointerOutside_ = false;
        }
        int x = 0, y = 0;
        host_.ReadPointer(x, y);
        FireMouseMove(host_.ReadShiftState(), x, y);
        lastPointerX_ = x;
        lastPointerY_ = y;
        break;
    }
    case traymsg::LButtonDown:
        if (OnDblClick) {
            clickTicker_.SetIntervalMs(host_.DoubleClickTimeMs());
            clickTicker_.SetRunning(true);
        }
        MouseButton(true, mbLeft, ssLeft);
        buttonDownSeen_ = true;
        if (LeftPopup && host_.HasPopupMenu() && host_.PopupAutoPopup()) {
            host_.ForegroundHandlerWindow();
            PopupAtPointer();
        }
        break;
    case traymsg::LButtonUp:
        if (buttonDownSeen_) clickPending_ = true;
        if (buttonDownSeen_ && !clickTicker_.Running()) {
            buttonDownSeen_ = false;
            clickPending_ = false;
            FireClick();
        }
        buttonDownSeen_ = false;
        MouseButton(false, mbLeft, ssLeft);
        break;
    case traymsg::LButtonDblClk:
        clickPending_ = false;
        doubleClickSeen_ = true;
        FireDblClick();
        if (host_.HasPopupMenu() && host_.PopupAutoPopup() && !LeftPopup) host_.ClickDefaultMenuItem();
        break;
    case traymsg::RButtonDown:
        MouseButton(true, mbRight, ssRight);
        if (host_.HasPopupMenu() && host_.PopupAutoPopup()) {
            host_.ForegroundHandlerWindow();
            PopupAtPointer();
        }
        break;
    case traymsg::RButtonUp:
        MouseButton(false, mbRight, ssRight);
        break;
    case traymsg::MButtonDown:
        MouseButton(true, mbMiddle, ssMiddle);
        break;
    case traymsg::MButtonUp:
        MouseButton(false, mbMiddle, ssMiddle);
        break;
    default:
        break;
    }
}

void TTrayIconLogic::FireNotify(const TNotifyEvent& event) {
    if (event) event(sender_);
}

void TTrayIconLogic::FireClick() {
    FireNotify(OnClick);
}
void TTrayIconLogic::FireDblClick() {
    FireNotify(OnDblClick);
}
void TTrayIconLogic::FireMouseEnter() {
    FireNotify(OnMouseEnter);
}
void TTrayIconLogic::FireMouseExit() {
    FireNotify(OnMouseExit);
}

void TTrayIconLogic::FireCycle(int nextIndex) {
    if (OnCycle) OnCycle(sender_, nextIndex);
}

void TTrayIconLogic::FireMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(sender_, button, shift, x, y);
}

void TTrayIconLogic::FireMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(sender_, button, shift, x, y);
}

void TTrayIconLogic::FireMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(sender_, shift, x, y);
}
