#include "skin/model/SkinBuiltinImages.h"

#include "skin/model/ImgUtil.h"

TBitmap32 BuiltinTrackBitmap(bool vertical) {
    // A sunken groove: shadow on the outer top/left lines, highlight on the bottom/right ones.
    const TColor shadow = RGBColour(128, 128, 128), dark = RGBColour(64, 64, 64);
    const TColor light = RGBColour(255, 255, 255), face = RGBColour(212, 208, 200);
    TBitmap32 b(16, 4, face);
    for (int x = 0; x < 16; ++x) {
        b.SetPixel(x, 0, shadow);
        b.SetPixel(x, 1, dark);
        b.SetPixel(x, 3, light);
    }
    b.SetPixel(0, 2, shadow);
    b.SetPixel(15, 2, light);
    if (vertical) RotateLeft(b), FlipBitmap(b);
    b.SetPixelFormat(TPixelFormat::pf24bit);
    return b;
}

TBitmap32 BuiltinMenuGlyphs() {
    TBitmap32 b(64, 16, clWhite);
    auto rect = [&](int ox, int x0, int y0, int x1, int y1, bool thickTop) {
        for (int x = x0; x <= x1; ++x) {
            b.SetPixel(ox + x, y0, clBlack);
            if (thickTop) b.SetPixel(ox + x, y0 + 1, clBlack);
            b.SetPixel(ox + x, y1, clBlack);
        }
        for (int y = y0; y <= y1; ++y) {
            b.SetPixel(ox + x0, y, clBlack);
            b.SetPixel(ox + x1, y, clBlack);
        }
    };
    // Restore: two overlapping windows.
    rect(0, 6, 3, 12, 8, true);
    b.FillRect({3, 6, 10, 13}, clWhite);
    rect(0, 3, 6, 9, 12, true);
    // Maximise.
    rect(16, 3, 3, 12, 12, true);
    // Minimise.
    b.FillRect({32 + 4, 10, 32 + 10, 12}, clBlack);
    // Close.
    for (int i = 0; i < 8; ++i) {
        for (int t = 0; t < 2; ++t) {
            b.SetPixel(48 + 4 + i + t, 4 + i, clBlack);
            b.SetPixel(48 + 11 - i + t, 4 + i, clBlack);
        }
    }
    b.SetPixelFormat(TPixelFormat::pf1bit);
    return b;
}
