#include "skin/controls/SkinControl_win.h"

#include <vector>

#include "framework/DebugSink_win.h"
#include "framework/Handle_win.h"
#include "skin/model/ImgUtil.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/rules/SkinControlRules.h"

COLORREF SkinColourRef(const TSkinData& skin, TSkinColourSlot slot) {
    return COLORREF(ColourToRGB(skin.SkinColours[std::size_t(slot)]) & 0xFFFFFF);
}

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl() {
    // A control that is itself going has already lost its window part; nothing to give back.
    if (handlerInstalled_ && control_ && !control_->Destroying()) control_->MessageHandler = previousHandler_;
    handlerInstalled_ = false;
    subclass_.Remove();
    if (form_) form_->UnregisterControl(this);
}

void TSkinControl::RegisterWithForm() {
    if (form_) form_->RegisterControl(this);
}

void TSkinControl::AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                                 bool changeColour) {
    if (Attached()) return;
    changeColour_ = changeColour;
    skin_ = skin;
    form_ = form;
    control_ = control;
    window_ = control->Handle();
    unicode_ = ::IsWindowUnicode(window_) != FALSE;
    previousHandler_ = control->MessageHandler;
    control->MessageHandler = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return SkinMessageProc(msg, wParam, lParam, result);
    };
    handlerInstalled_ = true;
    RegisterWithForm();
    enabled_ = ::IsWindowEnabled(window_) != FALSE;
    caption_ = ReadWindowText();
    ::InvalidateRect(window_, nullptr, TRUE);
    lifeState_ = TLifeState::Attached;
    AfterAttach();
}

void TSkinControl::AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) {
    if (Attached()) return;
    skin_ = skin;
    form_ = form;
    window_ = window;
    unicode_ = ::IsWindowUnicode(window_) != FALSE;
    enabled_ = true;
    RegisterWithForm();
    caption_ = ReadWindowText();
    const bool hooked =
        subclass_.Install(window_, [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return SkinMessageProc(msg, wParam, lParam, result);
        });
    if (!hooked) DebugReport("skin: could not subclass a control");
    ::InvalidateRect(window_, nullptr, TRUE);
    lifeState_ = TLifeState::Attached;
    AfterAttach();
}

std::wstring TSkinControl::ReadWindowText() const {
    if (!window_) return {};
    if (unicode_) {
        const int length = ::GetWindowTextLengthW(window_);
        std::wstring text(std::size_t(length > 0 ? length : 0) + 1, L'\0');
        text.resize(std::size_t(::GetWindowTextW(window_, text.data(), int(text.size()))));
        return text;
    }
    char buffer[1001] = {};
    const int n = ::GetWindowTextA(window_, buffer, 1000);
    if (n <= 0) return {};
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, buffer, n, nullptr, 0);
    std::wstring text(std::size_t(wide > 0 ? wide : 0), L'\0');
    if (wide > 0) ::MultiByteToWideChar(CP_ACP, 0, buffer, n, text.data(), wide);
    return text;
}

LRESULT TSkinControl::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (subclass_.Installed()) return subclass_.CallPrevious(msg, wParam, lParam);
    if (!control_) return 0;
    LRESULT result = 0;
    const bool handled = previousHandler_ ? previousHandler_(msg, wParam, lParam, result)
                                          : control_->WndProc(msg, wParam, lParam, result);
    return handled ? result : control_->DefaultHandler(msg, wParam, lParam);
}

bool TSkinControl::SkinMessageProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == SkinSwitchMessage) {
        skinningOn_ = LONG_PTR(wParam) > 0;
        if (skinningOn_) Repaint();
        result = 0;
        return true;
    }
    if (!skinningOn_) {
        result = CallPrevious(msg, wParam, lParam);
        return true;
    }
    if (!BeforeMessage(msg, wParam, lParam, result)) return true;
    result = CallPrevious(msg, wParam, lParam);
    AfterMessage(msg, wParam, lParam, result);
    return true;
}

bool TSkinControl::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_NCDESTROY:
        lifeState_ = TLifeState::WindowGone;
        result = CallPrevious(msg, wParam, lParam);
        if (skinningOn_) Unskin();
        return false;
    case SkinQueryMessage:
        result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinControl::AfterMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
        if (msg == WM_ENABLE) enabled_ = wParam != 0;
        if (msg == WM_SETTEXT) caption_ = ReadWindowText();
        Repaint();
        break;
    case WM_PAINT:
        PaintWindow(reinterpret_cast<HDC>(wParam));
        break;
    default:
        break;
    }
}

