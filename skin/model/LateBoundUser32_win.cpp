#include "skin/model/LateBoundUser32_win.h"

namespace {

class TUser32Functions {
public:
    TUser32Functions() : module_(::GetModuleHandleA("user32.dll")) {
        if (!module_) return;
        getScrollBarInfo = reinterpret_cast<decltype(getScrollBarInfo)>(
            reinterpret_cast<void*>(::GetProcAddress(module_, "GetScrollBarInfo")));
        trackMouseEvent = reinterpret_cast<decltype(trackMouseEvent)>(
            reinterpret_cast<void*>(::GetProcAddress(module_, "TrackMouseEvent")));
        getComboBoxInfo = reinterpret_cast<decltype(getComboBoxInfo)>(
            reinterpret_cast<void*>(::GetProcAddress(module_, "GetComboBoxInfo")));
    }
    BOOL(WINAPI* getScrollBarInfo)(HWND, LONG, SCROLLBARINFO*) = nullptr;
    BOOL(WINAPI* trackMouseEvent)(TRACKMOUSEEVENT*) = nullptr;
    BOOL(WINAPI* getComboBoxInfo)(HWND, COMBOBOXINFO*) = nullptr;

private:
    HMODULE module_;
};

const TUser32Functions& User32() {
    static const TUser32Functions functions;
    return functions;
}

} // namespace

void TLateBoundUser32::Resolve() {
    (void)User32();
}

bool TLateBoundUser32::HasScrollBarInfo() {
    return User32().getScrollBarInfo != nullptr;
}

bool TLateBoundUser32::QueryScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info) {
    return User32().getScrollBarInfo && User32().getScrollBarInfo(window, objectId, info);
}

bool TLateBoundUser32::QueryComboBoxInfo(HWND window, COMBOBOXINFO* info) {
    return User32().getComboBoxInfo && User32().getComboBoxInfo(window, info);
}

void TLateBoundUser32::RequestLeaveNotice(HWND window) {
    if (!User32().trackMouseEvent) return;
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = window;
    User32().trackMouseEvent(&request);
}
