#pragma once
// Draws text in a DC's current font from the font's outlines at twice the size, reduced 2:1 (see
// HalfScaleText.h for why), over whatever the DC already shows.
#include <windows.h>

#include "framework/Handle_win.h"

class THalfScaleText {
public:
    explicit THalfScaleText(HDC dc);
    // False when it could not draw (no font, no memory): the caller draws plainly instead.
    bool Draw(int x, int y, const wchar_t* text, int length, COLORREF colour) const;

private:
    HDC dc_;
    unique_hfont big_;
};