void TSkinControl::PaintWindow(HDC dc) {
    if (lifeState_ == TLifeState::WindowGone || !::IsWindow(window_)) return;
    RECT rect;
    if (!::GetWindowRect(window_, &rect)) return;
    windowRect_ = rect;
    ::OffsetRect(&rect, -rect.left, -rect.top);
    enabled_ = ::IsWindowEnabled(window_) != FALSE;
    focused_ = ::GetFocus() == window_;
    try {
        if (dc) {
            PaintTo(dc, rect);
        } else {
            ScopedGetWindowDC windowDc(window_);
            if (windowDc.get()) PaintTo(windowDc.get(), rect);
        }
    } catch (...) {
        // A window that is going away, or a picture the system refused: this paint is dropped.
        DebugReportCurrentException("control skin paint");
    }
}

void TSkinControl::Unskin() {
    if (unskinned_) return;
    unskinned_ = true;
    skinningOn_ = false;
    if (lifeState_ != TLifeState::WindowGone && window_ && ::IsWindow(window_))
        ::InvalidateRect(window_, nullptr, TRUE);
}

void TSkinControl::RefreshColours() {
    Repaint();
}

void TSkinControl::Repaint() {
    HWND target = window_;
    if (Other && Other->HandleAllocated()) target = Other->Handle();
    if (!target || !::IsWindow(target)) return;
    ::InvalidateRect(target, nullptr, TRUE);
    ::UpdateWindow(target);
}

void TSkinControl::DrawFocusFrame(HDC dc, UINT format, const RECT& rect) {
    RECT measured = rect;
    ::DrawTextW(dc, caption_.c_str(), int(caption_.size()), &measured,
                (format & ~UINT(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
    const THorzPlace place = (format & DT_CENTER)  ? THorzPlace::Centre
                             : (format & DT_RIGHT) ? THorzPlace::Right
                                                   : THorzPlace::Left;
    const TRect focus = FocusFrameRect(ToTRect(rect), measured.right - measured.left,
                                       measured.bottom - measured.top, place, (format & DT_VCENTER) != 0);
    if (focus.IsEmpty()) return;
    const RECT clipped = ToRECT(focus);
    ::DrawFocusRect(dc, &clipped);
}

void TSkinControl::FillFace(HDC dc, const RECT& rect) const {
    unique_hbrush brush(::CreateSolidBrush(SkinColourRef(*skin_, scButtonFace)));
    if (brush) ::FillRect(dc, &rect, brush.get());
}

void TSkinControl::PaintParentBackground(HDC dc, const RECT& rect) const {
    HWND parent = ::GetParent(window_);
    if (!parent) return;
    POINT origin{0, 0};
    ::MapWindowPoints(window_, parent, &origin, 1);
    const int saved = ::SaveDC(dc);
    if (!saved) return;
    ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    POINT previous{};
    ::SetWindowOrgEx(dc, origin.x, origin.y, &previous);
    ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::RestoreDC(dc, saved);
}

void TSkinControl::PaintFromMessage(HDC dc) {
    RECT rect;
    auto paint = [&](HDC target) {
        if (!target || !::GetWindowRect(window_, &rect)) return;
        windowRect_ = rect;
        ::OffsetRect(&rect, -rect.left, -rect.top);
        try {
            PaintTo(target, rect);
        } catch (...) {
            DebugReportCurrentException("control skin paint");
        }
    };
    if (dc) {
        paint(dc);
    } else {
        ScopedPaint painting(window_);
        paint(painting.get());
    }
}

void TSkinControl::EraseWithFace(HDC dc) const {
    RECT client;
    if (dc && ::GetClientRect(window_, &client)) FillFace(dc, client);
}

bool TSkinControl::HandlePaintMessages(UINT msg, WPARAM wParam, LRESULT& result, bool fillOnErase) {
    if (msg == WM_PAINT) {
        PaintFromMessage(reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    }
    if (msg != WM_ERASEBKGND) return false;
    if (fillOnErase) EraseWithFace(reinterpret_cast<HDC>(wParam));
    result = 1;
    return true;
}

bool TSkinControl::TransparentBackgroundWanted() const {
    constexpr std::int32_t kTransparentTag = 5555;
    return (control_ && control_->Tag == kTransparentTag) || skin_->Options.Has(xoTransparent);
}
