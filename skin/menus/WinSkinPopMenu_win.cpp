#include "skin/menus/WinSkinPopMenu_win.h"

#include "framework/DebugSink_win.h"
#include "framework/Handle_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil.h"
#include "skin/model/WinSkinData.h"

TWinSkinPopMenu::TWinSkinPopMenu(HWND window, TSkinData* skin, const TSkinManage& manager)
    : window_(window), skin_(skin), manager_(manager) {
    const bool hooked =
        subclass_.Install(window_, [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return Handle(msg, wParam, lParam, result);
        });
    if (!hooked) DebugReport("skin: could not subclass a popup menu");
}

void TWinSkinPopMenu::Detach() {
    subclass_.Remove();
    background_ = TBitmap32();
}

POINT TWinSkinPopMenu::ClientOrigin() const {
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    POINT origin{0, 0};
    ::ClientToScreen(window_, &origin);
    return {origin.x - outer.left, origin.y - outer.top};
}

bool TWinSkinPopMenu::BuildBackground() {
    const TDataSkinObject* element = skin_->MenuBackground.get();
    if (skin_->SkinUnloaded() || !element || element->Bitmap.Empty()) return false;
    RECT r{};
    ::GetWindowRect(window_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    if (background_.Width() != w || background_.Height() != h)
        background_ =
            BuildElementBitmap(w, h, element->Bitmap, element->Margins(), false, element->Tile != 0, 1, 1);
    return true;
}

bool TWinSkinPopMenu::Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == SkinQueryMessage) {
        result = 1;
        return true;
    }
    if (!manager_.SkinningEnabled()) return false;
    switch (msg) {
    case WM_ERASEBKGND:
        // With xoMenuBG the skin's background stays; otherwise the menu erases as it would.
        if (!skin_->Options.Has(xoMenuBG)) subclass_.CallPrevious(msg, wParam, lParam);
        result = 1;
        return true;
    case WM_NCPAINT: {
        if (!BuildBackground()) return false;
        // The whole window gets the background; the menu's own border is not drawn.
        ScopedGetWindowDC dc(window_);
        PaintBitmap(dc.get(), 0, 0, background_);
        result = 0;
        return true;
    }
    case WM_PAINT: {
        // Menu windows without a non-client area (Wine's) draw their border inside: the skin's
        // background goes over that 3-pixel band once the menu has painted.
        result = subclass_.CallPrevious(msg, wParam, lParam);
        RECT window{}, client{};
        ::GetWindowRect(window_, &window);
        ::GetClientRect(window_, &client);
        if (client.right < window.right - window.left || !BuildBackground()) return true;
        ScopedGetWindowDC dc(window_);
        ::ExcludeClipRect(dc.get(), 3, 3, background_.Width() - 3, background_.Height() - 3);
        PaintBitmap(dc.get(), 0, 0, background_);
        return true;
    }
    case WM_PRINT: {
        if (!BuildBackground()) return false;
        HDC dc = HDC(wParam);
        PaintBitmap(dc, 0, 0, background_);
        const int saved = ::SaveDC(dc);
        ::SetBkMode(dc, TRANSPARENT);
        ::IntersectClipRect(dc, 3, 3, background_.Width() - 3, background_.Height() - 3);
        result = subclass_.CallPrevious(msg, wParam, lParam);
        ::RestoreDC(dc, saved);
        return true;
    }
    default:
        return false;
    }
}
