#include "skin/controls/SkinScrollbar_win.h"

#include <windowsx.h>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControlPaint_win.h"
#include "skin/controls/SkinEdit_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/LateBoundUser32_win.h"

namespace {

bool SameBar(const SCROLLBARINFO& a, const SCROLLBARINFO& b) {
    return ::EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.xyThumbTop == b.xyThumbTop &&
           a.xyThumbBottom == b.xyThumbBottom && a.rgstate[0] == b.rgstate[0];
}

// Messages after which a control may have scrolled without telling its scroll bars' owner: text
// added or replaced (the log appends lines this way), keys, selection drags, list changes.
bool MayScroll(UINT msg) {
    return (msg >= 0xB0 && msg <= 0xFF) || (msg >= 0x180 && msg <= 0x1B0) || msg == WM_SETTEXT ||
           msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_LBUTTONUP || msg == WM_MOUSEMOVE ||
           msg == WM_TIMER || msg == WM_PASTE || msg == WM_CUT || msg == WM_CLEAR || msg == WM_UNDO;
}

} // namespace

// ---- Overlay ----

TWScrollbar::TWScrollbar(TSkinScrollbar& skin, TScrollBarSide side, HWND parentWindow)
    : TWinControl(nullptr), skin_(skin), side_(side), parentWindow_(parentWindow),
      arrow_(::GetSystemMetrics(SM_CXHSCROLL)) {
    SetVisible(false);
}

TWScrollbar::~TWScrollbar() {
    *alive_ = false;
}

void TWScrollbar::CreateParams(TCreateParams& params) {
    params.className = L"TWScrollbar";
    params.ownClass = true;
    params.style = WS_CHILD | WS_CLIPSIBLINGS;
    params.exStyle = WS_EX_TOOLWINDOW;
    RegisterFrameworkClass(L"TWScrollbar", CS_DBLCLKS, nullptr);
}

bool TWScrollbar::ReadInfo(SCROLLBARINFO& info) const {
    info = SCROLLBARINFO{};
    info.cbSize = sizeof(info);
    HWND control = skin_.Window();
    if (!control || !::IsWindow(control)) return false;
    return TLateBoundUser32::QueryScrollBarInfo(control, Vertical() ? OBJID_VSCROLL : OBJID_HSCROLL, &info);
}

