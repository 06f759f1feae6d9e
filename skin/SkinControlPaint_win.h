#pragma once
// What the control skins share: a way to ask for another member of the family, the paint
// handling of a client area, and captions drawn whole.
//
// How a control skin asks for another member of the family (an edit for its spin button, a tab
// control for its up-down arrows) without knowing the classes: the factory registers its maker
// here once. Without a maker nothing is created and the inner window keeps its own look.
#include <functional>
#include <string>

#include "skin/SkinControlMap.h"

class TComponent;
class TSkinControl;

// A new, unattached skin of `kind` owned by `owner`, or null.
using TSkinWrapperMaker = std::function<TSkinControl*(TSkinWrapperKind kind, TComponent* owner)>;

inline TSkinWrapperMaker& SkinWrapperMaker() {
    static TSkinWrapperMaker maker;
    return maker;
}

#include <windows.h>

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
