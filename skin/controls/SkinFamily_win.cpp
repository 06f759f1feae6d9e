#include "skin/controls/SkinFamily_win.h"

#include "framework/Handle_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"

void DrawSkinElement(HDC dc, const RECT& rect, const TDataSkinObject& element, int frame) {
    DrawElement(dc, rect, element.Bitmap, false, element.Tile == 1, element.Trans == 1, element.FrameCount,
                frame, element.Margins());
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    unique_hbrush brush(::CreateSolidBrush(colour));
    if (brush) ::FillRect(dc, &rect, brush.get());
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
    unique_hbrush brush(::CreateSolidBrush(colour));
    if (brush) ::FrameRect(dc, &rect, brush.get());
}

void DrawArrow(HDC dc, const RECT& rect, int direction, int size, COLORREF colour) {
    const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    const int half = size;
    POINT points[3];
    switch (direction) {
    case 0:
        points[0] = {cx - half, cy + size / 2};
        points[1] = {cx + half, cy + size / 2};
        points[2] = {cx, cy + size / 2 - size};
        break;
    case 1:
        points[0] = {cx - size / 2, cy - half};
        points[1] = {cx - size / 2, cy + half};
        points[2] = {cx - size / 2 + size, cy};
        break;
    case 2:
        points[0] = {cx - half, cy - size / 2};
        points[1] = {cx + half, cy - size / 2};
        points[2] = {cx, cy - size / 2 + size};
        break;
    default:
        points[0] = {cx + size / 2, cy - half};
        points[1] = {cx + size / 2, cy + half};
        points[2] = {cx + size / 2 - size, cy};
        break;
    }
    unique_hbrush brush(::CreateSolidBrush(colour));
    unique_hpen pen(::CreatePen(PS_SOLID, 1, colour));
    if (!brush || !pen) return;
    ScopedSelectObject b(dc, brush.get());
    ScopedSelectObject p(dc, pen.get());
    ::Polygon(dc, points, 3);
}

HFONT WindowFont(HWND window) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

bool TSkinPartControl::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        if (!PaintsItself()) return true;
        RECT client{};
        ::GetClientRect(window_, &client);
        if (wParam) {
            PaintTo(reinterpret_cast<HDC>(wParam), client);
        } else {
            ScopedPaint paint(window_);
            if (paint.get()) PaintTo(paint.get(), client);
        }
        result = 0;
        return false;
    }
    case WM_ERASEBKGND:
        if (!PaintsItself()) return true;
        result = 1;
        return false;
    case WM_MOUSEMOVE: {
        const int part = PartAt(lParam);
        if (part != hot_) {
            hot_ = part;
            ::InvalidateRect(window_, nullptr, FALSE);
        }
        TLateBoundUser32::RequestLeaveNotice(window_);
        return true;
    }
    case WM_MOUSELEAVE:
        if (pressed_ < 0) {
            hot_ = -1;
            ::InvalidateRect(window_, nullptr, FALSE);
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = Presses() ? PartAt(lParam) : -1;
        ::InvalidateRect(window_, nullptr, FALSE);
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0) {
            pressed_ = -1;
            ::InvalidateRect(window_, nullptr, FALSE);
        }
        return true;
    default:
        return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
    }
}

void TSkinPartControl::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The skin painted before the control could, or the control's own look stays.
    if (msg == WM_PAINT) return;
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}