void TWScrollbar::Place() {
    if (!handle_) return;
    SCROLLBARINFO info;
    HWND control = skin_.Window();
    const bool show = ReadInfo(info) && !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) &&
                      ::IsWindowVisible(control) && !::IsRectEmpty(&info.rcScrollBar);
    if (!show) {
        if (::IsWindowVisible(handle_)) ::ShowWindow(handle_, SW_HIDE);
        return;
    }
    RECT r = info.rcScrollBar;
    ::MapWindowPoints(nullptr, parentWindow_, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(handle_, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TWScrollbar::Refresh(bool force) {
    if (!handle_) return;
    SCROLLBARINFO info;
    const bool read = ReadInfo(info);
    if (!force && read && SameBar(info, shown_) && Shown()) return;
    if (!read || !::EqualRect(&info.rcScrollBar, &shown_.rcScrollBar) ||
        (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) != (shown_.rgstate[0] & STATE_SYSTEM_INVISIBLE) ||
        !Shown())
        Place();
    if (!Shown()) return;
    ::InvalidateRect(handle_, nullptr, FALSE);
    ::UpdateWindow(handle_);
}

bool TWScrollbar::CurrentLook(skinctl::TScrollbarLook& look, SCROLLBARINFO& info) const {
    if (!ReadInfo(info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return false;
    const int w = info.rcScrollBar.right - info.rcScrollBar.left;
    const int h = info.rcScrollBar.bottom - info.rcScrollBar.top;
    look.vertical = Vertical();
    look.length = look.vertical ? h : w;
    look.breadth = look.vertical ? w : h;
    look.arrow = arrow_;
    look.thumbStart = info.xyThumbTop;
    look.thumbEnd = info.xyThumbBottom;
    if (pressed_ && hot_ == skinctl::spThumb) {
        POINT now{};
        ::GetCursorPos(&now);
        const int travel = look.vertical ? now.y - pressPoint_.y : now.x - pressPoint_.x;
        const int length = look.thumbEnd - look.thumbStart;
        look.thumbStart = skinctl::DraggedThumbStart(pressThumbStart_, travel, arrow_, look.length, length);
        look.thumbEnd = look.thumbStart + length;
    }
    look.hot = hot_;
    look.pressed = pressed_;
    look.disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
    return true;
}

void TWScrollbar::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(handle_, &client);
    skinctl::TScrollbarLook look;
    SCROLLBARINFO info;
    TBitmap32 picture;
    if (CurrentLook(look, info) && skin_.Skin()) picture = skinctl::ComposeScrollbar(*skin_.Skin(), look);
    shown_ = info;
    const bool fits = picture.Width() <= client.right && picture.Height() <= client.bottom;
    if (picture.Empty() || !fits) {
        skin_.FillFace(dc, client);
        return;
    }
    PaintBitmap(dc, 0, 0, picture);
}

int TWScrollbar::Along(POINT client) const {
    return Vertical() ? client.y : client.x;
}

void TWScrollbar::Press(LPARAM lParam) {
    SCROLLBARINFO info;
    ::GetCursorPos(&pressPoint_);
    if (!ReadInfo(info)) return;
    pressThumbStart_ = info.xyThumbTop;
    const bool vertical = Vertical();
    const int length = vertical ? info.rcScrollBar.bottom - info.rcScrollBar.top
                                : info.rcScrollBar.right - info.rcScrollBar.left;
    hot_ = skinctl::ScrollPartAt(Along(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), arrow_,
                                 info.xyThumbTop, info.xyThumbBottom, length);
    pressed_ = true;
    Refresh(true);
    ::ReleaseCapture();
    // The system scrolls: this returns when its tracking of the press has ended. The control
    // (and this overlay with it) may be gone by then.
    const std::shared_ptr<bool> alive = alive_;
    HWND control = skin_.Window();
    ::SendMessageW(control, WM_NCLBUTTONDOWN, vertical ? HTVSCROLL : HTHSCROLL,
                   MAKELPARAM(pressPoint_.x, pressPoint_.y));
    if (!*alive) return;
    pressed_ = false;
    ::ReleaseCapture();
    Refresh(true);
}

bool TWScrollbar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
    case SkinQueryMessage: // the overlay is the skin's own drawing: never wrapped itself
        result = 1;
        return true;
    case WM_PAINT: {
        ScopedPaint paint(handle_);
        if (paint.get()) Paint(paint.get());
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE: {
        SCROLLBARINFO info;
        if (!pressed_ && ReadInfo(info)) {
            const int length = Vertical() ? info.rcScrollBar.bottom - info.rcScrollBar.top
                                          : info.rcScrollBar.right - info.rcScrollBar.left;
            const skinctl::TScrollPart part =
                skinctl::ScrollPartAt(Along(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), arrow_,
                                      info.xyThumbTop, info.xyThumbBottom, length);
            if (part != hot_) {
                hot_ = part;
                Refresh(true);
            }
        }
        TLateBoundUser32::RequestLeaveNotice(handle_);
        result = 0;
        return true;
    }
    case WM_MOUSELEAVE:
        if (!pressed_) {
            hot_ = skinctl::spNone;
            Refresh(true);
        }
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Press(lParam);
        result = 0;
        return true;
    case WM_LBUTTONUP: {
        pressed_ = false;
        ::ReleaseCapture();
        HWND control = skin_.Window();
        POINT p{};
        ::GetCursorPos(&p);
        ::PostMessageW(control, WM_NCLBUTTONUP, Vertical() ? HTVSCROLL : HTHSCROLL, MAKELPARAM(p.x, p.y));
        result = 0;
        return true;
    }
    default:
        return TWinControl::WndProc(msg, wParam, lParam, result);
    }
}

// ---- The control's skin ----

TSkinScrollbar::~TSkinScrollbar() = default;

void TSkinScrollbar::AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                                   bool /*changeColour*/) {
    AttachScrollControl(control, form, skin, false);
}

namespace {

bool HasNoBorder(HWND wnd) {
    const LONG_PTR style = ::GetWindowLongPtrW(wnd, GWL_STYLE);
    const LONG_PTR ex = ::GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    return !(style & WS_BORDER) && !(ex & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE));
}

} // namespace

void TSkinScrollbar::AttachScrollControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                                         bool single) {
    if (Attached()) return;
    TSkinControl::AttachControl(control, form, skin, false);
    keepBorder_ = single || KeepsOwnBorder() || HasNoBorder(window_);
    MakeOverlays();
    if (!keepBorder_) ::RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinScrollbar::AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) {
    if (Attached()) return;
    TSkinControl::AttachWindow(window, skin, form);
    keepBorder_ = KeepsOwnBorder() || HasNoBorder(window_);
    MakeOverlays();
}

