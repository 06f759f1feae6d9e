#include "skin/controls/SkinEdit_win.h"

#include <cwctype>
#include <string>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControlPaint_win.h"

void PaintSkinEditBorder(HDC dc, const RECT& window, const RECT& client, COLORREF shadow) {
    const int saved = ::SaveDC(dc);
    if (!saved) return;
    ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    unique_hbrush shadowBrush(::CreateSolidBrush(shadow));
    RECT r = window;
    if (shadowBrush) ::FrameRect(dc, &r, shadowBrush.get());
    for (int i = 0; i < 2; ++i) {
        ::InflateRect(&r, -1, -1);
        ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ::RestoreDC(dc, saved);
}

bool TSkinEdit::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == EditPaintRequest && lParam == SkinMagic) {
        if (wParam) CallPrevious(WM_PAINT, wParam, 0);
        result = SkinMagic;
        return false;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinEdit::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_PAINT:
    case WM_NCPAINT:
        // The client is the edit's own; the border is ours, drawn after the system drew its own.
        PaintWindow(nullptr);
        return;
    case WM_PRINT:
        if (wParam && (lParam & PRF_NONCLIENT)) {
            RECT window{}, client{};
            ::GetWindowRect(window_, &window);
            ::GetClientRect(window_, &client);
            const int w = window.right - window.left, h = window.bottom - window.top;
            if (w - client.right > 2 && h - client.bottom > 2) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                RECT r{0, 0, w, h};
                unique_hbrush shadow(::CreateSolidBrush(SkinColourRef(*skin_, scButtonShadow)));
                if (shadow) ::FrameRect(dc, &r, shadow.get());
                ::InflateRect(&r, -1, -1);
                ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetCurrentObject(dc, OBJ_BRUSH)));
            }
        }
        return;
    default:
        TSkinControl::AfterMessage(msg, wParam, lParam, result);
    }
}

void TSkinEdit::SkinSpinButton() {
    if (spin_ || !skin_ || !form_ || !skin_->SkinControls.Has(xcSpin)) return;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        std::wstring lower(name);
        for (wchar_t& c : lower)
            c = wchar_t(std::towlower(c));
        if (lower != L"msctls_updown32" && lower.find(L"spin") == std::wstring::npos &&
            lower.find(L"updown") == std::wstring::npos)
            continue;
        spin_ = form_->MakeSubSkin(TSkinWrapperKind::UpDown, this);
        if (spin_) spin_->AttachWindow(child, skin_, form_);
        return;
    }
}

void TSkinEdit::PaintTo(HDC dc, const RECT& rect) {
    SkinSpinButton();
    const RECT client = ClientInWindow(window_);
    if (rect.right - rect.left <= client.right - client.left ||
        rect.bottom - rect.top <= client.bottom - client.top)
        return;
    PaintSkinEditBorder(dc, rect, client, SkinColourRef(*skin_, scButtonShadow));
}
