#pragma once
// Stand-ins for skin elements whose frames (and parts) are solid shades of known colour, so that
// one pixel of a painted control tells which frame and part the skin drew there.
#include <memory>

#include "skin/model/Bitmap.h"
#include "skin/model/WinSkinData.h"

// Shade(1) to Shade(31) all differ, and none is magenta, the skins' see-through colour.
constexpr TColor Shade(int k) {
    return RGBColour(40 * k, 255 - 30 * k, 70 * k);
}

// `frames` frames of frameWidth x height side by side, frame k solid Shade(first + k - 1).
inline TBitmap32 SolidStrip(int frames, int frameWidth, int height, int first = 1) {
    TBitmap32 strip(frames * frameWidth, height);
    for (int k = 1; k <= frames; ++k)
        strip.FillRect({(k - 1) * frameWidth, 0, k * frameWidth, height}, Shade(first + k - 1));
    return strip;
}

template <typename T>
std::unique_ptr<T> Element(const char* name, int frames, int frameWidth, int height, int first = 1) {
    auto element = std::make_unique<T>(name);
    element->Bitmap = SolidStrip(frames, frameWidth, height, first);
    element->FrameCount = frames;
    return element;
}

// `frames` frames of width x height stacked top to bottom, each a left band `left` wide, a middle
// and a right band `right` wide: frame k in Shade(3k - 2), Shade(3k - 1) and Shade(3k).
inline TBitmap32 BandedStack(int frames, int width, int height, int left, int right) {
    TBitmap32 image(width, frames * height);
    for (int k = 1; k <= frames; ++k) {
        const int top = (k - 1) * height, bottom = k * height;
        image.FillRect({0, top, left, bottom}, Shade(3 * k - 2));
        image.FillRect({left, top, width - right, bottom}, Shade(3 * k - 1));
        image.FillRect({width - right, top, width, bottom}, Shade(3 * k));
    }
    return image;
}