void TSkinScrollbar::MakeOverlays() {
    // Without the arrows' picture the system's bars stay as they are.
    if (!skin_ || !skin_->Scrollbar || skin_->Scrollbar->Bitmap.Empty()) return;
    HWND parent = ::GetParent(window_);
    if (!parent) return;
    for (const TScrollBarSide side : {TScrollBarSide::Horizontal, TScrollBarSide::Vertical}) {
        if (!WantsBar(side)) continue;
        auto overlay = std::make_unique<TWScrollbar>(*this, side, parent);
        overlay->SetEnabled(::IsWindowEnabled(window_) != FALSE);
        if (!overlay->Handle()) continue;
        overlay->Place();
        overlays_[std::size_t(side)] = std::move(overlay);
    }
}

void TSkinScrollbar::PlaceOverlays() {
    for (auto& overlay : overlays_)
        if (overlay) overlay->Refresh(false);
}

void TSkinScrollbar::Unskin() {
    if (unskinned_) return;
    TSkinControl::Unskin();
    if (lifeState_ == TLifeState::WindowGone) {
        // The control's window is gone but its object (which owns us) may live on: the bars it
        // no longer has must not stay on its parent.
        for (auto& overlay : overlays_)
            if (overlay && overlay->HandleAllocated()) ::ShowWindow(overlay->Handle(), SW_HIDE);
        return;
    }
    for (auto& overlay : overlays_)
        overlay.reset();
    if (window_ && ::IsWindow(window_)) ::RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinScrollbar::PaintBorder(HDC dc) {
    RECT window{};
    if (!::GetWindowRect(window_, &window)) return;
    ::OffsetRect(&window, -window.left, -window.top);
    PaintSkinEditBorder(dc, window, ClientInWindow(window_), SkinColourRef(*skin_, scButtonShadow));
}

bool TSkinScrollbar::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == FramePaintRequest && lParam == SkinMagic) {
        if (wParam) PaintBorder(reinterpret_cast<HDC>(wParam));
        result = SkinMagic;
        return false;
    }
    if (msg == WM_NCPAINT && !keepBorder_) {
        result = CallPrevious(msg, wParam, lParam);
        ScopedGetWindowDC dc(window_);
        if (dc.get()) PaintBorder(dc.get());
        PlaceOverlays();
        return false;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinScrollbar::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
    case WM_STYLECHANGED:
        for (auto& overlay : overlays_)
            if (overlay) overlay->Place();
        PlaceOverlays();
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (TWScrollbar* overlay =
                Overlay(msg == WM_VSCROLL ? TScrollBarSide::Vertical : TScrollBarSide::Horizontal))
            overlay->Refresh(true);
        return;
    case WM_MOUSEWHEEL:
        for (auto& overlay : overlays_)
            if (overlay && overlay->Shown()) overlay->Refresh(true);
        return;
    case WM_SHOWWINDOW:
        for (auto& overlay : overlays_)
            if (overlay) {
                if (wParam)
                    overlay->Place();
                else if (overlay->Handle())
                    ::ShowWindow(overlay->Handle(), SW_HIDE);
            }
        return;
    case WM_ENABLE:
        for (auto& overlay : overlays_)
            if (overlay) overlay->SetEnabled(wParam != 0);
        PlaceOverlays();
        break;
    case ScrollBarsRebuiltNotice:
        if (form_) ::PostMessageW(form_->HostWindow(), SkinControlNotice, WPARAM(window_), 0);
        return;
    default:
        if (MayScroll(msg)) PlaceOverlays();
        break;
    }
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}

void TSkinScrollbar::PaintTo(HDC dc, const RECT&) {
    for (auto& overlay : overlays_) {
        if (!overlay) continue;
        if (overlay->Shown())
            overlay->Refresh(true);
        else if (::GetWindowLongW(window_, GWL_STYLE) & (overlay->Vertical() ? WS_VSCROLL : WS_HSCROLL))
            overlay->Place();
    }
    TWScrollbar* h = Overlay(TScrollBarSide::Horizontal);
    TWScrollbar* v = Overlay(TScrollBarSide::Vertical);
    if (!h || !v || !h->Shown() || !v->Shown()) return;
    // The square where the two bars meet.
    RECT window{}, hr{}, vr{};
    ::GetWindowRect(window_, &window);
    ::GetWindowRect(h->Handle(), &hr);
    ::GetWindowRect(v->Handle(), &vr);
    RECT corner{vr.left - window.left, hr.top - window.top, vr.right - window.left, hr.bottom - window.top};
    FillFace(dc, corner);
}
