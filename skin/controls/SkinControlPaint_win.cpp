#include "skin/controls/SkinControlPaint_win.h"

#include "framework/HalfScaleText_win.h"

void DrawWholeText(HDC dc, const std::wstring& text, const RECT& rect, UINT alignment, COLORREF colour) {
    if (text.empty()) return;
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    int x = rect.left;
    if (alignment & DT_CENTER)
        x = rect.left + (rect.right - rect.left - size.cx) / 2;
    else if (alignment & DT_RIGHT)
        x = rect.right - size.cx;
    const int y = rect.top + (rect.bottom - rect.top - metrics.tmHeight) / 2;
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    const THalfScaleText whole(dc);
    if (!whole.Draw(x, y, text.c_str(), int(text.size()), colour)) {
        ::SetTextColor(dc, colour);
        ::SetBkMode(dc, TRANSPARENT);
        ::TextOutW(dc, x, y, text.c_str(), int(text.size()));
    }
    if (saved) ::RestoreDC(dc, saved);
}

RECT ClientInWindow(HWND wnd) {
    RECT window{}, client{};
    ::GetWindowRect(wnd, &window);
    ::GetClientRect(wnd, &client);
    ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::OffsetRect(&client, -window.left, -window.top);
    return client;
}
