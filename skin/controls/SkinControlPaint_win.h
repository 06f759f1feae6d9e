#pragma once
// What the control skins share: the paint handling of a client area, captions drawn whole, and
// where the client area sits in the window.
#include <windows.h>

#include <string>

#include "framework/Handle_win.h"

// Runs `paint` (dc, client rectangle) on the client area of `wnd`: into the device context that
// came with WM_PAINT or WM_PRINTCLIENT, or between BeginPaint and EndPaint.
template <typename Paint> void PaintClientWith(HWND wnd, WPARAM dcParam, Paint&& paint) {
    RECT rect{};
    ::GetClientRect(wnd, &rect);
    if (dcParam) {
        paint(reinterpret_cast<HDC>(dcParam), rect);
        return;
    }
    ScopedPaint painting(wnd);
    if (painting.get()) paint(painting.get(), rect);
}

// One line of `text` in the DC's current font and `colour`, vertically centred in `rect` and placed
// by `alignment` (DT_LEFT, DT_CENTER or DT_RIGHT), clipped to `rect`. Drawn from the font's
// outlines like the window's labels, so small CJK glyphs keep all their strokes.
void DrawWholeText(HDC dc, const std::wstring& text, const RECT& rect, UINT alignment, COLORREF colour);

// The client rectangle of `wnd` inside its window rectangle moved to the origin.
RECT ClientInWindow(HWND wnd);
