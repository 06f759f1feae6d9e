#pragma once
// The image utilities on device contexts. Each call copies the visible part of the target area into
// a DIB section, runs the portable routine on it and paints the result back, so painting and the
// native tests share one code path. Only the part inside the DC's clip box is touched.
#include <windows.h>

#include "skin/model/ImgUtil.h"

// Makes ColourToRGB resolve system colours through GetSysColor.
void UsePlatformSysColours();

inline TRect ToTRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
inline RECT ToRECT(const TRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

void GradientFill(HDC dc, const RECT& rect, TColor start, bool vertical, TColor end);
void DrawElement(HDC dc, const RECT& rect, const TBitmap32& image, bool stacked, bool tile, bool transparent,
                 int frameCount, int frame, const TRect& margins);
void DrawElementStrip(HDC dc, const RECT& rect, const TBitmap32& image, bool stacked, bool transparent,
                      int frameCount, int frame, const TRect& margins);
void DrawElementStretch(HDC dc, const RECT& rect, const TBitmap32& image, bool stacked, int frameCount,
                        int frame, const TRect& margins);
void DrawFrameStretched(HDC dc, const RECT& rect, const TBitmap32& image, bool transparent, int frameCount,
                        int frame);
void DrawGlyph(HDC dc, const RECT& rect, const TBitmap32& image, bool transparent, int frameCount, int frame);
void TransparentDraw(HDC dc, const RECT& rect, const TBitmap32& bitmap, TColor keyColour);
void TileFill(HDC dc, const RECT& rect, const TBitmap32& image, const TRect& source);
