#include "skin/controls/SkinDateTime_win.h"

#include <commctrl.h>

#include "skin/controls/SkinFamily_win.h"
#include "skin/controls/SkinUpDown_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/rules/SkinFamily.h"

TArrowButton::TArrowButton(TComponent* owner, HWND picker, TSkinData* skin)
    : TWinControl(owner), picker_(picker), skin_(skin) {}

void TArrowButton::CreateParams(TCreateParams& params) {
    RegisterFrameworkClass(L"TArrowButton");
    params.className = L"TArrowButton";
    params.style = WS_CHILD | WS_VISIBLE;
    params.ownClass = true;
}

int TArrowButton::Frame() const {
    HWND calendar = reinterpret_cast<HWND>(::SendMessageW(picker_, DTM_GETMONTHCAL, 0, 0));
    const bool dropped = calendar && ::IsWindowVisible(calendar);
    return ComboArrowFrame(::IsWindowEnabled(picker_) != FALSE, hot_, pressed_ || dropped);
}

void TArrowButton::Paint(HDC dc) {
    RECT rect{};
    ::GetClientRect(handle_, &rect);
    TOffscreen picture(rect.right, rect.bottom);
    if (!picture.Valid()) return;
    FillSolid(picture.DC(), rect, SkinColourRef(*skin_, scButtonFace));
    const int frame = Frame();
    const TDataSkinObject* arrow = skin_->ComboxArrow.get();
    if (HasImage(arrow)) {
        DrawFrameStretched(picture.DC(), rect, arrow->Bitmap, true, arrow->FrameCount, frame);
    } else {
        FrameSolid(picture.DC(), rect, SkinColourRef(*skin_, scButtonShadow));
        DrawArrow(picture.DC(), rect, 2, 3,
                  SkinColourRef(*skin_, frame == 4 ? scButtonShadow : scButtonText));
    }
    picture.CopyTo(dc, 0, 0);
}

void TArrowButton::Forward(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT point{short(LOWORD(lParam)), short(HIWORD(lParam))};
    ::MapWindowPoints(handle_, picker_, &point, 1);
    ::SendMessageW(picker_, msg, wParam, MAKELPARAM(point.x, point.y));
}

bool TArrowButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        ScopedPaint paint(handle_);
        if (paint.get()) Paint(paint.get());
        result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_MOUSEMOVE:
        if (!hot_) {
            hot_ = true;
            ::InvalidateRect(handle_, nullptr, FALSE);
        }
        TLateBoundUser32::RequestLeaveNotice(handle_);
        result = 0;
        return true;
    case WM_MOUSELEAVE:
        hot_ = false;
        ::InvalidateRect(handle_, nullptr, FALSE);
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        ::InvalidateRect(handle_, nullptr, FALSE);
        ::UpdateWindow(handle_);
        ::SetFocus(picker_);
        Forward(WM_LBUTTONDOWN, wParam, lParam);
        // The picker may have run its own drop-down while handling the press.
        pressed_ = false;
        if (::IsWindow(handle_)) ::InvalidateRect(handle_, nullptr, FALSE);
        result = 0;
        return true;
    case WM_LBUTTONUP:
        Forward(msg, wParam, lParam);
        result = 0;
        return true;
    default:
        return TWinControl::WndProc(msg, wParam, lParam, result);
    }
}

TSkinDateTime::TSkinDateTime(TComponent* owner) : TSkinFamilyControl(owner) {}

TSkinDateTime::~TSkinDateTime() {
    DropArrow();
}

void TSkinDateTime::DropArrow() {
    delete arrow_;
    arrow_ = nullptr;
    if (addedClipChildren_ && lifeState_ != TLifeState::WindowGone && ::IsWindow(window_))
        ::SetWindowLongW(window_, GWL_STYLE, ::GetWindowLongW(window_, GWL_STYLE) & ~LONG(WS_CLIPCHILDREN));
    addedClipChildren_ = false;
}

void TSkinDateTime::AfterAttach() {
    const LONG style = ::GetWindowLongW(window_, GWL_STYLE);
    if (style & DTS_UPDOWN) {
        HWND spin = ::FindWindowExW(window_, nullptr, UPDOWN_CLASSW, nullptr);
        if (spin && ::SendMessageW(spin, SkinQueryMessage, 0, 0) != 1) {
            upDown_ = new TSkinUpDown(this);
            upDown_->AttachWindow(spin, skin_, form_);
        }
        return;
    }
    // The picker paints its whole client area; the button over it must stay uncovered.
    if (!(style & WS_CLIPCHILDREN)) {
        ::SetWindowLongW(window_, GWL_STYLE, style | WS_CLIPCHILDREN);
        addedClipChildren_ = true;
    }
    arrow_ = new TArrowButton(this, window_, skin_);
    PlaceArrow();
    arrow_->Handle();
}

RECT TSkinDateTime::DropButtonRect() const {
    RECT client{};
    ::GetClientRect(window_, &client);
    const int width = ::GetSystemMetrics(SM_CXVSCROLL);
    return {client.right - width > 0 ? client.right - width : 0, 0, client.right, client.bottom};
}

void TSkinDateTime::PlaceArrow() {
    if (!arrow_) return;
    const RECT button = DropButtonRect();
    arrow_->SetBounds(button.left, button.top, button.right - button.left, button.bottom - button.top);
}

void TSkinDateTime::Unskin() {
    if (lifeState_ != TLifeState::WindowGone) {
        delete arrow_;
        arrow_ = nullptr;
        if (addedClipChildren_ && ::IsWindow(window_))
            ::SetWindowLongW(window_, GWL_STYLE,
                             ::GetWindowLongW(window_, GWL_STYLE) & ~LONG(WS_CLIPCHILDREN));
        addedClipChildren_ = false;
    }
    TSkinControl::Unskin();
}

void TSkinDateTime::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        PlaceArrow();
        break;
    case WM_NCPAINT:
        PaintWindow(nullptr);
        break;
    case WM_ENABLE:
        if (arrow_ && arrow_->HandleAllocated()) ::InvalidateRect(arrow_->Handle(), nullptr, FALSE);
        TSkinControl::AfterMessage(msg, wParam, lParam, result);
        break;
    default:
        TSkinControl::AfterMessage(msg, wParam, lParam, result);
        break;
    }
}

void TSkinDateTime::PaintTo(HDC dc, const RECT& rect) {
    const RECT client = ClientInWindow(window_);
    // Only the border is the skin's; the client area is the picker's own.
    if (client.left <= rect.left || client.top <= rect.top) return;
    FrameSolid(dc, rect, SkinColourRef(*skin_, scButtonShadow));
    RECT inner = rect;
    while (true) {
        ::InflateRect(&inner, -1, -1);
        if (inner.left >= client.left || inner.top >= client.top) break;
        FrameSolid(dc, inner, RGB(255, 255, 255));
    }
}
